// A node's children are listed off the window's thread (ListingJob.h) and
// applied when the result comes back to the tree's window. The window waits
// a moment for a listing, so that a quick folder opens at once; a slower one
// shows a placeholder child until its children come, and is marked after a
// few seconds without an answer, when F5 tries again. Collapsing the node,
// deleting it, a rebuild or the window's end cancels its listing; a result
// for a listing no longer wanted is dropped.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/ChildDiff.h"
#include "folder_tree/FolderTreeWatch.h"
#include "folder_tree/ListingJob.h"
#include "folder_tree/PendingListing.h"
#include "folder_tree/TreeItemData.h"

#include <algorithm>
#include <unordered_set>

using Microsoft::WRL::ComPtr;

namespace {

constexpr UINT_PTR kListingTimer = 0x4B59;
constexpr UINT kListingTimerMs = 1000;
// Unanswered for this long, a listing marks its node.
constexpr DWORD kUnreachableMs = 4000;
// How long a caller that needs a node's children now waits for them.
constexpr DWORD kPatientMs = 5000;
const wchar_t kReadingText[] = L"読み込み中...";
const wchar_t kUnreachableText[] = L"応答がありません";

bool IsWithin(const TTreeNode* node, const TTreeNode* ancestor) {
    for (const TTreeNode* n = node; n; n = n->Parent())
        if (n == ancestor) return true;
    return false;
}

} // namespace

TFolderTreeViewEx::~TFolderTreeViewEx() = default;

TFolderTreeViewEx::TPendingListing* TFolderTreeViewEx::PendingListing(const TTreeNode* node) {
    auto it = FListings.find(node);
    return it == FListings.end() ? nullptr : it->second.get();
}

void TFolderTreeViewEx::ListChildren(TTreeNode* node, IShellFolder* folder, LPCITEMIDLIST item,
                                     LPCITEMIDLIST absolute, TListingKind kind,
                                     const TFolderRenames& renames, const std::wstring& path) {
    if (!folder || !absolute) {
        if (FWatches) FWatches->Resolve(node); // by a round, then
        return;
    }
    if (TPendingListing* pending = PendingListing(node)) {
        // Read again once the one under way has been applied: the change may
        // have come after it listed.
        pending->again = true;
        pending->againRenames.insert(pending->againRenames.end(), renames.begin(), renames.end());
        return;
    }
    auto pending = std::make_unique<TPendingListing>();
    pending->kind = kind;
    pending->folder = folder;
    pending->item = ConcatItemIDLists(nullptr, item);
    pending->absolute = ConcatItemIDLists(nullptr, absolute);
    pending->renames = renames;
    pending->started = FServices.Tick();
    pending->generation = FGeneration;

    TListingJob::Request request;
    request.folder = ConcatItemIDLists(nullptr, absolute);
    const TTVITEMDATA* parent = FVirtualRoot ? nullptr : NodeData(node);
    if (parent) request.folderList = ConcatItemIDLists(nullptr, parent->AbsoluteID.get());
    request.rules = ListingRules();
    request.mustExist = path;
    if (FWatches) {
        pending->identityTicket = FWatches->ListingResolves(node, request.identityOf);
        // The tree's own root folder, gone, is looked for by its identity.
        if (node && !node->Parent() && FWatches->IsOpen(node))
            request.followId = FWatches->FileId(node);
    }
    // The known children's folders are asked who they are, under the names
    // they should have now. In an update, the children shown are taken as
    // they are and the listing reads only their names, as a local folder's
    // update always did; names a rename moves are read in full.
    const bool update = kind == TListingKind::Update;
    const auto finalNames = FinalNames(renames);
    std::unordered_set<std::wstring> renamed;
    for (const auto& [from, to] : renames)
        renamed.insert(from), renamed.insert(to);
    for (TTreeNode* c = node ? node->GetFirstChild() : Items().GetFirstNode(); c;
         c = c->GetNextSibling()) {
        const ULONGLONG id = FWatches ? FWatches->FileId(c) : 0;
        if (!NodeData(c) || (!id && !update)) continue;
        std::wstring name = ShownName(c);
        if (update && !renamed.count(name)) request.kept.push_back(name);
        if (!id) continue;
        if (auto to = finalNames.find(name); to != finalNames.end()) name = to->second;
        request.identify.emplace_back(std::move(name), id);
    }
    TTreeServices* services = &FServices;
    request.begins = [services] { services->ListingBegins(); };

    pending->job = TListingJob::Start(std::move(request), Handle(), TreeListingMessage());
    TPendingListing& p = *(FListings[node] = std::move(pending));
    if (p.job->Wait(FPatience ? kPatientMs : FServices.ListingWait())) {
        ApplyListing(node, p, false);
        FinishListing(node);
        return;
    }
    if (kind == TListingKind::Fill) p.placeholder = Items().Add(node, {.text = kReadingText});
    SetTimer(Handle(), kListingTimer, kListingTimerMs, nullptr);
}

