// Navigation: folder names of nodes and the events that hand them out,
// running a double-clicked file, finding the node of a path, and reloading
// the tree while keeping what the user saw.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/ShellFolders.h"
#include "folder_tree/ShellNames.h"
#include "folder_tree/TreeItemData.h"
#include "gui/AnsiText.h"
#include "gui/Application.h"

#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

// Nodes in the tree's overall order: depth first, parents before children.
TTreeNode* NextInOrder(TTreeNode* node) {
    if (TTreeNode* child = node->GetFirstChild()) return child;
    for (TTreeNode* n = node; n; n = n->Parent())
        if (TTreeNode* sibling = n->GetNextSibling()) return sibling;
    return nullptr;
}

bool AncestorsExpanded(const TTreeNode* node) {
    for (TTreeNode* p = node->Parent(); p; p = p->Parent())
        if (!p->Expanded()) return false;
    return true;
}

std::wstring PathOf(const TTreeNode* node) {
    const TTVITEMDATA* data = NodeData(node);
    return data && data->AbsoluteID ? ItemIDListToPathW(data->AbsoluteID.get()) : std::wstring();
}

// The first three characters of a path: its drive root, such as "C:\".
std::wstring DriveRootOf(const wchar_t* path) {
    return std::wstring(path).substr(0, 3);
}

std::string ExactOrEmpty(const std::wstring& name) {
    std::string ansi;
    return ExactAnsiText(name, ansi) ? ansi : std::string();
}

// The node among `first` and its later siblings whose item is `item`.
TTreeNode* FindSiblingNode(TTreeNode* first, LPCITEMIDLIST item) {
    for (TTreeNode* n = first; n; n = n->GetNextSibling()) {
        const TTVITEMDATA* data = NodeData(n);
        if (data && data->ParentFolder &&
            IsSameItem(data->ParentFolder.Get(), data->RelativeID.get(), item))
            return n;
    }
    return nullptr;
}

} // namespace

std::wstring TFolderTreeViewEx::FolderNameOf(const TTreeNode* node) {
    const TTVITEMDATA* data = NodeData(node);
    ComPtr<IMalloc> malloc = FServices.Malloc();
    if (!data || !malloc) return node ? node->Text() : std::wstring();
    if (!IsParsableItem(malloc.Get(), data->ParentFolder.Get(), data->RelativeID.get()))
        return node->Text();
    return ItemIDListToPathW(data->AbsoluteID.get());
}

std::wstring TFolderTreeViewEx::GetSelectedFolderNameW() {
    TTreeNode* node = Selected();
    if (node && FServices.Malloc()) FLastFolder = FolderNameOf(node);
    return FLastFolder;
}

std::string TFolderTreeViewEx::GetSelectedFolderName() {
    return ExactOrEmpty(GetSelectedFolderNameW());
}

void TFolderTreeViewEx::TellChange() {
    if (!OnChange && !OnChangeW) return;
    const std::wstring folder = GetSelectedFolderNameW();
    if (OnChange) OnChange(this, ExactOrEmpty(folder));
    if (OnChangeW) OnChangeW(this, folder);
}

void TFolderTreeViewEx::Change(TTreeNode* node) {
    TCustomTreeView::Change(node);
    RecogniseSelection(node); // should its folder be renamed
    if (FChangeHeld)
        FChangeMissed = true; // an update tells of its final selection once
    else
        TellChange();
}

void TFolderTreeViewEx::Click() {
    if (OnClick) OnClick(this, GetSelectedFolderName());
    TCustomTreeView::Click();
}

void TFolderTreeViewEx::DblClick() {
    TCustomTreeView::DblClick();
    TTreeNode* node = Selected();
    if (!node) return;
    if (OnDblClick) OnDblClick(this, GetSelectedFolderName());
    const TTVITEMDATA* data = NodeData(node);
    if (FShellRun && FShowFile && data && !(data->Attributes & (SFGAO_FOLDER | SFGAO_HASSUBFOLDER)))
        ExecuteSelected();
}

void TFolderTreeViewEx::ExecuteSelected() {
    const TTVITEMDATA* data = NodeData(Selected());
    if (!data) return;
    SHELLEXECUTEINFOA info{}; // names nothing: the item goes by its list
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.hwnd = Handle();
    info.lpVerb = "";
    info.lpParameters = "";
    info.lpDirectory = "";
    info.nShow = SW_SHOWNORMAL;
    info.lpIDList = data->AbsoluteID.get();
    FServices.Execute(&info); // failures are not shown
}

