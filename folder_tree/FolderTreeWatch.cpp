#include "folder_tree/FolderTreeWatch.h"

#include "folder_tree/RootWatch.h"
#include "folder_tree/TreeServices.h"
#include "folder_tree/WatchRound.h"
#include "gui/Owners.h"

#include <dbt.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

std::wstring ParentOf(const std::wstring& name) {
    const std::size_t slash = name.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : name.substr(0, slash);
}

std::wstring LeafOf(const std::wstring& name) {
    const std::size_t slash = name.find_last_of(L'\\');
    return slash == std::wstring::npos ? name : name.substr(slash + 1);
}

// A root ends in "\": "C:\" and "a\b" give "C:\a\b".
std::wstring Joined(const std::wstring& root, const std::wstring& relative) {
    return root + relative;
}

} // namespace

TFolderWatches::TFolderWatches(TTreeServices& services, HWND window, UINT_PTR settleTimer,
                               UINT settleMs)
    : services_(services), window_(window), timerId_(settleTimer), settleMs_(settleMs) {}

TFolderWatches::~TFolderWatches() {
    CloseAll();
}

unsigned TFolderWatches::Open(TTreeNode* node, const std::wstring& path, bool fileNames,
                              bool identityOnly, bool byListing) {
    if (identityOnly) // one folder is known by identity alone: the selection's
        for (auto f = folders_.begin(); f != folders_.end();)
            f = f->first != node && f->second.identityOnly ? Forget(f) : std::next(f);
    auto [it, added] = folders_.try_emplace(node);
    TOpenFolder& folder = it->second;
    if (!added && identityOnly && !folder.identityOnly) return 0; // open already says more
    folder.path = path;
    folder.identityOnly = identityOnly;
    folder.fileNames = fileNames;
    folder.moving.reset();
    // Until it is resolved, the folder keeps the identity it had, by which a
    // rename finds it, and is not checked.
    folder.ticket = ++lastTicket_;
    folder.byListing = byListing;
    if (!byListing) {
        resolves_.emplace_back(node, folder.ticket);
        StartRound();
    }
    return folder.ticket;
}

unsigned TFolderWatches::ListingResolves(const TTreeNode* node, std::wstring& path) const {
    auto it = folders_.find(node);
    if (it == folders_.end() || !it->second.byListing || it->second.resolved == it->second.ticket)
        return 0;
    path = it->second.path;
    return it->second.ticket;
}

void TFolderWatches::Resolve(const TTreeNode* node) {
    std::wstring path;
    const unsigned ticket = ListingResolves(node, path);
    if (!ticket) return;
    folders_.at(node).byListing = false;
    resolves_.emplace_back(node, ticket);
    StartRound();
}

void TFolderWatches::Resolved(const TTreeNode* node, unsigned ticket,
                              const TFolderIdentity* identity) {
    auto it = folders_.find(node);
    if (it == folders_.end() || it->second.ticket != ticket || it->second.resolved == ticket)
        return; // opened again since, or closed
    TOpenFolder& folder = it->second;
    folder.resolved = ticket;
    // A folder that cannot be opened keeps the identity it had; its
    // last-write time is taken as unknown.
    if (identity)
        folder.identity = *identity;
    else
        folder.identity.lastWrite = 0;
    if (auto k = byKey_.find(folder.key); k != byKey_.end() && k->second == node) byKey_.erase(k);
    folder.rootKey = FoldedName(folder.identity.root);
    folder.key = FoldedName(Joined(folder.identity.root, folder.identity.relative));
    if (!folder.identity.root.empty()) byKey_[folder.key] = const_cast<TTreeNode*>(node);
    // Where a root's read cannot report everything (Wine), none is kept: the
    // checks carry the changes, and such a read makes every later opening of
    // a folder below the root cost more.
    if (!folder.identityOnly && !folder.identity.root.empty() && services_.ChangesComplete()) {
        const DWORD filter =
            FILE_NOTIFY_CHANGE_DIR_NAME | (folder.fileNames ? FILE_NOTIFY_CHANGE_FILE_NAME : 0);
        auto& root = roots_[folder.rootKey];
        if (root && (root->filter & filter) != filter) root.reset(); // read files' names too
        if (!root) {
            root = std::make_unique<TRootWatch>(*this, folder.identity.root, filter);
            root->Ask();
        }
    }
    DropUnusedRoots();
    StartRound();
}

void TFolderWatches::Close(TTreeNode* node) {
    auto it = folders_.find(node);
    if (it == folders_.end()) return;
    Forget(it);
    DropUnusedRoots();
}

TFolderWatches::TFolders::iterator TFolderWatches::Forget(TFolders::iterator it) {
    if (auto k = byKey_.find(it->second.key); k != byKey_.end() && k->second == it->first)
        byKey_.erase(k);
    return folders_.erase(it);
}

