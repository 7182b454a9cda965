#include "tests/support/UnixModes.h"

#include <cstdlib>
#include <sstream>

#include "tests/support/UnixShell.h"

namespace {

constexpr DWORD kTimeoutMs = 60000; // trees of thousands of files included

} // namespace

bool TakeWriteBits(const std::vector<std::string>& unixPaths) {
    std::string script = "chmod a-w";
    for (const auto& p : unixPaths)
        script.append(" ").append(ShellQuoteUnix(p));
    return RunUnixShell(script, kTimeoutMs) == 0;
}

bool TakeFileWriteBits(const std::string& unixFolder) {
    return RunUnixShell("find " + ShellQuoteUnix(unixFolder) + " -type f -exec chmod a-w {} +",
                        kTimeoutMs) == 0;
}

bool GiveWriteBitBack(const std::string& unixFolder) {
    return RunUnixShell("chmod -R u+w " + ShellQuoteUnix(unixFolder), kTimeoutMs) == 0;
}

int CountUnwritable(const std::string& unixFolder, bool filesOnly) {
    std::string out;
    if (RunUnixShell("find " + ShellQuoteUnix(unixFolder) + " -mindepth 1" +
                         (filesOnly ? " -type f" : "") + " ! -perm -u+w | wc -l",
                     kTimeoutMs, &out) != 0)
        return -1;
    char* end = nullptr;
    const long count = std::strtol(out.c_str(), &end, 10);
    return end == out.c_str() ? -1 : int(count);
}

std::map<std::string, std::string> UnixModes(const std::vector<std::string>& unixFolders) {
    std::string script = "find";
    for (const auto& f : unixFolders)
        script.append(" ").append(ShellQuoteUnix(f));
    script += " -printf '%m %y %p\\n'";
    std::map<std::string, std::string> modes;
    std::string text;
    if (RunUnixShell(script, kTimeoutMs, &text) != 0) return modes;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const size_t first = line.find(' ');
        const size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
        if (second == std::string::npos) continue;
        modes[line.substr(second + 1)] = line.substr(0, second);
    }
    return modes;
}

bool HasWriteBit(const std::string& modeAndType) {
    return (std::stoi(modeAndType, nullptr, 8) & 0222) != 0;
}
