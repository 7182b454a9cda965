#include "tests/support/WinePaths.h"

#include "tests/support/Text.h"

#include <windows.h>

namespace {

// An export of Wine's kernel32, looked up at run time: Windows has none.
template <class F> F WineExport(const char* name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

} // namespace

std::string UnixPath(const std::string& windowsPath) {
    static const auto toUnix = WineExport<char*(CDECL*)(LPCWSTR)>("wine_get_unix_file_name");
    if (!toUnix) return {};
    char* unix = toUnix(Wide(windowsPath).c_str());
    if (!unix) return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

std::string WindowsPath(const std::string& unixPath) {
    static const auto toWindows = WineExport<WCHAR*(CDECL*)(LPCSTR)>("wine_get_dos_file_name");
    if (!toWindows) return {};
    WCHAR* windows = toWindows(unixPath.c_str());
    if (!windows) return {};
    std::string result = Narrow(windows);
    HeapFree(GetProcessHeap(), 0, windows);
    return result;
}
