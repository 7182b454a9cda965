// The folder tree follows the file system while AutoUpDate is on: the
// folders of the nodes that show open are known to the watches
// (FolderTreeWatch.h), which mark a node when its folder changes; once
// changes have settled, the marked nodes' children are brought up to date
// (FolderTreeChildren.cpp), in slices, with OnChange told once. F5 does
// the same for the selected node, a device change for the drives' level,
// and expanding a node again for a node closed since.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/FolderTreeWatch.h"
#include "folder_tree/TreeItemData.h"
#include "folder_tree/WatchRound.h"

#include <dbt.h>

#include <algorithm>

namespace {

constexpr UINT_PTR kSettleTimer = 0x4B57, kCheckTimer = 0x4B58; // the tree's timers
constexpr UINT kSettleMs = 200;
// Checks of last-write times, where no root's read serves: a change shows
// after two checks (moved, then held still) and the settle.
constexpr UINT kCheckMs = 1000;
// An update reads changed nodes for this long before the window answers again.
constexpr DWORD kSliceMs = 50;

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

} // namespace

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
    // Removable drives too: a root's handle is closed when its volume is
    // about to go. A CD's folders do not change.
    if (path[1] == L':') {
        const char root[] = {char(path[0]), ':', '\\', 0};
        const UINT type = FServices.DriveType(root);
        if (type != DRIVE_FIXED && type != DRIVE_REMOTE && type != DRIVE_RAMDISK &&
            type != DRIVE_REMOVABLE)
            return {};
    } else if (path[0] != L'\\' || path[1] != L'\\') {
        return {};
    }
    return path;
}

void TFolderTreeViewEx::OpenFolder(TTreeNode* node) {
    const std::wstring path = node ? WatchablePath(node) : std::wstring();
    if (path.empty()) return;
    if (!FWatches)
        FWatches = std::make_unique<TFolderWatches>(FServices, Handle(), kSettleTimer, kSettleMs);
    // Resolved by the listing that every caller starts next.
    FWatches->Open(node, path, FShowFile, false, true);
    if (FWatches->NeedsChecks()) SetTimer(Handle(), kCheckTimer, kCheckMs, nullptr);
}

void TFolderTreeViewEx::RecogniseSelection(TTreeNode* node) {
    if (!FWatches || !node || FWatches->IsOpen(node)) return;
    const std::wstring path = WatchablePath(node);
    if (!path.empty()) FWatches->Open(node, path, FShowFile, true);
}

// A node shows open when it and its ancestors are expanded; so does an empty
// root folder's node, whose contents are what the tree shows.
bool TFolderTreeViewEx::ShowsOpen(const TTreeNode* node) const {
    return IsShownExpanded(node) || (FShowRootFolder && !node->Parent() && !node->GetFirstChild());
}

void TFolderTreeViewEx::SyncWatches() {
    if (!FAutoUpDate) return;
    UpdateTelling([this] {
        if (FWatches)
            for (TTreeNode* node : FWatches->Nodes())
                if (!ShowsOpen(node)) FWatches->Close(node);
        // Nodes that show open unknown to the watches (opened in a rebuild,
        // or by a programmatic expansion) are read as they become known.
        // Nodes held are used only while none has gone; else collected anew
        // (those known by now are passed over).
        std::vector<TTreeNode*> open;
        unsigned generation = FGeneration - 1;
        for (int rounds = 0; rounds < 8;) {
            if (generation != FGeneration) {
                generation = FGeneration;
                ++rounds;
                open.clear();
                for (TTreeNode* n = Items().GetFirstNode(); n; n = n->GetNextSibling())
                    if (ShowsOpen(n)) open.push_back(n);
            }
            if (open.empty()) break;
            TTreeNode* node = open.back();
            open.pop_back();
            if (!(FWatches && FWatches->IsOpen(node)) && !WatchablePath(node).empty()) {
                OpenFolder(node);
                UpdateNode(node);
                if (generation != FGeneration) continue;
            }
            for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
                if (c->Expanded()) open.push_back(c);
        }
        RecogniseSelection(Selected());
    });
    if (!FWatches || !FWatches->NeedsChecks()) KillTimer(Handle(), kCheckTimer);
}

