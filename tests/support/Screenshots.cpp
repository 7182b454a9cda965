#include "tests/support/Screenshots.h"

#include <cctype>
#include <cstdio>
#include <iostream>
#include <map>

#include "tests/support/TempTree.h"
#include "tests/support/UnixShell.h"

namespace e2e {

namespace {

// Screenshots taken so far in this process, by series.
std::map<std::string, int>& taken() {
    static std::map<std::string, int> counts;
    return counts;
}

// Paints now what is pending in a visible window and its children.
BOOL CALLBACK paintPending(HWND window, LPARAM) {
    if (IsWindowVisible(window))
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

} // namespace

Screenshots::Screenshots(const std::string& unixFolder, const std::string& series)
    : folder_(WindowsPath(unixFolder)), series_(series) {
    if (taken()[series_] > 0) return; // an earlier test of this run took some
    CreateDirectoryA(folder_.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_ + "\\" + series_ + "*.png").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name.compare(0, series_.size(), series_) != 0) continue;
        const std::string rest = name.substr(series_.size());
        if (rest.size() > 3 && std::isdigit(static_cast<unsigned char>(rest[0])) &&
            std::isdigit(static_cast<unsigned char>(rest[1])) && rest[2] == '-')
            DeleteFileA((folder_ + "\\" + name).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string Screenshots::take(const std::string& step, HWND window) {
    if (window) {
        EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), paintPending, 0);
        for (int trip = 0; trip < 2; ++trip) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        }
    }
    char number[8];
    std::snprintf(number, sizeof number, "%02d-", ++taken()[series_]);
    const std::string path = folder_ + "\\" + series_ + number + step + ".png";
    const std::string unix = UnixPath(path);
    const auto status = RunUnixShell("import -window root " + ShellQuote(unix), 30000);
    const bool written = status == 0 && Attributes(path) != INVALID_FILE_ATTRIBUTES;
    std::cout << "[ SCREEN   ] " << unix << (written ? "" : " (not written)") << std::endl;
    return written ? unix : std::string();
}

} // namespace e2e
