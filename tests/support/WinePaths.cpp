#include "tests/support/WinePaths.h"

#include <windows.h>

namespace {

// An export of Wine's kernel32, looked up at run time: Windows has none.
template <class F> F WineExport(const char* name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

std::wstring Wide(const std::string& text, UINT codePage) {
    const int length = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(), int(wide.size()));
    return wide;
}

std::string Narrow(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string narrow(length, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    narrow.pop_back(); // the terminator
    return narrow;
}

} // namespace

std::string UnixPath(const std::string& windowsPath) {
    static const auto toUnix = WineExport<char*(CDECL*)(LPCWSTR)>("wine_get_unix_file_name");
    if (!toUnix) return {};
    char* unix = toUnix(Wide(windowsPath, CP_ACP).c_str());
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
