// Shell folders: the desktop where every walk starts, the walk down an
// absolute list level by level, the enumeration of a folder's children,
// and what a folder says about its own items (identity, renaming).
// Failures give the empty value of the result; nothing is reported.
#pragma once

#include "folder_tree/ItemIdList.h"

#include <functional>

// The desktop folder (SHGetDesktopFolder), where parsing and binding start;
// tests put a fake one in its place.
Microsoft::WRL::ComPtr<IShellFolder> DesktopFolder();
void SetDesktopFolderForTesting(IShellFolder* folder); // null: the shell's own again

// One level of a walk down an absolute list: an entry of the list, the
// folder that holds it and a one-entry copy of the entry (null where the
// copy failed).
struct ShellLevel {
    LPCITEMIDLIST entry = nullptr;
    Microsoft::WRL::ComPtr<IShellFolder> folder;
    UniqueItemIDList item;
    bool bound = false; // the copy was bound in the folder: true only at the list's end
};

using ShellLevelFilter = std::function<bool(const ShellLevel& level)>;

// Walks `list` down from `desktop` one entry at a time: copies the entry,
// asks `enter` whether to go into it (without `enter`, every entry is
// entered) and binds the copy in its folder, which gives the folder of the
// next entry. Returns the level where the walk ended: the entry whose copy
// failed, that `enter` kept out of, or whose bind failed; else the last
// entry, bound. A list without entries ends at once: its terminator, held
// by the desktop, with no copy.
ShellLevel WalkShellLevels(IShellFolder* desktop, LPCITEMIDLIST list,
                           const ShellLevelFilter& enter = nullptr);

// The folder holding the list's last entry and a one-entry copy of that
// entry. False for lists of fewer than two entries; out values untouched
// when a bind fails.
bool GetParentFolder(LPCITEMIDLIST list, Microsoft::WRL::ComPtr<IShellFolder>& folder,
                     UniqueItemIDList& item);

// Sees one enumerated child: the folder enumerated, the child's one-entry
// list (freed after the call) and its attribute word; false stops.
using ShellChildVisitor =
    std::function<bool(IShellFolder* folder, LPCITEMIDLIST child, ULONG attributes)>;

// Binds `item` in `folder` as a folder and enumerates it for `owner` with
// `flags`, visiting each child with its attributes asked with
// `attributeMask` (the mask as it is where the folder does not answer).
// False only when the bind fails: an enumeration that fails visits nothing.
bool EnumerateFolder(IShellFolder* folder, LPCITEMIDLIST item, HWND owner, SHCONTF flags,
                     ULONG attributeMask, const ShellChildVisitor& visit);
// The same for a folder bound already.
void EnumerateBoundFolder(IShellFolder* folder, HWND owner, SHCONTF flags, ULONG attributeMask,
                          const ShellChildVisitor& visit);

// CompareIDs succeeds and its low 16 bits are 0.
bool IsSameItem(IShellFolder* folder, LPCITEMIDLIST item1, LPCITEMIDLIST item2);
bool CanRenameItem(IShellFolder* folder, LPCITEMIDLIST item);
