// The record behind every node of the folder tree: the folder that holds
// the item, the item inside it, its full list from the desktop, its
// attribute word and its name. Freed with its node.
#pragma once

#include "folder_tree/ItemIdList.h"
#include "gui/TreeView.h"

struct TTVITEMDATA {
    TTVITEMDATA() { ++live; }
    ~TTVITEMDATA() { --live; }
    TTVITEMDATA(const TTVITEMDATA&) = delete;
    TTVITEMDATA& operator=(const TTVITEMDATA&) = delete;

    // Records alive in the process: every node's record goes with its node.
    static inline int live = 0;

    Microsoft::WRL::ComPtr<IShellFolder> ParentFolder;
    UniqueItemIDList RelativeID;
    UniqueItemIDList AbsoluteID;
    ULONG Attributes = 0;
    // The item's name for parsing in ParentFolder, by which an update
    // matches the node: kept from the listing that made or renamed it,
    // else asked once; empty while not known.
    std::wstring Name;
    // Listed from a slow folder: the icons are looked up off the window's
    // thread, and known once Icons holds them.
    bool IconLater = false;
    int Icons[2] = {-1, -1}; // normal, open
};

// The record behind a node of the folder tree, or null.
inline TTVITEMDATA* NodeData(const TTreeNode* node) {
    return node ? static_cast<TTVITEMDATA*>(node->Data()) : nullptr;
}