bool TFolderTreeViewEx::LocatePath(const std::wstring& path, bool makeTop, bool select) {
    if (FVirtualRoot) return false;
    // Every listing on the way is waited for, as long as a slow folder allows.
    struct TPatient {
        int& patience;
        explicit TPatient(int& p) : patience(++p) {}
        ~TPatient() { --patience; }
    } patient(FPatience);
    AwaitListing(nullptr);
    ComPtr<IShellFolder> desktop = FServices.Desktop();
    ComPtr<IMalloc> malloc = FServices.Malloc();
    if (!malloc || !desktop) return false;
    UniqueItemIDList target = PathToItemIDList(path);
    if (!target) return false;
    TTreeNode* node = Items().GetFirstNode();
    UniqueItemIDList root =
        FShowRootFolder
            ? (node ? ConcatItemIDLists(nullptr, NodeData(node)->AbsoluteID.get()) : nullptr)
            : GetRootItemIDList(malloc.Get(), desktop.Get());
    if (!node || !root) return false;

    // Match the root's entries against the start of the target, each in the
    // folder holding it; the walk goes through the whole root only when all
    // match and bind.
    LPCITEMIDLIST t = target.get();
    if (!root->mkid.cb || !t->mkid.cb) return false;
    ShellLevel end = WalkShellLevels(desktop.Get(), root.get(), [&t](const ShellLevel& level) {
        UniqueItemIDList first = CopyItemID(t); // none: the target lies above the root
        if (!first || !IsSameItem(level.folder.Get(), level.item.get(), first.get())) return false;
        t = NextItemID(t);
        return true;
    });
    if (!end.bound) return false;
    if (!t) { // the target is the root itself
        if (!FShowRootFolder) return false;
    } else { // below the root: walk down from its first level
        if (FShowRootFolder) {
            AwaitListing(node);
            node = node->GetFirstChild();
        }
        for (; node; t = NextItemID(t)) {
            UniqueItemIDList id = CopyItemID(t);
            node = FindSiblingNode(node, id.get());
            if (!node || !NextItemID(t)) break;
            node->Expand(false); // fills it on its first expansion
            node = node->GetFirstChild();
        }
        if (!node) return false;
    }
    if (makeTop) SetTopItem(node);
    if (select) SetSelected(node);
    return true;
}

void TFolderTreeViewEx::SelectPath(const std::wstring& path) {
    TRebuildScope rebuild(*this);
    LocatePath(path, false, true);
}

void TFolderTreeViewEx::ApplySelectedDir() {
    wchar_t buffer[MAX_PATH] = {};
    switch (FSelectedDir) {
    case sdSystem:
        GetSystemDirectoryW(buffer, MAX_PATH);
        break;
    case sdCurrent:
        GetCurrentDirectoryW(MAX_PATH, buffer);
        break;
    default:
        return;
    }
    SelectPath(DriveRootOf(buffer));
    if (TTreeNode* selected = Selected()) selected->Expand(false);
}

void TFolderTreeViewEx::RefreshTree() {
    ++FRefreshCount;
    ++FGeneration;
    if (Items().GetFirstNode()) ReloadTree(Selected());
}

void TFolderTreeViewEx::ReloadTree(TTreeNode* node) {
    TRebuildScope rebuild(*this);

    std::vector<TTreeNode*> order;
    for (TTreeNode* n = Items().GetFirstNode(); n; n = NextInOrder(n))
        order.push_back(n);
    if (FVirtualRoot) {
        BuildVirtualRoot();
        return;
    }
    if (int(order.size()) > kReloadLimit) return;

    const std::wstring topPath = TopItem() ? PathOf(TopItem()) : std::wstring();
    const std::wstring selPath = node ? PathOf(node) : std::wstring();
    // Messages handled while collecting may change the tree; the collection
    // stops at the first deletion and never touches a node it may have lost.
    std::vector<std::wstring> slots(order.size());
    const unsigned generation = FGeneration;
    for (std::size_t k = 1; k < order.size(); ++k) {
        Application().ProcessMessages();
        if (FGeneration != generation) break;
        if (AncestorsExpanded(order[k])) slots[k] = PathOf(order[k]);
    }
    Application().ProcessMessages();
    FServices.Pause(1000);

    TTreeNode* first = Items().GetFirstNode();
    TTVITEMDATA* data = NodeData(first);
    if (!data) return;
    CancelListings(first, false);
    first->DeleteChildren();
    FillNode(first, data->ParentFolder.Get(), data->RelativeID.get(), data->AbsoluteID.get());
    first->Expand(false);
    for (const std::wstring& path : slots)
        if (!path.empty()) LocatePath(path, false, false);
    if (!selPath.empty()) LocatePath(selPath, false, true);
    if (!topPath.empty()) LocatePath(topPath, true, false);
}
