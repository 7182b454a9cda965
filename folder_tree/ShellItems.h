// Shell items by identifier: names, paths, icons, parent folders, identity,
// and the two callbacks with which the tree sorts sibling nodes. Failures
// give the empty value of the result; nothing is reported.
#pragma once

#include "folder_tree/ItemIdList.h"

#include <string>
#include <string_view>

// The desktop folder (SHGetDesktopFolder), where parsing and binding start;
// tests put a fake one in its place.
Microsoft::WRL::ComPtr<IShellFolder> DesktopFolder();
void SetDesktopFolderForTesting(IShellFolder* folder); // null: the shell's own again

// The shell writes parsing names and paths into MAX_PATH buffers (Wine does
// so in every call, the wide ones included): one that fills the buffer may
// have been cut short and then names an ancestor.
bool MayBeCutShort(std::wstring_view name);

// STRRET kinds follow: an ANSI text of the item, or false with `name`
// untouched. A name for parsing (SHGDN_FORPARSING) is exact or not given:
// false where the code page cannot write it or it may have been cut short.
// Other names are only shown and may carry the code page's substitutions.
bool GetItemDisplayName(IShellFolder* folder, LPCITEMIDLIST item, SHGDNF flags, std::string& name);
// The same name as the shell gave it, in UTF-16 (an ANSI reply widened).
bool GetItemDisplayNameW(IShellFolder* folder, LPCITEMIDLIST item, SHGDNF flags,
                         std::wstring& name);
// The parsing name (SHGDN_FORPARSING), or empty.
std::string GetItemParsingName(IShellFolder* folder, LPCITEMIDLIST item);
std::wstring GetItemParsingNameW(IShellFolder* folder, LPCITEMIDLIST item);
// What the desktop folder parses `path` into, or null.
UniqueItemIDList PathToItemIDList(const std::string& path);
UniqueItemIDList PathToItemIDList(const std::wstring& path);
bool IsShellPath(const std::string& path);
// The list of an item whose wide parsing name is at hand: that name parsed
// through the desktop folder; for a name that may have been cut short, the
// folder's own list and the item instead. Null when neither can be had.
UniqueItemIDList ParsingNameToItemIDList(IShellFolder* folder, LPCITEMIDLIST item,
                                         const std::wstring& parsingName);
// The item's parsing name parsed back, as above, or null.
UniqueItemIDList GetAbsoluteItemIDList(IShellFolder* folder, LPCITEMIDLIST item);
bool IsParsableItem(IMalloc* malloc, IShellFolder* folder, LPCITEMIDLIST item);
// The file-system path of an absolute list, or empty; also empty where the
// code page cannot write the path exactly or it may have been cut short.
std::string ItemIDListToPath(LPCITEMIDLIST list);
std::string GetFileInfoDisplayName(LPCITEMIDLIST list);
// Indices into the system small-icon list: normal and open.
void GetItemIconIndices(LPCITEMIDLIST list, int& normal, int& open);
bool CanRenameItem(IShellFolder* folder, LPCITEMIDLIST item);
// The folder holding the list's last entry and a one-entry copy of that
// entry. False for lists of fewer than two entries; out values untouched
// when a bind fails.
bool GetParentFolder(LPCITEMIDLIST list, Microsoft::WRL::ComPtr<IShellFolder>& folder,
                     UniqueItemIDList& item);
// CompareIDs succeeds and its low 16 bits are 0.
bool IsSameItem(IShellFolder* folder, LPCITEMIDLIST item1, LPCITEMIDLIST item2);

// Tree sort callbacks (PFNTVCOMPARE): each lParam is a node object whose
// data is its TTVITEMDATA. Files above folders in CompareFilesFirst.
int CALLBACK CompareByShell(LPARAM node1, LPARAM node2, LPARAM sortDatum);
int CALLBACK CompareFilesFirst(LPARAM node1, LPARAM node2, LPARAM sortDatum);
