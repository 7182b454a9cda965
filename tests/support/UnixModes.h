// Unix modes of real files, set and read from the Linux side: Wine ignores
// the read-only attribute set on a folder but reports a folder without write
// bits as read-only, and keeps a file's read-only attribute as its write
// bits. Paths are Unix paths, as UnixPath gives them.
#pragma once

#include <map>
#include <string>
#include <vector>

// Takes every write bit off the entries (chmod a-w).
bool TakeWriteBits(const std::vector<std::string>& unixPaths);
// Takes every write bit off each file below `unixFolder`, however many.
bool TakeFileWriteBits(const std::string& unixFolder);
// Gives the owner's write bit back to `unixFolder` and all below it.
bool GiveWriteBitBack(const std::string& unixFolder);

// How many entries below `unixFolder` (itself left out; only files with
// `filesOnly`) their owner cannot write; -1 if they could not be counted.
int CountUnwritable(const std::string& unixFolder, bool filesOnly = false);

// The mode and type of each of the folders and of every entry below them, by
// Unix path, as find prints them ("555 d"); empty if find failed.
std::map<std::string, std::string> UnixModes(const std::vector<std::string>& unixFolders);
// Whether a mode and type as UnixModes gives them has a write bit.
bool HasWriteBit(const std::string& modeAndType);
