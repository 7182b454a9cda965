#include "gui/AnsiText.h"

#include <windows.h>

bool ExactAnsiText(std::wstring_view wide, std::string& ansi) {
    if (wide.empty()) {
        ansi.clear();
        return true;
    }
    BOOL substituted = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()),
                                   nullptr, 0, nullptr, &substituted);
    if (size <= 0 || substituted) return false;
    std::string converted(size, '\0');
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()),
                            converted.data(), size, nullptr, &substituted) != size ||
        substituted)
        return false;
    // The flag alone does not promise a way back for every code page.
    if (WideText(converted) != wide) return false;
    ansi = std::move(converted);
    return true;
}

std::string ShownAnsiText(std::wstring_view wide) {
    if (wide.empty()) return {};
    int size =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string converted(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), converted.data(), size, nullptr,
                        nullptr);
    return converted;
}

bool ExactWideText(std::string_view ansi, std::wstring& wide) {
    if (ansi.empty()) {
        wide.clear();
        return true;
    }
    const int size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(),
                                         int(ansi.size()), nullptr, 0);
    if (size <= 0) return false;
    std::wstring converted(size, L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), int(ansi.size()),
                        converted.data(), size);
    std::string back;
    if (!ExactAnsiText(converted, back) || back != ansi) return false;
    wide = std::move(converted);
    return true;
}

std::wstring WideText(std::string_view ansi) {
    if (ansi.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), nullptr, 0);
    if (size <= 0) return {};
    std::wstring wide(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), wide.data(), size);
    return wide;
}
