// What the folder tree asks of the system beyond its window and the shell
// folders it is handed, in one object: the shell allocator and the desktop
// folder, the clock and the pauses on the GUI thread, running a
// double-clicked item, message boxes, drive types and the verbs run through
// an item's context menu without showing it. The control uses the system's
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
    virtual bool PathVerb(HWND wnd, const std::string& path, TShellVerb verb) {
        return InvokePathVerb(*this, wnd, path, verb);
    }
};

// The system's own, shared by every tree.
TTreeServices& SystemTreeServices();
