#include "folder_tree/DropTarget.h"

using Microsoft::WRL::ComPtr;

HRESULT TDropTargetObject::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDropTarget) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG TDropTargetObject::AddRef() {
    return ULONG(InterlockedIncrement(&refs_));
}

ULONG TDropTargetObject::Release() {
    LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return ULONG(refs);
}

HRESULT TDropTargetObject::DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT TDropTargetObject::DragOver(DWORD, POINTL, DWORD* effect) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT TDropTargetObject::DragLeave() {
    return S_OK;
}

HRESULT TDropTargetObject::Drop(IDataObject*, DWORD, POINTL, DWORD* effect) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
}

ComPtr<IDropTarget> RegisterTreeDropTarget(HWND window) {
    ComPtr<IDropTarget> target;
    target.Attach(new TDropTargetObject); // the one reference, owned by `target`
    CoLockObjectExternal(target.Get(), TRUE, FALSE);
    if (FAILED(RegisterDragDrop(window, target.Get()))) {
        CoLockObjectExternal(target.Get(), FALSE, TRUE);
        return nullptr;
    }
    return target;
}

void RevokeTreeDropTarget(HWND window, ComPtr<IDropTarget>& target) {
    if (!target) return;
    RevokeDragDrop(window);
    CoLockObjectExternal(target.Get(), FALSE, TRUE);
    target.Reset();
}
