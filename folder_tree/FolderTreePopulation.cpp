// Filling the folder tree: the two builds of its top, the filling of a node
// on its first expansion, the filter deciding which items become nodes, and
// the icons of its nodes.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/ShellFolders.h"
#include "folder_tree/ShellIcons.h"
#include "folder_tree/ShellNames.h"
#include "folder_tree/ShellSort.h"
#include "folder_tree/TreeItemData.h"
#include "gui/AnsiText.h"

#include <memory>

using Microsoft::WRL::ComPtr;

namespace {

constexpr ULONG kFolderLike = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;

// The extension of a parsing name: from the last "." after the last "\" and
// ":" to the end, dot included; empty without one.
std::wstring ExtensionOf(const std::wstring& name) {
    std::size_t dot = name.find_last_of(L"\\:.");
    if (dot == std::wstring::npos || name[dot] != L'.') return {};
    return name.substr(dot);
}

// A node's icon, normal or open; 0 for a node without an item.
int RecordIconIndex(const TTVITEMDATA* data, bool open) {
    return data && data->AbsoluteID ? GetItemIconIndex(data->AbsoluteID.get(), open) : 0;
}

std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), DWORD(text.size()));
    return text;
}

// The mask test on a parsing name: its extension is one of the mask's
// entries (ANSI texts, read in the code page), case aside, whatever the rest
// of the name holds.
bool NameMatchesFileMask(const std::wstring& parsingName, const std::vector<std::string>& mask) {
    if (MayBeCutShort(parsingName)) return false;
    const std::wstring ext = UpperCase(ExtensionOf(parsingName));
    if (ext.empty()) return false;
    for (const std::string& entry : mask)
        if (ext == UpperCase(WideText(entry))) return true;
    return false;
}

} // namespace

bool TFolderTreeViewEx::HasShowableFiles(IShellFolder* folder, LPCITEMIDLIST item) {
    ComPtr<IMalloc> malloc = FServices.Malloc();
    if (!malloc) return false;
    SHCONTF flags = SHCONTF_NONFOLDERS | (FShowIncludeHidden ? SHCONTF_INCLUDEHIDDEN : 0);
    bool found = false;
    auto isShowable = [&](IShellFolder* sub, LPCITEMIDLIST child, ULONG a) {
        if (!(a & SFGAO_FILESYSTEM)) return true;
        if (!FFileMask.empty() && !(a & SFGAO_FOLDER) &&
            !NameMatchesFileMask(GetItemParsingNameW(sub, child), FFileMask))
            return true;
        found = IsParsableItem(malloc.Get(), sub, child);
        return !found; // the first showable file ends the enumeration
    };
    EnumerateFolder(folder, item, Handle(), flags, SFGAO_FILESYSTEM | SFGAO_FOLDER, isShowable);
    return found;
}

TTreeNode* TFolderTreeViewEx::AddChildNode(IShellFolder* folder, LPCITEMIDLIST item,
                                           ULONG attributes, UniqueItemIDList absoluteID,
                                           TTreeNode* node) {
    std::wstring text;
    if (!GetItemDisplayNameW(folder, item, SHGDN_INFOLDER, text)) return nullptr;
    auto record = std::make_unique<TTVITEMDATA>();
    record->ParentFolder = folder;
    if (!absoluteID && node) absoluteID = ConcatItemIDLists(NodeData(node)->AbsoluteID.get(), item);
    record->AbsoluteID = std::move(absoluteID);
    record->RelativeID = CopyItemID(item);
    record->Attributes = attributes;

    TNodeValues values{.text = std::move(text),
                       .owned = OwnNodeData(std::move(record)),
                       .imageIndex = I_IMAGECALLBACK, // resolved when first drawn
                       .selectedIndex = I_IMAGECALLBACK};
    int overlay = 0;
    bool shellOverlay = GetItemOverlayIndex(folder, item, overlay);
    if (shellOverlay)
        values.overlayIndex = overlay;
    else if (attributes & SFGAO_SHARE)
        values.overlayIndex = 0;
    if (FShowFile) {
        if (!shellOverlay && (attributes & SFGAO_LINK)) values.overlayIndex = 1;
        values.hasChildren = (attributes & SFGAO_HASSUBFOLDER) ||
                             ((attributes & SFGAO_FOLDER) && HasShowableFiles(folder, item));
    } else {
        values.hasChildren = (attributes & SFGAO_HASSUBFOLDER) != 0;
    }
    return Items().Add(node, std::move(values));
}

