#include "app/DllSearch.h"

#include <windows.h>

void NarrowDllSearch() {
    // Looked up rather than imported: a missing export of kernel32 would stop
    // the program from starting at all on a Windows 7 without the update.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    SetDllDirectoryA("");
}
