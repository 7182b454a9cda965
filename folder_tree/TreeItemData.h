// The record behind every node of the folder tree: the folder that holds
// the item, the item inside it, its full list from the desktop and its
// attribute word. Freed with its node.
#pragma once

#include "folder_tree/ItemIdList.h"

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
};
