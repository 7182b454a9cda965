// Paths of the clearing walk. The walk names every entry by its exact UTF-16
// name behind the extended-length prefix, so that no code page, trailing dot
// or blank, device name or length limit rewrites it into another entry.
#pragma once

#include <string>
#include <string_view>

// The start folder as an extended-length path ("\\?\X:\..." or
// "\\?\UNC\server\share\..."), or empty when it is not a plain absolute
// path: a relative path, a "." or ".." or empty component, or a character
// that no file name may hold. Given in the ANSI code page, also empty for
// bytes that do not convert exactly.
std::wstring ExtendedStartPath(const std::wstring& start);
std::wstring ExtendedStartPath(const std::string& start);

// An extended-length path as the user knows it.
std::wstring DisplayPath(std::wstring_view extended);

// True when `path` names an entry strictly below the folder `root`, both as
// the file system's final paths: `root` followed by a separator and more.
bool LiesBelow(std::wstring_view path, std::wstring_view root);