void TFolderWatches::CloseAll() {
    if (round_) round_->Cancel(); // its thread ends by itself
    round_.reset();
    resolves_.clear();
    checkWanted_ = false;
    folders_.clear();
    byKey_.clear();
    roots_.clear();
    // The cancelled reads complete in an alertable wait; a few rounds suffice.
    for (int round = 0; round < 100 && TRootRead::AnyRetired(); ++round)
        SleepEx(round ? 1 : 0, TRUE);
}

void TFolderWatches::DropUnusedRoots() {
    for (auto root = roots_.begin(); root != roots_.end();) {
        const bool used = std::any_of(folders_.begin(), folders_.end(), [&](const auto& f) {
            return !f.second.identityOnly && f.second.rootKey == root->first;
        });
        root = used ? std::next(root) : roots_.erase(root);
    }
}

bool TFolderWatches::IsOpen(const TTreeNode* node) const {
    auto it = folders_.find(node);
    return it != folders_.end() && !it->second.identityOnly;
}

int TFolderWatches::Count() const {
    return int(std::count_if(folders_.begin(), folders_.end(),
                             [](const auto& f) { return !f.second.identityOnly; }));
}

std::vector<TTreeNode*> TFolderWatches::Nodes() const {
    std::vector<TTreeNode*> nodes;
    for (const auto& [node, folder] : folders_)
        if (!folder.identityOnly) nodes.push_back(const_cast<TTreeNode*>(node));
    return nodes;
}

ULONGLONG TFolderWatches::FileId(const TTreeNode* node) const {
    auto it = folders_.find(node);
    return it == folders_.end() ? 0 : it->second.identity.fileId;
}

int TFolderWatches::RootHandles() const {
    return int(std::count_if(roots_.begin(), roots_.end(),
                             [](const auto& r) { return r.second->read != nullptr; }));
}

std::vector<TFolderWatches::Change> TFolderWatches::TakeChanges() {
    std::vector<Change> changes;
    for (auto& [node, folder] : folders_) {
        if (!folder.changed) continue;
        changes.push_back({const_cast<TTreeNode*>(node), std::move(folder.renames)});
        folder.renames.clear();
        folder.changed = false;
    }
    return changes;
}

void TFolderWatches::Mark(const std::wstring& key,
                          const std::pair<std::wstring, std::wstring>* rename) {
    auto it = byKey_.find(key);
    if (it == byKey_.end()) return; // no open node shows that folder
    TOpenFolder& folder = folders_.at(it->second);
    if (folder.identityOnly) return;
    folder.changed = true;
    if (rename) folder.renames.push_back(*rename);
}

void TFolderWatches::MarkRoot(const std::wstring& rootKey) {
    for (auto& [node, folder] : folders_)
        if (!folder.identityOnly && folder.rootKey == rootKey) folder.changed = true;
    Settle();
}

void TFolderWatches::Rekey(const std::wstring& from, const std::wstring& to) {
    // Open folders at or below a renamed folder: later changes name them anew.
    for (auto& [node, folder] : folders_) {
        const std::wstring& key = folder.key;
        if (key.compare(0, from.size(), from) != 0 ||
            (key.size() > from.size() && key[from.size()] != L'\\'))
            continue;
        if (auto k = byKey_.find(key); k != byKey_.end() && k->second == node) byKey_.erase(k);
        folder.key = to + key.substr(from.size());
        byKey_[folder.key] = const_cast<TTreeNode*>(node);
    }
}

void TFolderWatches::RootChanged(TRootWatch& root, bool overflow,
                                 const std::vector<Record>& records) {
    if (overflow) {
        MarkRoot(FoldedName(root.root));
        return;
    }
    auto keyOf = [&](const std::wstring& name) { return FoldedName(Joined(root.root, name)); };
    for (const Record& r : records) {
        // The folder holding the name changed, and so did the folder it
        // names where one shows open (removed and made again, say).
        if (r.newName.empty()) {
            Mark(keyOf(ParentOf(r.name)), nullptr);
            Mark(keyOf(r.name), nullptr);
            continue;
        }
        const std::pair<std::wstring, std::wstring> leaves{LeafOf(r.name), LeafOf(r.newName)};
        const bool inPlace = FoldedName(ParentOf(r.name)) == FoldedName(ParentOf(r.newName));
        Mark(keyOf(ParentOf(r.name)), inPlace ? &leaves : nullptr);
        if (!inPlace) Mark(keyOf(ParentOf(r.newName)), nullptr);
        Rekey(keyOf(r.name), keyOf(r.newName));
    }
    Settle();
}

bool TFolderWatches::Check(bool atOnce) {
    // A round still out (a share slow to answer) takes this check with it
    // when it is back: checks never pile up behind one another.
    checkWanted_ = true;
    checkAtOnce_ = checkAtOnce_ || atOnce;
    for (auto& [key, root] : roots_)
        if (root->RetryDue()) root->Ask();
    StartRound();
    return NeedsChecks();
}

