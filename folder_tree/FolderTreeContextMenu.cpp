// The shell's own context menu on a right-clicked node: the menu of the
// node's item, its command, and the tree brought up to date after it.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/ListingJob.h"

#include "folder_tree/ShellFolders.h"
#include "folder_tree/ShellVerbs.h"
#include "folder_tree/TreeItemData.h"

using Microsoft::WRL::ComPtr;

namespace {

// The window properties of a hooked owner: the tree whose menu is up, and
// the procedure the hook replaced, which gets every message the menu's
// object does not take.
constexpr wchar_t kOwnerHookProp[] = L"Kelvane.MenuOwnerTree";
constexpr wchar_t kOwnerSavedProp[] = L"Kelvane.MenuOwnerProc";

WNDPROC SavedOwnerProc(HWND owner) {
    return reinterpret_cast<WNDPROC>(reinterpret_cast<LONG_PTR>(GetPropW(owner, kOwnerSavedProp)));
}

} // namespace

// The owner's procedure replaced from just before the menu is tracked until
// its command has run, on every path. Where a procedure installed later
// lies above the hook, the hook cannot leave the chain: it stays, passes
// every message on to the procedure it replaced, and serves the next menu.
class TFolderTreeViewEx::TOwnerHookScope {
  public:
    TOwnerHookScope(TFolderTreeViewEx& tree, bool install)
        : owner_(install ? tree.OwnerHandle() : nullptr) {
        if (!owner_) return;
        if (!SavedOwnerProc(owner_)) {
            const auto saved = reinterpret_cast<HANDLE>(
                SetWindowLongPtrW(owner_, GWLP_WNDPROC,
                                  reinterpret_cast<LONG_PTR>(&TFolderTreeViewEx::OwnerHookProc)));
            if (!saved) {
                owner_ = nullptr;
                return;
            }
            SetPropW(owner_, kOwnerSavedProp, saved);
        }
        SetPropW(owner_, kOwnerHookProp, &tree);
    }
    ~TOwnerHookScope() {
        if (!owner_) return;
        RemovePropW(owner_, kOwnerHookProp);
        if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(owner_, GWLP_WNDPROC)) ==
            &TFolderTreeViewEx::OwnerHookProc) {
            SetWindowLongPtrW(owner_, GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(SavedOwnerProc(owner_)));
            RemovePropW(owner_, kOwnerSavedProp);
        }
    }
    TOwnerHookScope(const TOwnerHookScope&) = delete;
    TOwnerHookScope& operator=(const TOwnerHookScope&) = delete;

  private:
    HWND owner_;
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
    if (msg == TreeListingMessage()) {
        ListingMessage(wp, lp != 0);
        return 0;
    }
    if (msg == TreeIconsMessage()) {
        IconsMessage(wp);
        return 0;
    }
    if (WatchMessage(msg, wp, lp)) return 0; // F5, the settle timer
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
    // Held before the selection moves: the host's OnChange, or anything while
    // the menu is up, may rebuild the tree and free the node and its record.
    ComPtr<IShellFolder> folder = data->ParentFolder;
    UniqueItemIDList item = CopyItemID(data->RelativeID.get());
    const unsigned generation = FGeneration;
    if (Selected() != node) SetSelected(node);
    ClientToScreen(Handle(), &pt);
    UINT command = 0;
    if (!ShowItemContextMenu(OwnerHandle(), folder.Get(), item.get(), pt, command) || !FAutoUpDate)
        return;
    switch (command) {
    case MenuCommand::Delete:
        if (FGeneration == generation) node->Delete(); // else the node may be gone already
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

bool TFolderTreeViewEx::OwnerWndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
        if (!FContextMenu2) return false;
        result = LRESULT(FContextMenu2->HandleMenuMsg(msg, wp, lp));
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK TFolderTreeViewEx::OwnerHookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (auto* tree = static_cast<TFolderTreeViewEx*>(GetPropW(hwnd, kOwnerHookProp)))
        if (tree->OwnerWndProc(msg, wp, lp, result)) return result;
    const WNDPROC saved = SavedOwnerProc(hwnd);
    if (msg == WM_NCDESTROY) RemovePropW(hwnd, kOwnerSavedProp);
    return saved ? CallWindowProcW(saved, hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}
