// Filling the folder tree: the two builds of its top, the filling of a node
// on its first expansion, the rules by which items become nodes, and the
// icons of its nodes.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/PendingListing.h"
#include "folder_tree/ShellFolders.h"
#include "folder_tree/ShellIcons.h"
#include "folder_tree/ShellNames.h"
#include "folder_tree/ShellSort.h"
#include "folder_tree/TreeItemData.h"
#include "gui/AnsiText.h"

#include <memory>

using Microsoft::WRL::ComPtr;

namespace {

// A node's icon, normal or open; 0 for a node without an item.
int RecordIconIndex(const TTVITEMDATA* data, bool open) {
    return data && data->AbsoluteID ? GetItemIconIndex(data->AbsoluteID.get(), open) : 0;
}

} // namespace

TListingRules TFolderTreeViewEx::ListingRules() const {
    TListingRules rules;
    rules.flags = SHCONTF_FOLDERS;
    if (FVirtualRoot || FShowIncludeHidden) rules.flags |= SHCONTF_INCLUDEHIDDEN;
    if (FShowFile) rules.flags |= SHCONTF_NONFOLDERS;
    rules.virtualRoot = FVirtualRoot;
    rules.showFile = FShowFile;
    rules.includeHidden = FShowIncludeHidden;
    rules.filesFirst = FInfoViewSort && FShowFile;
    // The mask's entries are ANSI texts, read in the code page.
    for (const std::string& entry : FFileMask) {
        std::wstring ext = WideText(entry);
        if (!ext.empty()) CharUpperBuffW(ext.data(), DWORD(ext.size()));
        rules.mask.push_back(std::move(ext));
    }
    return rules;
}

bool TFolderTreeViewEx::HasShowableFiles(IShellFolder* folder, LPCITEMIDLIST item) {
    return FServices.Malloc() && ::HasShowableFiles(folder, item, ListingRules());
}

int TFolderTreeViewEx::NodeImageIndex(TTreeNode* node, bool selected) {
    const TTVITEMDATA* data = NodeData(node);
    const bool openWhenSelected = !FShowFile || (data && (data->Attributes & SFGAO_FOLDER));
    const bool open = selected && openWhenSelected;
    if (data && data->IconLater) return LaterIcon(node, open);
    return RecordIconIndex(data, open);
}

PFNTVCOMPARE TFolderTreeViewEx::FillComparison() const {
    return FInfoViewSort && FShowFile ? CompareFilesFirst : CompareByShell;
}

void TFolderTreeViewEx::FillNode(TTreeNode* node, IShellFolder* folder, LPCITEMIDLIST item,
                                 LPCITEMIDLIST absolute) {
    if (!FServices.Malloc()) return;
    OpenFolder(node); // no change between the listing and the watch is missed
    ListChildren(node, folder, item, absolute, TListingKind::Fill, {});
}

bool TFolderTreeViewEx::BeforeExpand(TTreeNode* node) {
    if (!node || Designing()) return true;
    if (const TPendingListing* pending = PendingListing(node);
        pending && pending->kind == TListingKind::Fill) {
        if (FPatience) AwaitListing(node); // a caller needs its children now
    } else if (node->HasChildren() && !node->GetFirstChild()) {
        if (TTVITEMDATA* data = NodeData(node))
            FillNode(node, data->ParentFolder.Get(), data->RelativeID.get(),
                     data->AbsoluteID.get());
    } else {
        RereadOnExpand(node); // filled before: read again unless watched since
    }
    return true;
}

bool TFolderTreeViewEx::CanExpand(TTreeNode* node) {
    BeforeExpand(node);
    return TCustomTreeView::CanExpand(node);
}

bool TFolderTreeViewEx::PrepareBuild(ComPtr<IShellFolder>& desktop, UniqueItemIDList& root) {
    ComPtr<IMalloc> malloc = FServices.Malloc();
    desktop = FServices.Desktop();
    if (!malloc || !desktop) return false;
    root = GetRootItemIDList(malloc.Get(), desktop.Get());
    std::wstring name;
    return root && GetItemDisplayNameW(desktop.Get(), root.get(), SHGDN_INFOLDER, name);
}

