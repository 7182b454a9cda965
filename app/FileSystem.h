// The file-system calls of the clearing walk, behind a small interface so
// that tests can stand in for the file system (access denied, a failing
// change, links, entries whose final path lies elsewhere, WOW64), and the one
// box in which the walk names what it could not do, so that tests read it
// without a modal window. The program uses kernel32 and user32 directly.
// Every path is an extended-length UTF-16 path.
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
    // The path that the open entry has after every link, in the form that
    // `flags` names (GetFinalPathNameByHandleW's): false on failure, with the
    // system's reason as the last error.
    virtual bool GetFinalPath(HANDLE entry, DWORD flags, std::wstring& path);
    // Sets the attribute word alone; times stay as they are.
    virtual BOOL SetAttributes(HANDLE entry, DWORD attributes);
    virtual BOOL CloseEntry(HANDLE entry) { return ::CloseHandle(entry); }

    // WOW64's file-system redirection for the calling thread: a 32-bit
    // program on 64-bit Windows is sent to SysWOW64 whenever it names
    // System32. Turning it off fails where there is none.
    virtual BOOL DisableRedirection(PVOID* previous) {
        return ::Wow64DisableWow64FsRedirection(previous);
    }
    virtual BOOL RevertRedirection(PVOID previous) {
        return ::Wow64RevertWow64FsRedirection(previous);
    }

    virtual int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
        return ::MessageBoxW(owner, text, caption, type);
    }
};

// WOW64's redirection off through a file system while the scope lives, so
// that its calls reach the very paths they name; where it cannot be turned
// off nothing changes. Whatever else runs on the thread (the shell, window
// procedures, DLL loads) needs it on: turn it on around any message pump.
class TRedirectionOff {
  public:
    explicit TRedirectionOff(TFileSystem& fileSystem) : fileSystem_(fileSystem) { TurnOff(); }
    ~TRedirectionOff() { TurnOn(); }
    TRedirectionOff(const TRedirectionOff&) = delete;
    TRedirectionOff& operator=(const TRedirectionOff&) = delete;

    void TurnOff() {
        if (!off_) off_ = fileSystem_.DisableRedirection(&previous_) != FALSE;
    }
    void TurnOn() {
        if (off_) fileSystem_.RevertRedirection(previous_);
        off_ = false;
    }

  private:
    TFileSystem& fileSystem_;
    PVOID previous_ = nullptr;
    bool off_ = false;
};

// The real file system, shared by every window.
TFileSystem& Kernel32FileSystem();
