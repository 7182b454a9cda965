// A folder's children as the tree would show them, listed without touching
// a node, so that it can run on any thread: bound from the folder's full
// list (plain memory) through that thread's own desktop folder, each child
// enumerated once with the tree's rules, named, tested against the filter,
// given its full list, its expand button and its overlay, and the shown
// ones sorted as siblings are shown.
#pragma once

#include "folder_tree/ItemIdList.h"

#include <atomic>
#include <string>
#include <utility>
#include <vector>

struct TListingRules {
    SHCONTF flags = SHCONTF_FOLDERS;
    bool virtualRoot = false; // every item shows, parsed or not
    bool showFile = false;
    bool includeHidden = true;
    bool filesFirst = false;        // files above folders
    std::vector<std::wstring> mask; // extensions with their dots, upper case
};

struct TListedChild {
    UniqueItemIDList item;     // one entry, in the listed folder
    UniqueItemIDList absolute; // its full list; null: the folder's list and the item
    ULONG attributes = 0;
    std::wstring name; // the name for parsing in its folder: nodes are matched by it
    std::wstring text; // the name shown
    bool shown = false;
    bool hasChildren = false;
    int overlay = -1;     // the overlay the node shows, -1 for none
    ULONGLONG fileId = 0; // a folder's file index, when it was asked for
    // Tested, given its full list, its text and its looks; a child kept as
    // it is shown has its name and attributes only.
    bool detailed = false;
    static constexpr std::size_t kNotKept = std::size_t(-1);
    std::size_t keptAt = kNotKept; // its place among the names kept
};

struct TListing {
    bool bound = false;                 // the folder bound; a folder that does not changes nothing
    bool missing = false;               // the folder is gone: nothing was listed
    std::vector<TListedChild> children; // the shown ones first, in their order
    std::size_t shownCount = 0;
};

// The children of `folder` (a full list; empty for the desktop itself),
// named for parsing against `folderList` (null under a virtual root).
// Folders listed under `identify`'s names are asked their file indices; if
// one is not the folder given with it, every listed folder is asked (a
// brief open each). Children listed under a name of `kept` (the nodes shown
// now, in the order they show) are taken as shown, and only what the diff
// needs of them is read; they keep that order, the others sorted in.
// Stops early, listing less, once `cancelled` is set.
TListing ListFolder(LPCITEMIDLIST folder, LPCITEMIDLIST folderList, const TListingRules& rules,
                    const std::vector<std::pair<std::wstring, ULONGLONG>>& identify,
                    const std::vector<std::wstring>& kept, const std::atomic<bool>& cancelled);

// Whether the folder `item` in `folder` holds a file the tree would show.
bool HasShowableFiles(IShellFolder* folder, LPCITEMIDLIST item, const TListingRules& rules);
