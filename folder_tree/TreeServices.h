// What the folder tree asks of the system beyond its window and the shell
// folders it is handed, in one object: the shell allocator and the desktop
// folder, the clock and the pauses on the GUI thread, running a
// double-clicked item, message boxes, drive types, the verbs run through
// an item's context menu without showing it, and the reads of changes below
// a volume's root. The control uses the system's
// own unless it is given another one, which must outlive it; its drop target
// uses the control's.
#pragma once

#include "folder_tree/ShellVerbs.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <string>

class TTreeServices {
  public:
    virtual ~TTreeServices() = default;

    // Null when the shell gives none.
    virtual Microsoft::WRL::ComPtr<IMalloc> Malloc();
    virtual Microsoft::WRL::ComPtr<IShellFolder> Desktop();
    // Milliseconds since the system started, and a pause of the calling thread.
    virtual DWORD Tick() { return GetTickCount(); }
    virtual void Pause(DWORD milliseconds) { Sleep(milliseconds); }
    virtual BOOL Execute(SHELLEXECUTEINFOA* info) { return ShellExecuteExA(info); }
    virtual int ShowMessage(HWND owner, const char* text, const char* caption, UINT type) {
        return MessageBoxA(owner, text, caption, type);
    }
    virtual UINT DriveType(const char* root) { return GetDriveTypeA(root); }
    virtual bool ItemVerb(HWND wnd, IShellFolder* folder, LPCITEMIDLIST item, TShellVerb verb) {
        return InvokeItemVerb(*this, wnd, folder, item, verb);
    }
    virtual bool PathVerb(HWND wnd, const std::wstring& path, TShellVerb verb) {
        return InvokePathVerb(*this, wnd, path, verb);
    }

    // How long the window waits for a folder's listing before it shows the
    // node as being read (a local folder has answered by then; the wait is
    // most of what an expansion holds the window), and a call on the
    // listing's own thread before it lists.
    virtual DWORD ListingWait() { return 20; }
    virtual void ListingBegins() {}

    // Changes below a volume's or share's root: the root opened for reading
    // them (INVALID_HANDLE_VALUE when it cannot be), a read of the names
    // changed anywhere below it, completed by `done` in an alertable wait,
    // and its cancellation, whose completion comes the same way.
    virtual HANDLE OpenChangeRoot(const std::wstring& root);
    virtual BOOL ReadChanges(HANDLE root, void* buffer, DWORD bytes, DWORD filter,
                             OVERLAPPED* overlapped, LPOVERLAPPED_COMPLETION_ROUTINE done) {
        return ReadDirectoryChangesW(root, buffer, bytes, TRUE, filter, nullptr, overlapped, done);
    }
    virtual void CancelChanges(HANDLE root, OVERLAPPED* overlapped) {
        CancelIoEx(root, overlapped);
    }
    // Whether a read reports every change below its root. Wine's report only
    // folders met since the read began and keep old paths after a rename;
    // there the open folders are checked instead.
    virtual bool ChangesComplete();
};

// The system's own, shared by every tree.
TTreeServices& SystemTreeServices();
