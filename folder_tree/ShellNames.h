// Names of shell items and what they parse into: display and parsing names,
// file-system paths, and the identifier lists the desktop folder parses
// paths and parsing names into. Failures give the empty value of the
// result; nothing is reported.
#pragma once

#include "folder_tree/ItemIdList.h"

#include <string>
#include <string_view>

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
// What `desktop` (when not given, DesktopFolder()) parses `path` into, an
// ANSI path widened first; null when it does not parse.
UniqueItemIDList PathToItemIDList(const std::string& path, IShellFolder* desktop = nullptr);
UniqueItemIDList PathToItemIDList(const std::wstring& path, IShellFolder* desktop = nullptr);
bool IsShellPath(const std::string& path);
bool IsShellPath(const std::wstring& path);
// An item's absolute list, by one of two routes. Through the desktop: the
// item's wide parsing name (given, or asked for) parsed by the desktop
// folder; for a name that may have been cut short, the folder's own list and
// the item instead. Null when neither can be had.
UniqueItemIDList DesktopParsedItemIDList(IShellFolder* folder, LPCITEMIDLIST item,
                                         const std::wstring& parsingName);
UniqueItemIDList DesktopParsedItemIDList(IShellFolder* folder, LPCITEMIDLIST item);
// In the folder, for an item listed in `folder` whose own full list is
// `folderList`: the item's in-folder parsing name, parsed in that folder,
// must give the same item back, and the list is the folder's plus that
// identifier. Null where the route does not apply; `name` gets the
// in-folder parsing name when it does.
UniqueItemIDList InFolderParsedItemIDList(IShellFolder* folder, LPCITEMIDLIST item,
                                          LPCITEMIDLIST folderList, std::wstring& name);
// In the folder where that route applies, else through the desktop; `name`
// gets the parsing name used, whose extension a file mask tests.
UniqueItemIDList InFolderOrDesktopParsedItemIDList(IShellFolder* folder, LPCITEMIDLIST item,
                                                   LPCITEMIDLIST folderList, std::wstring& name);
bool IsParsableItem(IMalloc* malloc, IShellFolder* folder, LPCITEMIDLIST item);
// The file-system path of an absolute list, or empty; also empty where the
// code page cannot write the path exactly or it may have been cut short.
std::string ItemIDListToPath(LPCITEMIDLIST list);
// The same path as it is; empty only where it may have been cut short.
std::wstring ItemIDListToPathW(LPCITEMIDLIST list);
std::wstring GetFileInfoDisplayName(LPCITEMIDLIST list);