void TFolderTreeViewEx::ListingMessage(WPARAM serial, bool more) {
    auto it = std::find_if(FListings.begin(), FListings.end(),
                           [&](const auto& p) { return p.second->job->Serial() == serial; });
    if (it == FListings.end()) return; // cancelled, or applied while waited for
    TTreeNode* node = const_cast<TTreeNode*>(it->first);
    TPendingListing& p = *it->second;
    if (!p.job->Done() || (p.applying && !more)) return;
    bool done = false;
    UpdateTelling([&] { done = ApplyListing(node, p, true); });
    if (done)
        FinishListing(node);
    else
        PostMessageW(Handle(), TreeListingMessage(), serial, 1);
}

void TFolderTreeViewEx::AwaitListing(TTreeNode* node) {
    TPendingListing* p = PendingListing(node);
    if (!p || !p->job->Wait(kPatientMs)) return;
    ApplyListing(node, *p, false);
    FinishListing(node);
}

bool TFolderTreeViewEx::RetryListing(TTreeNode* node) {
    TPendingListing* p = PendingListing(node);
    if (!p || p->applying) return false;
    // The same listing, asked again.
    const TListingKind kind = p->kind;
    ComPtr<IShellFolder> folder = p->folder;
    UniqueItemIDList item = std::move(p->item), absolute = std::move(p->absolute);
    TFolderRenames renames = std::move(p->renames);
    CancelListings(node, false);
    // An update's folder gone meanwhile is found missing, as by the first
    // listing: the tree's own root folder is followed, another is left to
    // its parent's update rather than emptied.
    const std::wstring path =
        kind == TListingKind::Update && node ? WatchablePath(node) : std::wstring();
    ListChildren(node, folder.Get(), item.get(), absolute.get(), kind, renames, path);
    return true;
}

void TFolderTreeViewEx::CancelListings(const TTreeNode* within, bool all) {
    std::vector<std::pair<const TTreeNode*, std::unique_ptr<TPendingListing>>> cancelled;
    for (auto it = FListings.begin(); it != FListings.end();) {
        // A listing being applied finishes: its node keeps every child.
        if (all || (it->first && !it->second->applying && IsWithin(it->first, within))) {
            it->second->job->Cancel();
            cancelled.emplace_back(it->first, std::move(it->second));
            it = FListings.erase(it);
        } else {
            ++it;
        }
    }
    if (all) return;
    for (auto& [node, p] : cancelled) {
        if (p->placeholder) p->placeholder->Delete();
        // The folder it was to resolve for the watches is resolved by a round.
        if (p->identityTicket && FWatches) FWatches->Resolve(node);
    }
}

void TFolderTreeViewEx::MarkUnreachable() {
    bool waiting = false;
    for (auto& [node, p] : FListings) {
        if (p->job->Done()) continue;
        waiting = true;
        if (!p->unreachable && FServices.Tick() - p->started >= kUnreachableMs) {
            p->unreachable = true;
            if (p->placeholder) p->placeholder->SetText(kUnreachableText);
        }
    }
    if (!waiting) KillTimer(Handle(), kListingTimer);
}

bool TFolderTreeViewEx::ListingTimer(WPARAM timer) {
    if (timer != kListingTimer) return false;
    MarkUnreachable();
    return true;
}
