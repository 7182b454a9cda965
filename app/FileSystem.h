// The four file-system calls of the clearing walk, behind a small interface
// so that tests can stand in for the file system (access denied, a failing
// attribute change, reparse entries). The program uses kernel32 directly.
#pragma once

#include <windows.h>

class TFileSystem {
  public:
    virtual ~TFileSystem() = default;
    virtual HANDLE FindFirstFile(const char* pattern, WIN32_FIND_DATAA* data) {
        return ::FindFirstFileA(pattern, data);
    }
    virtual BOOL FindNextFile(HANDLE search, WIN32_FIND_DATAA* data) {
        return ::FindNextFileA(search, data);
    }
    virtual BOOL FindClose(HANDLE search) { return ::FindClose(search); }
    virtual BOOL SetFileAttributes(const char* path, DWORD attributes) {
        return ::SetFileAttributesA(path, attributes);
    }
};

// The real file system, shared by every window.
TFileSystem& Kernel32FileSystem();