int TFolderTreeViewEx::NodeImageIndex(TTreeNode* node, bool selected) {
    const TTVITEMDATA* data = NodeData(node);
    const bool openWhenSelected = !FShowFile || (data && (data->Attributes & SFGAO_FOLDER));
    return RecordIconIndex(data, selected && openWhenSelected);
}

SHCONTF TFolderTreeViewEx::FillFlags() const {
    SHCONTF flags = SHCONTF_FOLDERS;
    if (FVirtualRoot || FShowIncludeHidden) flags |= SHCONTF_INCLUDEHIDDEN;
    if (FShowFile) flags |= SHCONTF_NONFOLDERS;
    return flags;
}

bool TFolderTreeViewEx::IsShownChild(IShellFolder* folder, LPCITEMIDLIST item, ULONG a,
                                     LPCITEMIDLIST folderList, UniqueItemIDList& absoluteID) {
    // One parse per item, of a name as the shell gave it: it decides
    // parsability, the name feeds the mask and the list becomes the node's
    // full list.
    std::wstring parsingName;
    absoluteID = InFolderOrDesktopParsedItemIDList(folder, item, folderList, parsingName);
    if (FVirtualRoot) return true;
    if (!absoluteID) return false;
    if (a & kFolderLike) return true;
    return FShowFile && (a & SFGAO_FILESYSTEM) &&
           (FFileMask.empty() || NameMatchesFileMask(parsingName, FFileMask));
}

PFNTVCOMPARE TFolderTreeViewEx::FillComparison() const {
    return FInfoViewSort && FShowFile ? CompareFilesFirst : CompareByShell;
}

void TFolderTreeViewEx::FillNode(IShellFolder* folder, LPCITEMIDLIST itemID, TTreeNode* node) {
    ComPtr<IMalloc> malloc = FServices.Malloc();
    if (!malloc) return;
    std::optional<BusyBracket> busy; // a rebuild has one of its own
    if (!FUpdating) busy.emplace(Handle());
    // No update runs inside a fill, even where a listing raises a dialog
    // whose loop delivers timers.
    struct TFilling {
        int& count;
        explicit TFilling(int& c) : count(++c) {}
        ~TFilling() { --count; }
    } filling(FFilling);
    OpenFolder(node); // no change between the listing and the watch is missed
    // Items below a node of a file-system root take the short route to their
    // lists, parsed in their own folder; the rest parse their full names.
    const TTVITEMDATA* parent = FVirtualRoot ? nullptr : NodeData(node);
    const LPCITEMIDLIST folderList = parent ? parent->AbsoluteID.get() : nullptr;
    auto addIfShown = [&](IShellFolder* sub, LPCITEMIDLIST raw, ULONG a) {
        UniqueItemIDList absolute;
        if (IsShownChild(sub, raw, a, folderList, absolute))
            AddChildNode(sub, raw, a, std::move(absolute), node);
        return true;
    };
    // Sorted once filled; a folder that does not bind adds and sorts nothing.
    if (EnumerateFolder(folder, itemID, Handle(), FillFlags(), ItemAttributeMask, addIfShown)) {
        PFNTVCOMPARE compare = FillComparison();
        if (node) {
            node->CustomSort(compare, 0);
        } else {
            Items().CustomSort(compare, 0);
            for (TTreeNode* n = Items().GetFirstNode(); n; n = n->GetNextSibling())
                if (n->HasChildren()) n->CustomSort(compare, 0);
        }
    }
}

bool TFolderTreeViewEx::BeforeExpand(TTreeNode* node) {
    if (node && node->HasChildren() && !Designing() && !node->GetFirstChild()) {
        if (TTVITEMDATA* data = NodeData(node))
            FillNode(data->ParentFolder.Get(), data->RelativeID.get(), node);
    } else if (node && !Designing()) {
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
    FillNode(desktop.Get(), NodeData(rootNode)->AbsoluteID.get(), rootNode);
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
    FillNode(data->ParentFolder.Get(), data->RelativeID.get(), rootNode);
    CollapseToFirstNode(FShowRootFolder);
    if (FRootFolder == rfDrives) ApplySelectedDir();
}
