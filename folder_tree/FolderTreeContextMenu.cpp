// The shell's own context menu on a right-clicked node: the menu of the
// node's item, its command, and the tree brought up to date after it.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/ShellFolders.h"
#include "folder_tree/ShellVerbs.h"
#include "folder_tree/TreeItemData.h"

using Microsoft::WRL::ComPtr;

namespace {

// The window property that leads from the hooked owner to the tree.
constexpr char kOwnerHookProp[] = "Kelvane.MenuOwnerTree";

} // namespace

// The owner's procedure replaced from just before the menu is tracked until
// its command has run, on every path.
class TFolderTreeViewEx::TOwnerHookScope {
  public:
    TOwnerHookScope(TFolderTreeViewEx& tree, bool install) : tree_(tree) {
        if (!install || !tree_.OwnerHandle()) return;
        SetPropA(tree_.FOwnerHandle, kOwnerHookProp, &tree_);
        tree_.FOwnerHook.emplace(tree_.FOwnerHandle, &TFolderTreeViewEx::OwnerHookProc);
        if (!tree_.FOwnerHook->Installed()) Remove();
    }
    ~TOwnerHookScope() { Remove(); }
    TOwnerHookScope(const TOwnerHookScope&) = delete;
    TOwnerHookScope& operator=(const TOwnerHookScope&) = delete;

  private:
    void Remove() {
        if (tree_.FOwnerHook) {
            tree_.FOwnerHook.reset();
            RemovePropA(tree_.FOwnerHandle, kOwnerHookProp);
        }
    }
    TFolderTreeViewEx& tree_;
};

HWND TFolderTreeViewEx::OwnerHandle() {
    // The owner's window may be made after this control is constructed.
    if (!FOwnerHandle || !IsWindow(FOwnerHandle)) {
        auto* owner = dynamic_cast<TWinControl*>(Owner());
        FOwnerHandle = owner && owner->Handle() ? owner->Handle() : GetAncestor(Handle(), GA_ROOT);
    }
    return FOwnerHandle;
}

LRESULT TFolderTreeViewEx::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = TCustomTreeView::WndProc(msg, wp, lp);
    if (msg == WM_RBUTTONDOWN) RightButtonDown(lp);
    return result;
}

void TFolderTreeViewEx::RightButtonDown(LPARAM point) {
    if (!FContextMenu) return;
    POINT pt{short(LOWORD(point)), short(HIWORD(point))};
    TTreeNode* node = GetNodeAt(pt.x, pt.y);
    TTVITEMDATA* data = NodeData(node);
    if (!data) return;
    if (Selected() != node) SetSelected(node);
    ClientToScreen(Handle(), &pt);
    // Held here: a rebuild while the menu is up frees the node's record.
    ComPtr<IShellFolder> folder = data->ParentFolder;
    UniqueItemIDList item = CopyItemID(data->RelativeID.get());
    const int deletions = FDeletions;
    UINT command = 0;
    if (!ShowItemContextMenu(OwnerHandle(), folder.Get(), item.get(), pt, command) || !FAutoUpDate)
        return;
    switch (command) {
    case MenuCommand::Delete:
        if (FDeletions == deletions) node->Delete(); // else the node may be gone already
        break;
    case MenuCommand::Link:
    case MenuCommand::Paste:
        RefreshTree();
        break;
    case MenuCommand::Rename:
        StartLabelEdit(Selected());
        break;
    default:
        break;
    }
}

bool TFolderTreeViewEx::ShowItemContextMenu(HWND wnd, IShellFolder* folder, LPCITEMIDLIST item,
                                            POINT point, UINT& command) {
    command = 0;
    if (!wnd || !folder || !item) return false;
    if (!FServices.Desktop() || !FServices.Malloc()) return false;
    ComPtr<IContextMenu> menu = GetItemContextMenu(wnd, folder, item);
    if (!menu) return false;
    UniqueMenu popup(CreatePopupMenu());
    if (!popup) return false;
    FContextMenu2.Reset();
    // A menu object without IContextMenu2 still shows its menu; nothing is
    // hooked for it, since nothing would take the drawing messages.
    menu->QueryInterface(IID_IContextMenu_2,
                         reinterpret_cast<void**>(FContextMenu2.ReleaseAndGetAddressOf()));
    if (FAILED(FillContextMenu(menu.Get(), popup.get()))) return false;

    TOwnerHookScope hook(*this, FContextMenu2 && !Designing());
    command = UINT(TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0,
                                  wnd, nullptr));
    if (!command) return false;
    if (SUCCEEDED(InvokeMenuCommand(menu.Get(), wnd, command))) return true;
    if (command == MenuCommand::Rename) return true; // the tree renames in place itself
    ReportInvokeFailure(FServices, wnd);
    return false;
}

LRESULT TFolderTreeViewEx::OwnerWndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
        if (FContextMenu2) return LRESULT(FContextMenu2->HandleMenuMsg(msg, wp, lp));
        break;
    default:
        break;
    }
    return FOwnerHook->Call(msg, wp, lp);
}

LRESULT CALLBACK TFolderTreeViewEx::OwnerHookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* tree = static_cast<TFolderTreeViewEx*>(GetPropA(hwnd, kOwnerHookProp));
    if (tree && tree->FOwnerHook) return tree->OwnerWndProc(msg, wp, lp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}
