#include "folder_tree/DropSource.h"

#include "folder_tree/FTVEX_D3.h"

HRESULT TDropSourceObject::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDropSource) {
        *object = static_cast<IDropSource*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG TDropSourceObject::AddRef() {
    return ULONG(InterlockedIncrement(&refs_));
}

ULONG TDropSourceObject::Release() {
    LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return ULONG(refs);
}

HRESULT TDropSourceObject::QueryContinueDrag(BOOL escapePressed, DWORD keys) {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    if (keys & (MK_LBUTTON | MK_RBUTTON)) return S_OK;
    // Before OLE hands the drop over: the other program may change what the
    // tree shows.
    if (CursorOverOtherProcess() && FTreeView.AutoUpDate()) FTreeView.DelayedRefresh();
    return DRAGDROP_S_DROP;
}

HRESULT TDropSourceObject::GiveFeedback(DWORD) {
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

bool CursorOverOtherProcess() {
    POINT p{};
    if (!GetCursorPos(&p)) return false;
    HWND under = WindowFromPoint(p);
    DWORD process = 0;
    return under && GetWindowThreadProcessId(under, &process) && process != GetCurrentProcessId();
}
