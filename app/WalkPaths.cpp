#include "app/WalkPaths.h"

#include <windows.h>

namespace {

constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kExtendedUnc = L"\\\\?\\UNC\\";

// Converts ANSI text to UTF-16 only when the conversion is exact both ways:
// no invalid byte, and the UTF-16 text writes back to the same bytes.
bool ExactWide(const std::string& text, std::wstring& wide) {
    if (text.empty() || text.find('\0') != std::string::npos) return false;
    const int size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(),
                                         int(text.size()), nullptr, 0);
    if (size <= 0) return false;
    wide.assign(size, L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), wide.data(),
                        size);
    BOOL usedDefault = FALSE;
    std::string back(text.size(), '\0');
    const int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                            back.data(), int(back.size()), nullptr, &usedDefault);
    return !usedDefault && written == int(text.size()) && back == text;
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// Components separated by "\": none empty (but a final one after a
// trailing separator), none "." or "..", no character that a file name
// cannot hold (wildcards, "/" that Win32 reads as a separator, ":" of
// streams, control characters).
bool PlainComponents(std::wstring_view path) {
    std::size_t begin = 0;
    while (begin < path.size()) {
        std::size_t end = path.find(L'\\', begin);
        if (end == std::wstring_view::npos) end = path.size();
        const std::wstring_view part = path.substr(begin, end - begin);
        if (part.empty() || part == L"." || part == L"..") return false;
        for (wchar_t c : part)
            if (c < 32 || std::wstring_view(L"<>:\"/|?*").find(c) != std::wstring_view::npos)
                return false;
        begin = end + 1;
    }
    return true;
}

} // namespace

std::wstring ExtendedStartPath(const std::string& start) {
    std::wstring wide;
    return ExactWide(start, wide) ? ExtendedStartPath(wide) : std::wstring();
}

std::wstring ExtendedStartPath(const std::wstring& wide) {
    if (wide.empty() || wide.find(L'\0') != std::wstring::npos) return {};
    if (wide.size() >= 3 && IsDriveLetter(wide[0]) && wide[1] == L':' && wide[2] == L'\\') {
        if (!PlainComponents(std::wstring_view(wide).substr(3))) return {};
        return std::wstring(kExtended) + wide;
    }
    if (wide.size() > 2 && wide[0] == L'\\' && wide[1] == L'\\') {
        // "\\server\share" at least: two components.
        const std::wstring_view rest = std::wstring_view(wide).substr(2);
        const std::size_t share = rest.find(L'\\');
        if (share == std::wstring_view::npos || share + 1 >= rest.size()) return {};
        if (!PlainComponents(rest)) return {};
        return std::wstring(kExtendedUnc) + std::wstring(rest);
    }
    return {};
}

std::wstring DisplayPath(std::wstring_view extended) {
    std::wstring plain;
    if (extended.substr(0, kExtendedUnc.size()) == kExtendedUnc)
        plain.assign(L"\\\\").append(extended.substr(kExtendedUnc.size()));
    else if (extended.substr(0, kExtended.size()) == kExtended)
        plain.assign(extended.substr(kExtended.size()));
    else
        plain.assign(extended);
    return plain;
}

bool LiesBelow(std::wstring_view path, std::wstring_view root) {
    if (!root.empty() && root.back() == L'\\') root.remove_suffix(1); // a drive root "\\?\C:\"
    // Exact case: both paths come from the same query, which gives each
    // component as stored; ignoring case would let a link reach a sibling
    // whose name differs only in case on a case-sensitive folder.
    return path.size() > root.size() + 1 && path[root.size()] == L'\\' &&
           path.substr(0, root.size()) == root;
}
