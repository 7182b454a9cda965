// What an open node's folder is, read in one brief open and closed at once,
// so that nothing inside a folder a user may rename or remove stays open:
// where the folder finally lies (links, junctions and mount points
// resolved), the root of the volume or share holding it, its file identity
// on that volume and its last-write time.
#pragma once

#include <windows.h>

#include <string>

struct TFolderIdentity {
    std::wstring root;     // "C:\", "\\server\share\" or a mount point, with its "\"
    std::wstring relative; // below the root, without a leading "\"; empty for the root
    ULONGLONG fileId = 0;  // unique on the root's volume
    ULONGLONG lastWrite = 0;
};

// False when the folder cannot be opened.
bool ReadFolderIdentity(const std::wstring& path, TFolderIdentity& identity);
// The folder's last-write time without opening it; 0 when it cannot be read.
ULONGLONG FolderLastWrite(const std::wstring& path);
// The folder's file identity, 0 when it cannot be opened.
ULONGLONG FolderFileId(const std::wstring& path);
// The subfolder of `parent` whose file identity is `fileId`, or empty.
std::wstring FindSubfolderById(const std::wstring& parent, ULONGLONG fileId);
// Upper case, as names are compared on the file systems of Windows.
std::wstring FoldedName(std::wstring name);
