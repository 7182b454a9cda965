// A node's children brought up to date by the fill's own rules, in place:
// children matched by the names they should have now (renames learnt
// first), open and selected children by their folders' identities, what
// went removed (the selection moved out of it first), what came added,
// renamed children re-pointed with their branches, the order and the top
// item kept; the tree's own root folders followed by identity when renamed;
// the drives' level.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/FolderIdentity.h"
#include "folder_tree/FolderTreeWatch.h"
#include "folder_tree/ShellFolders.h"
#include "folder_tree/ShellNames.h"
#include "folder_tree/TreeItemData.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>

using Microsoft::WRL::ComPtr;

namespace {

bool IsWithin(const TTreeNode* node, const TTreeNode* ancestor) {
    for (const TTreeNode* n = node; n; n = n->Parent())
        if (n == ancestor) return true;
    return false;
}

// How an item and a node are matched: the item's name for parsing in its
// folder (a file-system item's file name).
std::wstring InFolderName(IShellFolder* folder, LPCITEMIDLIST item) {
    std::wstring name;
    GetItemDisplayNameW(folder, item, SHGDN_INFOLDER | SHGDN_FORPARSING, name);
    return name;
}

// The node's icons, kept by the control, are asked for again when next drawn.
void ForgetImages(HWND tree, TTreeNode* node) {
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = node->ItemId();
    item.iImage = item.iSelectedImage = I_IMAGECALLBACK;
    SendMessageW(tree, TVM_SETITEMW, 0, LPARAM(&item));
}

// Renames old to new, chains followed: a→b then b→c gives a→c.
std::unordered_map<std::wstring, std::wstring> FinalNames(const TFolderRenames& renames) {
    std::unordered_map<std::wstring, std::wstring> final;
    for (const auto& [from, to] : renames) {
        for (auto& [first, now] : final)
            if (now == from) now = to;
        final.emplace(from, to);
    }
    return final;
}

} // namespace

void TFolderTreeViewEx::UpdateNode(TTreeNode* node, const TFolderRenames& renames) {
    TTVITEMDATA* data = NodeData(node);
    if (!data || !data->ParentFolder) return;
    const std::wstring path = WatchablePath(node);
    const bool open = FWatches && FWatches->IsOpen(node);
    // A folder gone is taken away by its parent's update; the tree's own
    // root folders have none, and follow their folder by its identity.
    if (!path.empty() && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (open && !node->Parent()) FollowMovedFolder(node, path);
        return;
    }
    const bool wasEmpty = !node->GetFirstChild();
    UpdateChildren(data->ParentFolder.Get(), data->RelativeID.get(), node, renames);
    if (open) FWatches->Open(node, path, FShowFile); // its last-write time and identity anew
    // A root folder that was empty opens with its first folders, as a build does.
    if (wasEmpty && !node->Parent() && node->GetFirstChild() && FShowRootFolder)
        node->Expand(false);
}

bool TFolderTreeViewEx::FollowMovedFolder(TTreeNode* node, const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L'\\');
    const ULONGLONG id = FWatches->FileId(node);
    if (!id || slash == std::wstring::npos) return false;
    const std::wstring moved =
        FindSubfolderById(path.substr(0, std::max<std::size_t>(slash, 3)), id);
    ComPtr<IShellFolder> desktop = FServices.Desktop();
    UniqueItemIDList list = moved.empty() ? nullptr : PathToItemIDList(moved, desktop.Get());
    if (!list) return false;
    ShellLevel level = WalkShellLevels(desktop.Get(), list.get());
    if (!level.folder || !level.item) return false;
    TTVITEMDATA* data = NodeData(node);
    data->ParentFolder = level.folder;
    data->RelativeID = std::move(level.item);
    data->AbsoluteID = std::move(list);
    node->SetText(GetFileInfoDisplayName(data->AbsoluteID.get()));
    ForgetImages(Handle(), node);
    RepointBranch(node);
    ReopenBranch(node);
    UpdateChildren(data->ParentFolder.Get(), data->RelativeID.get(), node, {});
    return true;
}

