#include "tests/support/UnixShell.h"

#include <cstdio>
#include <cstdlib>

#include "tests/support/TempTree.h"

std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

std::string ShellQuoteUnix(const std::string& bytes) {
    bool plain = true;
    for (unsigned char c : bytes)
        plain = plain && c >= 0x20 && c < 0x7F;
    if (plain) return ShellQuote(bytes);
    std::string escaped;
    for (unsigned char c : bytes) {
        char octal[8];
        std::snprintf(octal, sizeof octal, "\\%03o", c);
        escaped += octal;
    }
    return "\"$(printf '" + escaped + "')\"";
}

std::string CommandLineQuote(const std::string& argument) {
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        out += c;
        backslashes = 0;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

namespace {

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(h, buffer, sizeof buffer, &read, nullptr) && read)
        text.append(buffer, read);
    CloseHandle(h);
    return text;
}

} // namespace

std::optional<int> RunUnixShell(const std::string& script, DWORD timeoutMs, std::string* output) {
    static int serial = 0;
    const std::string stem = TempFolder() + "\\kelvane-unix-" +
                             std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    const std::string marker = stem + ".status", out = stem + ".out";
    DeleteFileA(marker.c_str());
    DeleteFileA(out.c_str());
    const std::string unixMarker = ShellQuote(UnixPath(marker)),
                      unixPending = ShellQuote(UnixPath(marker + ".tmp"));
    std::string full = "PATH=/usr/bin:/bin; export PATH; ( " + script + " ) </dev/null";
    if (output) full += " >" + ShellQuote(UnixPath(out));
    full += "; echo $? >" + unixPending + "; mv " + unixPending + " " + unixMarker;
    std::string line = "/bin/sh -c " + CommandLineQuote(full);

    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    static const std::string shell = WindowsPath("/bin/sh");
    if (!CreateProcessA(shell.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
        return std::nullopt;
    // Wine starts a Unix program without a process handle and leaves stray
    // values in the rest, which can name a handle of this process (standard
    // output among them): close the handles only where there is a process.
    if (pi.hProcess) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }

    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (Attributes(marker) != INVALID_FILE_ATTRIBUTES) {
            const std::string status = ReadContent(marker);
            DeleteFileA(marker.c_str());
            if (output) {
                *output = ReadWholeFile(out);
                DeleteFileA(out.c_str());
            }
            if (status.empty()) return std::nullopt;
            return std::atoi(status.c_str());
        }
        if (GetTickCount64() >= deadline) {
            DeleteFileA(out.c_str());
            return std::nullopt;
        }
        Sleep(20);
    }
}
