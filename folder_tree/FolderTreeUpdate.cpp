// The folder tree follows the file system while AutoUpDate is on: every
// expanded node of a folder on a fixed or network drive is watched for
// names made, removed and renamed in it; once changes have settled, the
// changed nodes' children are brought up to date by the fill's own rules,
// in place, keeping what is open, selected and scrolled to. F5 does the
// same for the selected node, a device change for the drives' level, and
// expanding a node again for a node that was not watched while closed.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/FolderTreeWatch.h"
#include "folder_tree/ShellFolders.h"
#include "folder_tree/ShellNames.h"
#include "folder_tree/TreeItemData.h"

#include <dbt.h>

#include <unordered_map>
#include <unordered_set>

using Microsoft::WRL::ComPtr;

namespace {

constexpr UINT_PTR kSettleTimer = 0x4B57; // the tree's one timer
constexpr UINT kSettleMs = 200;

bool IsWithin(const TTreeNode* node, const TTreeNode* ancestor) {
    for (const TTreeNode* n = node; n; n = n->Parent())
        if (n == ancestor) return true;
    return false;
}

bool IsShownExpanded(const TTreeNode* node) {
    for (const TTreeNode* n = node; n; n = n->Parent())
        if (!n->Expanded()) return false;
    return true;
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
    TVITEMA item{};
    item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = node->ItemId();
    item.iImage = item.iSelectedImage = I_IMAGECALLBACK;
    SendMessageA(tree, TVM_SETITEMA, 0, LPARAM(&item));
}

// Drawing held back while nodes change, without the hourglass of a fill.
class TRedrawHeld {
  public:
    explicit TRedrawHeld(HWND window) : window_(window) {
        SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
    }
    ~TRedrawHeld() {
        SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    TRedrawHeld(const TRedrawHeld&) = delete;
    TRedrawHeld& operator=(const TRedrawHeld&) = delete;

  private:
    HWND window_;
};

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

TFolderTreeViewEx::~TFolderTreeViewEx() = default;

void TFolderTreeViewEx::SetAutoUpDate(bool value) {
    if (value == FAutoUpDate) return;
    FAutoUpDate = value;
    if (!value)
        StopWatches();
    else if (HandleAllocated() && !FUpdating)
        SyncWatches(); // open nodes are watched, and read again, from now on
}

// ---- watches ----

std::wstring TFolderTreeViewEx::WatchablePath(const TTreeNode* node) {
    const TTVITEMDATA* data = NodeData(node);
    if (!FAutoUpDate || FVirtualRoot || !data || !data->AbsoluteID ||
        !(data->Attributes & SFGAO_FILESYSTEM))
        return {};
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(data->AbsoluteID.get(), path) || !path[0]) return {};
    // A handle on a removable drive would keep the user from ejecting it.
    if (path[1] == L':') {
        const char root[] = {char(path[0]), ':', '\\', 0};
        const UINT type = FServices.DriveType(root);
        if (type != DRIVE_FIXED && type != DRIVE_REMOTE && type != DRIVE_RAMDISK) return {};
    } else if (path[0] != L'\\' || path[1] != L'\\') {
        return {};
    }
    return path;
}

void TFolderTreeViewEx::WatchBeforeReading(TTreeNode* node) {
    if (!node) return;
    const std::wstring path = WatchablePath(node);
    if (path.empty()) return;
    if (!FWatches) FWatches = std::make_unique<TFolderWatches>(kSettleTimer, kSettleMs);
    FWatches->Start(node, path, FShowFile, Handle());
}

void TFolderTreeViewEx::SyncWatches() {
    if (!FAutoUpDate) return;
    if (FWatches)
        for (TTreeNode* node : FWatches->Nodes())
            if (!IsShownExpanded(node)) FWatches->Stop(node);
    // Nodes opened without a notice (a programmatic expansion of a node
    // filled before) are read again as their watch starts.
    std::vector<TTreeNode*> open;
    for (TTreeNode* n = Items().GetFirstNode(); n; n = n->GetNextSibling())
        if (n->Expanded()) open.push_back(n);
    const int builds = FRebuildCount + FRefreshCount;
    while (!open.empty() && builds == FRebuildCount + FRefreshCount) { // an owner may rebuild
        TTreeNode* node = open.back();
        open.pop_back();
        if (!(FWatches && FWatches->Watched(node)) && !WatchablePath(node).empty()) {
            WatchBeforeReading(node);
            UpdateNode(node);
        }
        for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
            if (c->Expanded()) open.push_back(c);
    }
}

void TFolderTreeViewEx::StopWatches() {
    KillTimer(Handle(), kSettleTimer);
    FWatches.reset();
}

void TFolderTreeViewEx::RereadOnExpand(TTreeNode* node) {
    if (!FAutoUpDate || (FWatches && FWatches->Watched(node))) return;
    WatchBeforeReading(node);
    UpdateNode(node);
}

void TFolderTreeViewEx::RereadBranch(TTreeNode* node) {
    // Open nodes below it show again: those not watched were closed with it.
    for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
        if (c->Expanded()) {
            RereadOnExpand(c);
            RereadBranch(c);
        }
}

void TFolderTreeViewEx::WatchNotify(const NMHDR* header) {
    const auto* info = reinterpret_cast<const NMTREEVIEWA*>(header);
    if (header->code == TVN_DELETEITEMA) {
        if (FWatches) FWatches->Stop(reinterpret_cast<TTreeNode*>(info->itemOld.lParam));
    } else if (header->code == TVN_ITEMEXPANDEDA && FAutoUpDate && !FUpdating) {
        auto* node = reinterpret_cast<TTreeNode*>(info->itemNew.lParam);
        if (!node) return;
        if (info->action & TVE_EXPAND) {
            RereadBranch(node);
        } else if (FWatches) {
            for (TTreeNode* watched : FWatches->Nodes())
                if (IsWithin(watched, node)) FWatches->Stop(watched);
        }
    }
}

bool TFolderTreeViewEx::WatchMessage(UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_TIMER:
        if (wp != kSettleTimer) return false;
        UpdateChangedNodes();
        return true;
    case WM_KEYDOWN:
        if (wp != VK_F5 || !FAutoUpDate) return false;
        if (TTreeNode* node = Selected()) {
            TRedrawHeld redraw(Handle());
            if (IsShownExpanded(node)) WatchBeforeReading(node); // a closed node is only read
            UpdateNode(node);
        }
        return true;
    case WM_DEVICECHANGE:
        if (FAutoUpDate && (wp == DBT_DEVICEARRIVAL || wp == DBT_DEVICEREMOVECOMPLETE)) {
            FDrivesChanged = true;
            SetTimer(Handle(), kSettleTimer, kSettleMs, nullptr);
        }
        return false;
    default:
        return false;
    }
}

