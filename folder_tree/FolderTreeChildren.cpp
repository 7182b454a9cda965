// A node's children brought up to date from a listing (ListingJob.h) by
// the fill's own rules, in place: what the diff (ChildDiff.h) finds kept,
// renamed, gone or added is applied with the selection moved out of what
// goes first, renamed children re-pointed with their branches, added ones
// in their places, the order and the top item kept; the tree's own root
// folders followed by identity when renamed; the drives' level.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/FolderTreeWatch.h"
#include "folder_tree/PendingListing.h"
#include "folder_tree/ShellFolders.h"
#include "folder_tree/ShellNames.h"
#include "folder_tree/TreeItemData.h"

using Microsoft::WRL::ComPtr;

namespace {

// A large listing is applied for this long, or this many nodes added,
// before the window answers again. Nodes added with drawing held are
// measured when drawing goes on again (each node's text), so the count
// bounds that too.
constexpr DWORD kApplySliceMs = 15;
constexpr std::size_t kApplySliceNodes = 1000;

bool IsWithin(const TTreeNode* node, const TTreeNode* ancestor) {
    for (const TTreeNode* n = node; n; n = n->Parent())
        if (n == ancestor) return true;
    return false;
}

} // namespace

const std::wstring& TFolderTreeViewEx::ShownName(const TTreeNode* child) {
    static const std::wstring none;
    TTVITEMDATA* d = NodeData(child);
    if (!d) return none;
    if (d->Name.empty())
        GetItemDisplayNameW(d->ParentFolder.Get(), d->RelativeID.get(),
                            SHGDN_INFOLDER | SHGDN_FORPARSING, d->Name);
    return d->Name;
}

void TFolderTreeViewEx::UpdateNode(TTreeNode* node, const TFolderRenames& renames) {
    TTVITEMDATA* data = NodeData(node);
    if (!data || !data->ParentFolder) return;
    const std::wstring path = WatchablePath(node);
    ++FNodeUpdates;
    // Its last-write time and identity anew, read by the listing before it
    // lists: a change after the listing shows at the next check.
    if (FWatches && FWatches->IsOpen(node)) FWatches->Open(node, path, FShowFile, false, true);
    ListChildren(node, data->ParentFolder.Get(), data->RelativeID.get(), data->AbsoluteID.get(),
                 TListingKind::Update, renames, path);
}

bool TFolderTreeViewEx::FollowMovedFolder(TTreeNode* node, const std::wstring& moved) {
    ComPtr<IShellFolder> desktop = FServices.Desktop();
    UniqueItemIDList list = moved.empty() ? nullptr : PathToItemIDList(moved, desktop.Get());
    if (!list) return false;
    ShellLevel level = WalkShellLevels(desktop.Get(), list.get());
    if (!level.folder || !level.item) return false;
    TTVITEMDATA* data = NodeData(node);
    data->ParentFolder = level.folder;
    data->RelativeID = std::move(level.item);
    data->AbsoluteID = std::move(list);
    data->Name.clear();
    node->SetText(GetFileInfoDisplayName(data->AbsoluteID.get()));
    node->SetImages(I_IMAGECALLBACK, I_IMAGECALLBACK); // asked again when next drawn
    RepointBranch(node);
    ReopenBranch(node);
    UpdateNode(node);
    return true;
}

TTreeNode* TFolderTreeViewEx::AddChildNode(TTreeNode* node, IShellFolder* folder,
                                           TListedChild& child, HTREEITEM after, bool iconLater) {
    auto record = std::make_unique<TTVITEMDATA>();
    record->ParentFolder = folder;
    const TTVITEMDATA* parent = NodeData(node);
    record->AbsoluteID = child.absolute ? std::move(child.absolute)
                         : parent ? ConcatItemIDLists(parent->AbsoluteID.get(), child.item.get())
                                  : nullptr;
    record->RelativeID = std::move(child.item);
    record->Attributes = child.attributes;
    record->Name = std::move(child.name);
    record->IconLater = iconLater;
    return Items().Add(node,
                       {.text = std::move(child.text),
                        .owned = OwnNodeData(std::move(record)),
                        .imageIndex = I_IMAGECALLBACK, // resolved when first drawn
                        .selectedIndex = I_IMAGECALLBACK,
                        .overlayIndex = child.overlay,
                        .hasChildren = child.hasChildren},
                       after);
}