void TFolderTreeViewEx::CollapseToFirstNode(bool expandFirst) {
    for (TTreeNode* n = Items().GetFirstNode(); n; n = n->GetNextSibling())
        n->Collapse(true);
    if (expandFirst)
        if (TTreeNode* first = Items().GetFirstNode()) first->Expand(false);
}

TTreeNode* TFolderTreeViewEx::AddRootNode(LPCITEMIDLIST root, std::unique_ptr<TTVITEMDATA> record) {
    int normal = 0, open = 0;
    GetItemIconIndices(root, normal, open);
    return Items().Add(nullptr, {.text = GetFileInfoDisplayName(root),
                                 .owned = OwnNodeData(std::move(record)),
                                 .imageIndex = normal,
                                 .selectedIndex = open});
}

void TFolderTreeViewEx::BuildVirtualRoot() {
    ComPtr<IShellFolder> desktop;
    UniqueItemIDList root;
    if (!PrepareBuild(desktop, root)) return; // the tree stays as it was

    auto record = std::make_unique<TTVITEMDATA>();
    Items().Clear();
    if (FRootFolder == rf_Bitbucket) {
        record->ParentFolder = desktop;
        record->RelativeID = ConcatItemIDLists(nullptr, root.get());
        record->AbsoluteID = ConcatItemIDLists(nullptr, root.get());
    } else {
        UniqueItemIDList first = CopyItemID(root.get());
        ComPtr<IShellFolder> parent;
        if (!first || FAILED(desktop->BindToObject(first.get(), nullptr, IID_PPV_ARGS(&parent))))
            return;
        record->ParentFolder = parent;
        record->RelativeID = CopyItemID(NextItemID(root.get()));
        record->AbsoluteID = ConcatItemIDLists(nullptr, root.get());
    }
    record->Attributes = ItemAttributeMask;
    LPCITEMIDLIST relative = record->RelativeID.get();
    record->ParentFolder->GetAttributesOf(1, &relative, &record->Attributes);
    TTreeNode* rootNode = AddRootNode(root.get(), std::move(record));
    if (!rootNode) return;
    FillNode(rootNode, desktop.Get(), NodeData(rootNode)->AbsoluteID.get(),
             NodeData(rootNode)->AbsoluteID.get());
    CollapseToFirstNode(true);
}

void TFolderTreeViewEx::BuildFileSystemRoot() {
    ComPtr<IShellFolder> desktop;
    UniqueItemIDList root;
    if (!PrepareBuild(desktop, root)) return; // the tree stays as it was
    Items().Clear();

    // The folder holding the root's last entry (or the entry whose bind
    // failed) and that entry.
    ShellLevel level = WalkShellLevels(desktop.Get(), root.get());
    ComPtr<IShellFolder>& folder = level.folder;
    auto record = std::make_unique<TTVITEMDATA>();
    record->ParentFolder = folder;
    record->RelativeID = std::move(level.item);
    record->AbsoluteID = ConcatItemIDLists(nullptr, root.get());
    record->Attributes = ItemAttributeMask;
    LPCITEMIDLIST relative = record->RelativeID.get();
    folder->GetAttributesOf(1, &relative, &record->Attributes);

    // Without a root node the record serves the fill alone.
    TTreeNode* rootNode = nullptr;
    if (FShowRootFolder) {
        rootNode = AddRootNode(root.get(), std::move(record));
        if (!rootNode) return;
    }
    const TTVITEMDATA* data = rootNode ? NodeData(rootNode) : record.get();
    FillNode(rootNode, data->ParentFolder.Get(), data->RelativeID.get(), data->AbsoluteID.get());
    CollapseToFirstNode(FShowRootFolder);
    if (FRootFolder == rfDrives) ApplySelectedDir();
}
