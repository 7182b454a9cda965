#include "tests/support/TempTree.h"

#include <memory>

namespace {

struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
using UniqueFileHandle = std::unique_ptr<void, HandleCloser>;

// Wide and extended-length, so that entries of any name are removed.
void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTree(child);
            else if (!DeleteFileW(child.c_str()))
                RemoveDirectoryW(child.c_str()); // a link to a folder
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

void RemoveTree(const std::string& path) {
    std::wstring wide(path.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, path.data(), int(path.size()), wide.data(),
                                    int(wide.size())));
    RemoveTree(L"\\\\?\\" + wide);
}

} // namespace

TempTree::TempTree() {
    static int serial = 0;
    root_ = "Z:\\tmp\\kelvane-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial);
    RemoveTree(root_);
    CreateDirectoryA(root_.c_str(), nullptr);
}

TempTree::~TempTree() {
    RemoveTree(root_);
}

std::string TempTree::Dir(const std::string& relative, DWORD attributes) const {
    std::string path = Path(relative);
    CreateDirectoryA(path.c_str(), nullptr);
    if (attributes) SetFileAttributesA(path.c_str(), attributes);
    return path;
}

std::string TempTree::File(const std::string& relative, DWORD attributes,
                           const std::string& content) const {
    std::string path = Path(relative);
    {
        UniqueFileHandle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        WriteFile(h.get(), content.data(), DWORD(content.size()), &written, nullptr);
    }
    if (attributes) SetFileAttributesA(path.c_str(), attributes);
    return path;
}

namespace {

// Runs a Unix program (Wine starts one given by its Unix path) and waits,
// boundedly, until `done` holds: the Unix process is not waited on reliably.
template <class Done> bool RunUnix(const char* program, std::string command, Done done) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string image = std::string("Z:") + program;
    if (!CreateProcessA(image.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0; i < 250; ++i) {
        if (done()) return true;
        Sleep(20);
    }
    return false;
}

} // namespace

bool TempTree::UnixSymlink(const std::string& relative, const std::string& target) const {
    std::string link = Path(relative);
    return RunUnix("/bin/ln", "/bin/ln -s " + UnixPath(target) + " " + UnixPath(link),
                   [&] { return Attributes(link) != INVALID_FILE_ATTRIBUTES; });
}

bool TempTree::UnixReadOnly(const std::string& relative) const {
    std::string path = Path(relative);
    return RunUnix("/bin/chmod", "/bin/chmod a-w " + UnixPath(path), [&] {
        DWORD a = Attributes(path);
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
    });
}

DWORD Attributes(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

std::string ReadContent(const std::string& path) {
    UniqueFileHandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    char buffer[256];
    DWORD read = 0;
    if (!ReadFile(h.get(), buffer, sizeof buffer, &read, nullptr)) return {};
    return std::string(buffer, read);
}

FILETIME LastWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

std::string UnixPath(const std::string& windowsPath) {
    std::string unix = windowsPath.substr(2); // drop "Z:"
    for (char& c : unix)
        if (c == '\\') c = '/';
    return unix;
}
