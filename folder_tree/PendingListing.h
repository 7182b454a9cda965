// What the folder tree keeps of a node's listing while it is under way and
// while its result is applied in slices.
#pragma once

#include "folder_tree/ChildDiff.h"
#include "folder_tree/FTVEX_D3.h"
#include "folder_tree/ListingJob.h"

struct TFolderTreeViewEx::TPendingListing {
    std::shared_ptr<TListingJob> job;
    TListingKind kind = TListingKind::Fill;
    // Where the window binds the folder listed, and its full list.
    Microsoft::WRL::ComPtr<IShellFolder> folder;
    UniqueItemIDList item, absolute;
    TFolderRenames renames;
    unsigned identityTicket = 0; // the watches' resolution the listing carries
    DWORD started = 0;
    unsigned generation = 0;
    bool unreachable = false;
    TTreeNode* placeholder = nullptr; // the one child of a node being filled
    // Asked to read the node again once this listing has been applied.
    bool again = false;
    TFolderRenames againRenames;

    // Applying: the diff, the children still to add, after which node.
    bool applying = false;
    TChildDiff diff;
    Microsoft::WRL::ComPtr<IShellFolder> bound;
    std::size_t next = 0;
    TTreeNode* after = nullptr;
    bool sortAfter = false;
    bool added = false; // children added, in any slice
    bool stale = false; // a node went between slices: the nodes held may be gone
    bool wasEmpty = false;
    std::vector<TTreeNode*> children, renamed, reread;
    TTreeNode* top = nullptr;
    bool follow = false; // the tree's own root folder is gone: looked for by identity
};