bool TFolderWatches::WantsCheck(const TOpenFolder& folder) const {
    if (folder.identityOnly || folder.resolved != folder.ticket) return false;
    auto root = roots_.find(folder.rootKey);
    // Served, or a removal under way that a brief open could veto.
    return root == roots_.end() ||
           !(root->second->Serving() || root->second->state >= TRootWatch::kRemoving);
}

bool TFolderWatches::Checked(const TTreeNode* node, unsigned ticket, ULONGLONG lastWrite,
                             bool atOnce) {
    auto it = folders_.find(node);
    if (it == folders_.end() || it->second.ticket != ticket || !WantsCheck(it->second))
        return false;
    TOpenFolder& folder = it->second;
    // A folder gone from an open folder is that folder's change.
    if (!lastWrite && byKey_.count(ParentOf(folder.key))) return false;
    if (lastWrite == folder.identity.lastWrite) {
        folder.moving.reset();
        return false;
    }
    if (atOnce || folder.moving == lastWrite) { // moved, and held still since
        folder.identity.lastWrite = lastWrite;
        folder.moving.reset();
        folder.changed = true;
        return true;
    }
    folder.moving = lastWrite;
    return false;
}

void TFolderWatches::StartRound() {
    if (round_ || !window_) return;
    std::vector<TWatchProbe> probes;
    for (const auto& [node, ticket] : std::exchange(resolves_, {}))
        if (auto it = folders_.find(node); it != folders_.end() && it->second.ticket == ticket)
            probes.emplace_back(TWatchProbe::kResolve, it->second.path, node, ticket);
    if (std::exchange(checkWanted_, false)) {
        roundAtOnce_ = std::exchange(checkAtOnce_, false);
        for (const auto& [node, folder] : folders_)
            if (WantsCheck(folder))
                probes.emplace_back(TWatchProbe::kLastWrite, folder.path, node, folder.ticket);
    }
    for (auto& [key, root] : roots_)
        if (root->state == TRootWatch::kOpening && !root->asked) {
            root->asked = true;
            probes.emplace_back(TWatchProbe::kOpenRoot, root->root, root.get());
        }
    if (probes.empty()) return;
    TTreeServices* services = &services_;
    round_ = TWatchRound::Start(
        std::move(probes),
        [services](const std::wstring& root) { return services->OpenChangeRoot(root); }, window_);
}

void TFolderWatches::RoundDone() {
    if (!round_ || !round_->Done()) return;
    // The round stays out while its answers are taken: what they ask for
    // goes into the next one.
    bool marked = false;
    for (TWatchProbe& probe : round_->Probes()) {
        const auto* node = static_cast<const TTreeNode*>(probe.about);
        switch (probe.kind) {
        case TWatchProbe::kResolve:
            Resolved(node, probe.ticket, probe.opened ? &probe.identity : nullptr);
            break;
        case TWatchProbe::kLastWrite:
            marked = Checked(node, probe.ticket, probe.lastWrite, roundAtOnce_) || marked;
            break;
        case TWatchProbe::kOpenRoot:
            // Given only to the root that asked, if it still waits for it.
            for (auto& [key, root] : roots_)
                if (root.get() == probe.about && root->root == probe.path &&
                    root->state == TRootWatch::kOpening && root->asked)
                    root->Begin(std::move(probe.root));
            break;
        }
    }
    round_.reset();
    if (marked) Settle();
    StartRound();
}

bool TFolderWatches::NeedsChecks() const {
    return std::any_of(folders_.begin(), folders_.end(), [&](const auto& f) {
        if (f.second.identityOnly) return false;
        auto root = roots_.find(f.second.rootKey);
        return root == roots_.end() || !root->second->Serving();
    });
}

bool TFolderWatches::DeviceChange(WPARAM event, LPARAM data) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_HANDLE) return false;
    const auto* about = reinterpret_cast<const DEV_BROADCAST_HANDLE*>(header);
    auto it = std::find_if(roots_.begin(), roots_.end(), [&](const auto& r) {
        return (about->dbch_hdevnotify && r.second->notification.get() == about->dbch_hdevnotify) ||
               r.second->registered == about->dbch_handle;
    });
    if (it == roots_.end()) return false;
    TRootWatch& root = *it->second;
    switch (event) {
    case DBT_DEVICEQUERYREMOVE: // nothing of ours may hold the volume
        root.Stop();
        root.state = TRootWatch::kRemoving;
        break;
    case DBT_DEVICEQUERYREMOVEFAILED: // the volume stays: what was missed is read again
        if (root.state != TRootWatch::kRemoving) break;
        root.StartHere();
        MarkRoot(it->first);
        break;
    case DBT_DEVICEREMOVEPENDING:
    case DBT_DEVICEREMOVECOMPLETE:
        root.Stop();
        root.notification.reset();
        root.state = TRootWatch::kRemoved;
        break;
    default:
        break;
    }
    return true;
}

int TFolderWatches::Live() {
    return TRootRead::live;
}

void TFolderWatches::Settle() {
    if (window_) SetTimer(window_, timerId_, settleMs_, nullptr);
}
