#include "folder_tree/DropSource.h"

#include "folder_tree/FTVEX_D3.h"

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
