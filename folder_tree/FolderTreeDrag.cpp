// A node dragged out of the folder tree: the shell's own data object of its
// item goes to DoDragDrop, and the tree is refreshed after a drop into
// another program.
#include "folder_tree/DropSource.h"
#include "folder_tree/DropTarget.h"
#include "folder_tree/FTVEX_D3.h"
#include "folder_tree/TreeItemData.h"
#include "gui/Application.h"

#include <commctrl.h>

using Microsoft::WRL::ComPtr;

namespace {
constexpr DWORD kDropSettleMs = 1500;
// The tree view's focus mark (TVIS_FOCUSED), missing from these headers.
constexpr UINT kFocusedState = 0x0001;
} // namespace

bool TFolderTreeViewEx::BeginDrag(const NMTREEVIEWW& info) {
    TTreeNode* node = Items().GetNode(info.itemNew.hItem);
    if (!node) return false;
    if (FDragAndDrop) {
        TreeView_SetItemState(Handle(), node->ItemId(), kFocusedState, kFocusedState);
        TTVITEMDATA* data = NodeData(node);
        // The framework has no hidden application window: the tree's
        // top-level window owns the data object.
        if (data)
            StartItemDrag(GetAncestor(Handle(), GA_ROOT), data->ParentFolder.Get(),
                          data->RelativeID.get());
    }
    return true;
}

void TFolderTreeViewEx::StartItemDrag(HWND wnd, IShellFolder* folder, LPCITEMIDLIST item) {
    if (!folder || !item) return;
    ComPtr<IDataObject> data;
    if (FAILED(folder->GetUIObjectOf(wnd, 1, &item, IID_IDataObject, nullptr,
                                     reinterpret_cast<void**>(data.GetAddressOf()))) ||
        !data)
        return;
    ComPtr<IDropSource> source = MakeUnknownObject<TDropSourceObject>(*this);
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT status = DoDragDrop(data.Get(), source.Get(),
                                      DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    if (SUCCEEDED(status) && CursorOverOtherProcess() && !(status & kDropPasted) && FAutoUpDate)
        RefreshTree();
}

void TFolderTreeViewEx::DelayedRefresh() {
    Application().ProcessMessages();
    FServices.Pause(kDropSettleMs);
    Application().ProcessMessages();
    RefreshTree();
}
