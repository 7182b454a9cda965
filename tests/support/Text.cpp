#include "tests/support/Text.h"

#include <windows.h>

std::wstring Wide(const std::string& ansi) {
    std::wstring wide(ansi.size(), L'\0'); // never more characters than bytes
    wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), wide.data(),
                                    int(wide.size())));
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    const int size = int(wide.size());
    std::string text(
        WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), size, text.data(), int(text.size()), nullptr,
                        nullptr);
    return text;
}

std::string Hex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
    }
    return out;
}