void TFolderTreeViewEx::UpdateChildren(IShellFolder* folder, LPCITEMIDLIST itemID, TTreeNode* node,
                                       const TFolderRenames& renames) {
    ComPtr<IMalloc> malloc = FServices.Malloc();
    if (!malloc) return;
    ++FNodeUpdates;
    // Drawing is held, without the hourglass of a fill, from the update's
    // first node to its end.
    if (FChangeHeld && !std::exchange(FRedrawHeld, true))
        SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    // Each child by the name it should have now: the renames learnt first,
    // so that names given to each other (a swap) go with their nodes, then
    // the names shown.
    const auto finalNames = FinalNames(renames);
    std::vector<TTreeNode*> children;
    std::unordered_map<const TTreeNode*, std::wstring> shownNames;
    for (TTreeNode* c = node ? node->GetFirstChild() : Items().GetFirstNode(); c;
         c = c->GetNextSibling())
        if (const TTVITEMDATA* d = NodeData(c)) {
            children.push_back(c);
            shownNames[c] = InFolderName(d->ParentFolder.Get(), d->RelativeID.get());
        }
    std::unordered_map<std::wstring, TTreeNode*> expected;
    for (TTreeNode* c : children)
        if (auto to = finalNames.find(shownNames[c]); to != finalNames.end())
            expected.emplace(to->second, c);
    for (TTreeNode* c : children)
        if (!finalNames.count(shownNames[c])) expected.emplace(shownNames[c], c);

    // The folder listed as a fill lists it; children listed under the name
    // they show stay as they are, but for open ones (and the selection),
    // whose identities settle who is who below.
    struct Listed {
        UniqueItemIDList item;
        ULONG attributes;
        std::wstring name;
        TTreeNode* node; // the child that has this name now, if any
    };
    std::vector<Listed> listed;
    std::unordered_set<const TTreeNode*> kept;
    ComPtr<IShellFolder> sub;
    auto known = [this](const TTreeNode* c) { return FWatches && FWatches->FileId(c) != 0; };
    auto see = [&](IShellFolder* in, LPCITEMIDLIST raw, ULONG a) {
        sub = in;
        std::wstring name = InFolderName(in, raw);
        auto it = expected.find(name);
        TTreeNode* child =
            it != expected.end() && kept.insert(it->second).second ? it->second : nullptr;
        if (child && shownNames[child] == name && !known(child)) {
            // A node never opened gains its button with its first subfolder
            // (or loses it with its last, where files are not shown).
            const bool subfolders = (a & SFGAO_HASSUBFOLDER) != 0;
            if (!child->GetFirstChild() && child->HasChildren() != subfolders &&
                (subfolders || !FShowFile))
                child->SetHasChildren(subfolders);
            return true;
        }
        listed.push_back({CopyItemID(raw), a, std::move(name), child});
        return true;
    };
    if (!EnumerateFolder(folder, itemID, Handle(), FillFlags(), ItemAttributeMask, see)) return;

    const TTVITEMDATA* parent = FVirtualRoot ? nullptr : NodeData(node);
    const LPCITEMIDLIST folderList = parent ? parent->AbsoluteID.get() : nullptr;
    std::vector<bool> shown(listed.size());
    std::vector<UniqueItemIDList> lists(listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i)
        shown[i] = IsShownChild(sub.Get(), listed[i].item.get(), listed[i].attributes, folderList,
                                lists[i]);

    // An open or selected child goes with its folder's identity wherever it
    // is listed now: under a new name no event told, or under another
    // child's name (a swap). One whose name holds another folder now
    // (removed and made again) keeps its name and is read again.
    std::vector<TTreeNode*> reread;
    if (std::any_of(children.begin(), children.end(), known)) {
        std::vector<std::optional<ULONGLONG>> ids(listed.size());
        auto idOf = [&](std::size_t i) {
            wchar_t path[MAX_PATH] = {};
            if (!ids[i])
                ids[i] = shown[i] && (listed[i].attributes & SFGAO_FOLDER) && lists[i] &&
                                 SHGetPathFromIDListW(lists[i].get(), path)
                             ? FolderFileId(path)
                             : 0;
            return *ids[i];
        };
        // Only where one of them is not listed as the same folder under its
        // name are the other folders listed asked who they are: a brief open
        // each, which a share answers over the network.
        std::unordered_set<const TTreeNode*> same;
        for (std::size_t i = 0; i < listed.size(); ++i)
            if (TTreeNode* byName = listed[i].node;
                byName && known(byName) && idOf(i) == FWatches->FileId(byName))
                same.insert(byName);
        if (!std::all_of(children.begin(), children.end(),
                         [&](const TTreeNode* c) { return !known(c) || same.count(c); })) {
            std::unordered_map<ULONGLONG, std::size_t> at;
            for (std::size_t i = 0; i < listed.size(); ++i)
                if (idOf(i)) at.emplace(idOf(i), i);
            std::vector<TTreeNode*> moved(listed.size(), nullptr);
            for (TTreeNode* c : children)
                if (auto where = at.find(FWatches->FileId(c)); known(c) && where != at.end())
                    moved[where->second] = c;
            auto claimed = [&](const TTreeNode* c) {
                return std::find(moved.begin(), moved.end(), c) != moved.end();
            };
            for (std::size_t i = 0; i < listed.size(); ++i) {
                TTreeNode* byName = listed[i].node;
                if (moved[i])
                    listed[i].node = moved[i];
                else if (byName && known(byName) && claimed(byName))
                    listed[i].node = nullptr; // that child's folder is listed elsewhere
                else if (byName && known(byName) && idOf(i) != FWatches->FileId(byName))
                    reread.push_back(byName);
            }
        }
    }
    std::unordered_set<const TTreeNode*> placed;
    for (const Listed& l : listed)
        if (l.node) placed.insert(l.node);
    std::vector<TTreeNode*> gone;
    for (TTreeNode* c : children)
        if (!placed.count(c) && (known(c) || !kept.count(c))) gone.push_back(c);

    // Renamed in place: the node keeps its place, its branch and the
    // selection; its record and text name the folder anew.
    std::vector<TTreeNode*> renamed;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        TTreeNode* child = listed[i].node;
        if (!child || (shown[i] && shownNames[child] == listed[i].name)) continue;
        if (!shown[i]) {
            gone.push_back(child);
            continue;
        }
        TTVITEMDATA* d = NodeData(child);
        d->ParentFolder = sub;
        d->RelativeID = CopyItemID(listed[i].item.get());
        d->AbsoluteID =
            lists[i] ? std::move(lists[i]) : ConcatItemIDLists(folderList, listed[i].item.get());
        d->Attributes = listed[i].attributes;
        std::wstring text;
        if (GetItemDisplayNameW(sub.Get(), d->RelativeID.get(), SHGDN_INFOLDER, text))
            child->SetText(text);
        ForgetImages(Handle(), child);
        RepointBranch(child);
        renamed.push_back(child);
    }

    // The selection never stays on a node that goes: it moves to the parent
    // before anything is deleted.
    TTreeNode* top = TopItem();
    for (TTreeNode* child : gone) {
        if (node && IsWithin(Selected(), child)) SetSelected(node);
        if (IsWithin(top, child)) top = node;
    }
    for (TTreeNode* child : gone)
        child->Delete();
    bool added = false;
    for (std::size_t i = 0; i < listed.size(); ++i)
        if (shown[i] && !listed[i].node) {
            AddChildNode(sub.Get(), listed[i].item.get(), listed[i].attributes, std::move(lists[i]),
                         node);
            added = true;
        }
    if (added || !renamed.empty()) {
        if (node)
            node->CustomSort(FillComparison(), 0);
        else
            Items().CustomSort(FillComparison(), 0);
    }
    if (top && TopItem() != top) SetTopItem(top);
    for (TTreeNode* child : renamed)
        ReopenBranch(child); // the folders open below it have new paths
    for (TTreeNode* child : reread)
        if (FWatches && FWatches->FileId(child)) UpdateNode(child);
}