void TFolderTreeViewEx::StopWatches() {
    KillTimer(Handle(), kSettleTimer);
    KillTimer(Handle(), kCheckTimer);
    FPendingUpdates.clear();
    FWatches.reset();
}

void TFolderTreeViewEx::RereadOnExpand(TTreeNode* node) {
    if (!FAutoUpDate || (FWatches && FWatches->IsOpen(node))) return;
    UpdateTelling([&] {
        OpenFolder(node);
        UpdateNode(node);
    });
}

void TFolderTreeViewEx::RereadBranch(TTreeNode* node) {
    // Open nodes below it show again: those not known were closed with it.
    for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling())
        if (c->Expanded()) {
            RereadOnExpand(c);
            RereadBranch(c);
        }
}

void TFolderTreeViewEx::ExpandedWithoutNotice(TTreeNode* node) {
    if (!FAutoUpDate || FUpdating || Designing()) return;
    UpdateTelling([&] {
        RereadOnExpand(node);
        RereadBranch(node);
    });
}

void TFolderTreeViewEx::WatchNotify(const NMHDR* header) {
    const auto* info = reinterpret_cast<const NMTREEVIEWW*>(header);
    if (header->code == TVN_DELETEITEMW) {
        if (FWatches) FWatches->Close(reinterpret_cast<TTreeNode*>(info->itemOld.lParam));
    } else if (header->code == TVN_ITEMEXPANDEDW && !FUpdating) {
        auto* node = reinterpret_cast<TTreeNode*>(info->itemNew.lParam);
        if (!node) return;
        if (info->action & TVE_EXPAND) {
            if (FAutoUpDate) UpdateTelling([&] { RereadBranch(node); });
        } else {
            Collapsed(node);
        }
    }
}

// A collapse by program keeps its watches, as it always did; only a
// listing under way would fill a closed node.
void TFolderTreeViewEx::CollapsedWithoutNotice(TTreeNode* node) {
    if (!FUpdating && !Designing()) CancelListings(node, false);
}

void TFolderTreeViewEx::Collapsed(TTreeNode* node) {
    CancelListings(node, false); // a late result would fill a closed node
    if (!FWatches || !FAutoUpDate) return;
    for (TTreeNode* open : FWatches->Nodes())
        if (IsWithin(open, node) && !ShowsOpen(open)) FWatches->Close(open);
    RecogniseSelection(Selected()); // closed with the branch, perhaps
}

bool TFolderTreeViewEx::WatchMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TreeWatchMessage()) { // a round of the watches is back
        if (FWatches) FWatches->RoundDone();
        return true;
    }
    switch (msg) {
    case WM_TIMER:
        if (ListingTimer(wp)) return true;
        if (wp == kCheckTimer) {
            // Checks hold nothing open; they run while the tree can be seen.
            if (IsWindowVisible(Handle()) && !IsIconic(GetAncestor(Handle(), GA_ROOT)))
                CheckFolders(false);
            return true;
        }
        if (wp != kSettleTimer) return false;
        UpdateChangedNodes();
        return true;
    case WM_ACTIVATEAPP:
        if (wp) CheckFolders(true);
        return false;
    case WM_KEYDOWN:
        if (wp != VK_F5) return false;
        // A node whose folder has not answered is asked again; so is one
        // whose placeholder is selected.
        if (TTreeNode* node = Selected();
            node && RetryListing(!NodeData(node) && node->Parent() ? node->Parent() : node))
            return true;
        if (!FAutoUpDate) return false;
        if (TTreeNode* node = Selected())
            UpdateTelling([&] {
                // A closed node is only read; an open one is resolved anew as it is.
                if (IsShownExpanded(node) && !(FWatches && FWatches->IsOpen(node)))
                    OpenFolder(node);
                UpdateNode(node);
            });
        CheckFolders(true);
        return true;
    case WM_DEVICECHANGE:
        if (FWatches && FWatches->DeviceChange(wp, lp)) return false;
        if (FAutoUpDate && (wp == DBT_DEVICEARRIVAL || wp == DBT_DEVICEREMOVECOMPLETE)) {
            FDrivesChanged = true;
            SetTimer(Handle(), kSettleTimer, kSettleMs, nullptr);
        }
        return false;
    default:
        return false;
    }
}