bool TFolderTreeViewEx::ApplyListing(TTreeNode* node, TPendingListing& p, bool inSlices) {
    TListing& listing = p.job->Result();
    const DWORD start = FServices.Tick();
    // Drawing is held, without the hourglass of a fill, from an update's
    // first node to its end, and over every slice of an apply: a node added
    // to a shown, open branch while drawing goes on costs the tree view a
    // walk of every item below it.
    if (FChangeHeld && !std::exchange(FRedrawHeld, true))
        SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    if (!p.applying) {
        p.applying = true;
        if (p.identityTicket && FWatches)
            FWatches->Resolved(node, p.identityTicket, p.job->Identity());
        if (TTreeNode* placeholder = std::exchange(p.placeholder, nullptr)) {
            if (Selected() == placeholder && node) SetSelected(node);
            placeholder->Delete();
            if (node && (!listing.bound || !listing.shownCount)) node->SetHasChildren(false);
        }
        p.wasEmpty = !(node ? node->GetFirstChild() : Items().GetFirstNode());
        if (listing.missing) {
            p.follow = node && !node->Parent() && FWatches && FWatches->IsOpen(node);
            return true;
        }
        LPCITEMIDLIST item = p.item.get();
        if (!listing.bound) return true;
        if (!item || !item->mkid.cb)
            p.bound = p.folder;
        else if (FAILED(p.folder->BindToObject(item, nullptr, IID_PPV_ARGS(&p.bound))))
            return true;

        std::vector<TShownChild> shown;
        for (TTreeNode* c = node ? node->GetFirstChild() : Items().GetFirstNode(); c;
             c = c->GetNextSibling())
            if (NodeData(c)) {
                p.children.push_back(c);
                shown.push_back({ShownName(c), FWatches ? FWatches->FileId(c) : 0});
            }
        std::vector<TListedKey> keys;
        keys.reserve(listing.children.size());
        for (const TListedChild& c : listing.children)
            keys.push_back({c.name, c.shown, c.fileId});
        p.diff = DiffChildren(shown, keys, p.renames);

        std::vector<TTreeNode*> order; // the kept children in the listing's order
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const TChildDiff::Entry& e = p.diff.listed[i];
            if (e.kind != TChildDiff::Keep && e.kind != TChildDiff::Rename) continue;
            TTreeNode* child = p.children[std::size_t(e.child)];
            TListedChild& l = listing.children[i];
            order.push_back(child);
            const bool known = shown[std::size_t(e.child)].fileId != 0;
            if (e.kind == TChildDiff::Keep) {
                // A node never opened gains its button with its first
                // subfolder (or loses it with its last, where files are not
                // shown). Each ask is a message to the tree view: the
                // cheapest tests go first.
                const bool subfolders = (l.attributes & SFGAO_HASSUBFOLDER) != 0;
                if (!known && (subfolders || !FShowFile) && child->HasChildren() != subfolders &&
                    !child->GetFirstChild())
                    child->SetHasChildren(subfolders);
                continue;
            }
            // Renamed in place: the node keeps its place, its branch and the
            // selection; its record and text name the folder anew.
            TTVITEMDATA* d = NodeData(child);
            d->ParentFolder = p.bound;
            d->AbsoluteID =
                l.absolute
                    ? std::move(l.absolute)
                    : ConcatItemIDLists(NodeData(node) ? NodeData(node)->AbsoluteID.get() : nullptr,
                                        l.item.get());
            d->RelativeID = CopyItemID(l.item.get());
            d->Attributes = l.attributes;
            d->Name = l.name;
            child->SetText(l.text);
            child->SetImages(I_IMAGECALLBACK, I_IMAGECALLBACK);
            RepointBranch(child);
            p.renamed.push_back(child);
        }
        for (int c : p.diff.reread)
            p.reread.push_back(p.children[std::size_t(c)]);

        // The selection never stays on a node that goes: it moves to the
        // parent before anything is deleted.
        TTreeNode* top = TopItem();
        std::vector<TTreeNode*> gone;
        std::vector<bool> goes(p.children.size());
        for (int c : p.diff.gone) {
            TTreeNode* child = p.children[std::size_t(c)];
            goes[std::size_t(c)] = true;
            gone.push_back(child);
            if (node && IsWithin(Selected(), child)) SetSelected(node);
            if (IsWithin(top, child)) top = node;
        }
        for (TTreeNode* child : gone)
            child->Delete();
        p.top = p.kind == TListingKind::Update ? top : nullptr;
        // Added in their places where the children kept are in the listing's
        // order; else added, then sorted once.
        std::vector<TTreeNode*> remaining;
        for (std::size_t c = 0; c < p.children.size(); ++c)
            if (!goes[c]) remaining.push_back(p.children[c]);
        p.sortAfter = !p.renamed.empty() || remaining != order;
        p.generation = FGeneration;
    }

    for (std::size_t addedNow = 0; p.next < listing.children.size(); ++p.next) {
        if (inSlices && (FServices.Tick() - start >= kApplySliceMs || addedNow >= kApplySliceNodes))
            return false;
        if (p.generation != FGeneration) { // a node went meanwhile
            p.sortAfter = p.stale = true;
            p.generation = FGeneration;
        }
        const TChildDiff::Entry& e = p.diff.listed[p.next];
        if (e.kind == TChildDiff::Keep || e.kind == TChildDiff::Rename) {
            p.after = p.children[std::size_t(e.child)];
        } else if (e.kind == TChildDiff::Add) {
            const HTREEITEM after = p.sortAfter ? TVI_LAST
                                    : p.after   ? p.after->ItemId()
                                                : TVI_FIRST;
            if (TTreeNode* n =
                    AddChildNode(node, p.bound.Get(), listing.children[p.next], after, inSlices))
                p.after = n;
            p.added = true;
            ++addedNow;
        }
    }
    // Sorted once, after the last slice, whichever slices added.
    if ((p.added || !p.renamed.empty()) && p.sortAfter) {
        if (node)
            node->CustomSort(FillComparison(), 0);
        else
            Items().CustomSort(FillComparison(), 0);
    }
    if (p.top && !p.stale && TopItem() != p.top) SetTopItem(p.top);
    return true;
}