void TFolderTreeViewEx::ReopenBranch(TTreeNode* node) {
    if (!FWatches) return;
    if (FWatches->IsOpen(node))
        FWatches->Open(node, WatchablePath(node), FShowFile);
    else if (node == Selected())
        RecogniseSelection(node);
    for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
        if (c->Expanded() || c == Selected()) ReopenBranch(c);
}

void TFolderTreeViewEx::RepointBranch(TTreeNode* node) {
    // Every record below a renamed node names its folder afresh: the same
    // items in the folder bound under the new name.
    const TTVITEMDATA* data = NodeData(node);
    TTreeNode* first = node->GetFirstChild();
    ComPtr<IShellFolder> sub;
    if (!first || FAILED(data->ParentFolder->BindToObject(data->RelativeID.get(), nullptr,
                                                          IID_PPV_ARGS(&sub))))
        return;
    for (TTreeNode* c = first; c; c = c->GetNextSibling()) {
        TTVITEMDATA* d = NodeData(c);
        if (!d) continue;
        d->ParentFolder = sub;
        std::wstring name;
        UniqueItemIDList list = InFolderOrDesktopParsedItemIDList(sub.Get(), d->RelativeID.get(),
                                                                  data->AbsoluteID.get(), name);
        d->AbsoluteID =
            list ? std::move(list) : ConcatItemIDLists(data->AbsoluteID.get(), d->RelativeID.get());
        RepointBranch(c);
    }
}

void TFolderTreeViewEx::UpdateDrives() {
    ComPtr<IShellFolder> desktop = FServices.Desktop();
    LPITEMIDLIST raw = nullptr;
    if (!desktop || FAILED(SHGetSpecialFolderLocation(Handle(), CSIDL_DRIVES, &raw))) return;
    const UniqueItemIDList drives(raw);
    if (FRootFolder == rfDrives && !FShowRootFolder) { // the drives are the top level
        ShellLevel level = WalkShellLevels(desktop.Get(), drives.get());
        if (level.folder && level.item)
            UpdateChildren(level.folder.Get(), level.item.get(), nullptr, {});
        return;
    }
    // The computer's node is a root node or a child of one.
    for (TTreeNode* n = Items().GetFirstNode(); n; n = n->GetNextSibling())
        for (TTreeNode* c = n; c; c = c == n ? n->GetFirstChild() : c->GetNextSibling()) {
            const TTVITEMDATA* d = NodeData(c);
            if (d && d->AbsoluteID && c->GetFirstChild() &&
                IsSameItem(desktop.Get(), d->AbsoluteID.get(), drives.get()))
                UpdateNode(c);
        }
}