void TFolderTreeViewEx::CheckFolders(bool atOnce) {
    if (!FAutoUpDate || !FWatches) return;
    if (!FWatches->Check(atOnce)) KillTimer(Handle(), kCheckTimer);
}

// Nested loops (a menu, a drag, a label edit, a rebuild's pumping, a dialog
// raised while a folder is listed) hold nodes: the update waits until they end.
bool TFolderTreeViewEx::UpdatesDeferred() const {
    if (FUpdating || FUpdatingNodes || TreeView_GetEditControl(Handle()) || GetCapture())
        return true;
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
    UpdateTelling([this] {
        SyncWatches();
        if (FWatches)
            for (TFolderWatches::Change& change : FWatches->TakeChanges()) {
                auto same = std::find_if(FPendingUpdates.begin(), FPendingUpdates.end(),
                                         [&](const auto& p) { return p.first == change.node; });
                if (same == FPendingUpdates.end())
                    FPendingUpdates.emplace_back(change.node, std::move(change.renames));
                else
                    same->second.insert(same->second.end(), change.renames.begin(),
                                        change.renames.end());
            }
        // Parents before children, so that a child's folder renamed with its
        // parent is named anew first; visible nodes first; many (a root's
        // overflow) in slices, so that the window answers in between.
        // A node deleted since it was marked is no longer known.
        std::erase_if(FPendingUpdates,
                      [this](const auto& p) { return !FWatches || !FWatches->IsOpen(p.first); });
        std::stable_sort(FPendingUpdates.begin(), FPendingUpdates.end(),
                         [](auto& x, auto& y) { return x.first->Level() < y.first->Level(); });
        std::stable_partition(FPendingUpdates.begin(), FPendingUpdates.end(), [this](auto& p) {
            RECT r;
            return TreeView_GetItemRect(Handle(), p.first->ItemId(), &r, TRUE) != FALSE;
        });
        const DWORD start = FServices.Tick();
        while (!FPendingUpdates.empty() && FServices.Tick() - start < kSliceMs) {
            auto [node, renames] = std::move(FPendingUpdates.front());
            FPendingUpdates.erase(FPendingUpdates.begin());
            // One deleted by an update before it is no longer known.
            if (FWatches && FWatches->IsOpen(node)) UpdateNode(node, renames);
        }
        if (std::exchange(FDrivesChanged, false)) UpdateDrives();
    });
    if (!FPendingUpdates.empty()) SetTimer(Handle(), kSettleTimer, 1, nullptr);
}

void TFolderTreeViewEx::UpdateTelling(const std::function<void()>& update) {
    if (FChangeHeld) { // within an update already
        update();
        return;
    }
    // The selection's folder as its full list: a rename gives it a new one.
    auto selectedList = [this]() -> std::string {
        const TTVITEMDATA* data = NodeData(Selected());
        const auto* bytes = data ? reinterpret_cast<const char*>(data->AbsoluteID.get()) : nullptr;
        return bytes ? std::string(bytes, GetItemIDListSize(data->AbsoluteID.get()))
                     : std::string();
    };
    const TTreeNode* selected = Selected();
    const std::string before = selectedList();
    FChangeHeld = FUpdatingNodes = true;
    FChangeMissed = false;
    update();
    FChangeHeld = FUpdatingNodes = false;
    if (std::exchange(FRedrawHeld, false)) {
        SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(Handle(), nullptr, TRUE);
    }
    if (FChangeMissed || Selected() != selected || selectedList() != before) TellChange();
}
