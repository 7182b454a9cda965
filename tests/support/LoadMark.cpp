// A DLL that leaves a mark when it is loaded: an empty file named after its
// own path with ".loaded" added. Tests plant it under the names of system
// DLLs beside a copy of the program.
#include <windows.h>

#include "gui/Owners.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH + 8] = {};
        lstrcpyA(path + GetModuleFileNameA(self, path, MAX_PATH), ".loaded");
        UniqueHandle mark(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    return TRUE;
}