// Nested loops (a menu, a drag, a label edit, a rebuild's pumping) hold
// nodes: the update waits until they end.
bool TFolderTreeViewEx::UpdatesDeferred() const {
    if (FUpdating || TreeView_GetEditControl(Handle()) || GetCapture()) return true;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD modal = GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE | GUI_INMOVESIZE;
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & modal);
}

void TFolderTreeViewEx::UpdateChangedNodes() {
    if (UpdatesDeferred()) {
        SetTimer(Handle(), kSettleTimer, kSettleMs, nullptr);
        return;
    }
    KillTimer(Handle(), kSettleTimer);
    if (!FAutoUpDate) return;
    SyncWatches();
    std::vector<TFolderWatches::Change> changes;
    if (FWatches) changes = FWatches->TakeChanges();
    if (changes.empty() && !FDrivesChanged) return;
    TRedrawHeld redraw(Handle());
    // A node removed by an earlier update has lost its watch with it.
    for (TFolderWatches::Change& change : changes)
        if (FWatches && FWatches->Watched(change.node)) UpdateNode(change.node, change.renames);
    if (std::exchange(FDrivesChanged, false)) UpdateDrives();
}

// ---- bringing children up to date ----

void TFolderTreeViewEx::UpdateNode(TTreeNode* node, const TFolderRenames& renames) {
    TTVITEMDATA* data = NodeData(node);
    if (!data || !data->ParentFolder) return;
    UpdateChildren(data->ParentFolder.Get(), data->RelativeID.get(), node, renames);
}