void TFolderTreeViewEx::FinishListing(TTreeNode* node) {
    auto it = FListings.find(node);
    if (it == FListings.end()) return;
    std::unique_ptr<TPendingListing> p = std::move(it->second);
    FListings.erase(it);
    if (p->follow) {
        FollowMovedFolder(node, p->job->MovedTo());
        return;
    }
    // Nodes held since the listing was applied are used only while no node
    // has gone.
    if (!p->stale && p->generation == FGeneration) {
        for (TTreeNode* child : p->renamed)
            ReopenBranch(child); // the folders open below it have new paths
        for (TTreeNode* child : p->reread)
            if (FWatches && FWatches->FileId(child)) UpdateNode(child);
    }
    // A root folder that was empty opens with its first folders, as a build does.
    if (p->kind == TListingKind::Update && p->wasEmpty && node && !node->Parent() &&
        node->GetFirstChild() && FShowRootFolder)
        node->Expand(false);
    if (p->again) {
        if (node)
            UpdateNode(node, p->againRenames);
        else
            ListChildren(nullptr, p->folder.Get(), p->item.get(), p->absolute.get(),
                         TListingKind::Update, p->againRenames);
    }
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
            ListChildren(nullptr, level.folder.Get(), level.item.get(), drives.get(),
                         TListingKind::Update, {});
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
