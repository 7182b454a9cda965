// The file-system calls of the clearing walk, behind a small interface so
// that tests can stand in for the file system (access denied, a failing
// change, links, entries whose final path lies elsewhere). The program uses
// kernel32 directly. Every path is an extended-length UTF-16 path.
#pragma once

#include <windows.h>

#include <string>

class TFileSystem {
  public:
    virtual ~TFileSystem() = default;

    virtual HANDLE FindFirstFile(const wchar_t* pattern, WIN32_FIND_DATAW* data) {
        return ::FindFirstFileExW(pattern, FindExInfoBasic, data, FindExSearchNameMatch, nullptr,
                                  FIND_FIRST_EX_LARGE_FETCH);
    }
    virtual BOOL FindNextFile(HANDLE search, WIN32_FIND_DATAW* data) {
        return ::FindNextFileW(search, data);
    }
    virtual BOOL FindClose(HANDLE search) { return ::FindClose(search); }

    // Opens an entry, following links, to read its final path and, with
    // FILE_WRITE_ATTRIBUTES in `access`, change its attributes; a folder too.
    virtual HANDLE OpenEntry(const wchar_t* path, DWORD access) {
        return ::CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    }
    // The path that the open entry has after every link: false on failure.
    virtual bool GetFinalPath(HANDLE entry, std::wstring& path);
    // Sets the attribute word alone; times stay as they are.
    virtual BOOL SetAttributes(HANDLE entry, DWORD attributes);
    virtual BOOL CloseEntry(HANDLE entry) { return ::CloseHandle(entry); }
};

// The real file system, shared by every window.
TFileSystem& Kernel32FileSystem();