void TFolderTreeViewEx::UpdateChildren(IShellFolder* folder, LPCITEMIDLIST itemID, TTreeNode* node,
                                       const TFolderRenames& renames) {
    ComPtr<IMalloc> malloc = FServices.Malloc();
    if (!malloc) return;
    ++FNodeUpdates;
    std::unordered_map<std::wstring, TTreeNode*> known;
    for (TTreeNode* c = node ? node->GetFirstChild() : Items().GetFirstNode(); c;
         c = c->GetNextSibling())
        if (const TTVITEMDATA* d = NodeData(c))
            known.emplace(InFolderName(d->ParentFolder.Get(), d->RelativeID.get()), c);

    // The folder listed as a fill lists it; known names stay as they are.
    struct Listed {
        UniqueItemIDList item;
        ULONG attributes;
        std::wstring name;
    };
    std::vector<Listed> listed;
    std::unordered_set<const TTreeNode*> kept;
    ComPtr<IShellFolder> sub;
    auto see = [&](IShellFolder* in, LPCITEMIDLIST raw, ULONG a) {
        sub = in;
        std::wstring name = InFolderName(in, raw);
        auto it = known.find(name);
        if (it != known.end() && kept.insert(it->second).second) {
            // A node never opened gains its button with its first subfolder
            // (or loses it with its last, where files are not shown).
            TTreeNode* child = it->second;
            const bool subfolders = (a & SFGAO_HASSUBFOLDER) != 0;
            if (!child->GetFirstChild() && child->HasChildren() != subfolders &&
                (subfolders || !FShowFile))
                child->SetHasChildren(subfolders);
            return true;
        }
        listed.push_back({CopyItemID(raw), a, std::move(name)});
        return true;
    };
    if (!EnumerateFolder(folder, itemID, Handle(), FillFlags(), ItemAttributeMask, see)) return;

    const TTVITEMDATA* parent = FVirtualRoot ? nullptr : NodeData(node);
    const LPCITEMIDLIST folderList = parent ? parent->AbsoluteID.get() : nullptr;
    std::unordered_map<std::wstring, std::size_t> shown; // new names the fill would show
    std::vector<UniqueItemIDList> lists(listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i)
        if (IsShownChild(sub.Get(), listed[i].item.get(), listed[i].attributes, folderList,
                         lists[i]))
            shown.emplace(listed[i].name, i);

    // Known nodes not listed again: renamed in place where the new name is
    // listed, otherwise gone.
    const auto finalNames = FinalNames(renames);
    std::vector<TTreeNode*> gone, renamed;
    for (const auto& [name, child] : known) {
        if (kept.count(child)) continue;
        auto to = finalNames.find(name);
        auto at = to == finalNames.end() ? shown.end() : shown.find(to->second);
        if (at == shown.end()) {
            gone.push_back(child);
            continue;
        }
        const std::size_t i = at->second;
        shown.erase(at);
        TTVITEMDATA* d = NodeData(child);
        d->ParentFolder = sub;
        d->RelativeID = CopyItemID(listed[i].item.get());
        d->AbsoluteID =
            lists[i] ? std::move(lists[i]) : ConcatItemIDLists(folderList, listed[i].item.get());
        d->Attributes = listed[i].attributes;
        std::string text;
        if (GetItemDisplayName(sub.Get(), d->RelativeID.get(), SHGDN_INFOLDER, text))
            child->SetText(text);
        ForgetImages(Handle(), child);
        RepointBranch(child);
        renamed.push_back(child);
    }

    // The selection never stays on a node that goes: it moves to the parent,
    // which tells the owner (OnChange) before anything is deleted.
    TTreeNode* top = TopItem();
    const int builds = FRebuildCount + FRefreshCount;
    for (TTreeNode* child : gone) {
        if (node && IsWithin(Selected(), child)) SetSelected(node);
        if (builds != FRebuildCount + FRefreshCount) return; // the owner rebuilt the tree
        if (IsWithin(top, child)) top = node;
    }
    for (TTreeNode* child : gone)
        child->Delete();
    for (std::size_t i = 0; i < listed.size(); ++i)
        if (shown.count(listed[i].name))
            AddChildNode(sub.Get(), listed[i].item.get(), listed[i].attributes, std::move(lists[i]),
                         node);
    if (!shown.empty() || !renamed.empty()) {
        if (node)
            node->CustomSort(FillComparison(), 0);
        else
            Items().CustomSort(FillComparison(), 0);
    }
    if (top && TopItem() != top) SetTopItem(top);
    // A renamed folder, or one below it, selected: the owner hears its new name.
    for (TTreeNode* child : renamed)
        if (IsWithin(Selected(), child)) {
            if (OnChange) OnChange(this, GetSelectedFolderName());
            break;
        }
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
