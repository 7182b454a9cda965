#include "tests/support/TempTree.h"

#include "tests/support/UnixModes.h"
#include "tests/support/UnixShell.h"

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

// Removes the tree; what Wine cannot remove (links to folders) goes from the
// Linux side.
void RemoveAll(const std::string& path) {
    RemoveTree(path);
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        RunUnixShell("rm -rf " + ShellQuote(UnixPath(path)));
}

} // namespace

TempTree::TempTree() {
    static int serial = 0;
    root_ = TempFolder() + "\\kelvane-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial);
    RemoveAll(root_); // left by an earlier process of the same id
    CreateDirectoryA(root_.c_str(), nullptr);
}

TempTree::~TempTree() {
    RemoveAll(root_);
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

bool TempTree::UnixSymlink(const std::string& relative, const std::string& target) const {
    const std::string link = Path(relative);
    return RunUnixShell("ln -s " + ShellQuote(UnixPath(target)) + " " +
                        ShellQuote(UnixPath(link))) == 0 &&
           Attributes(link) != INVALID_FILE_ATTRIBUTES;
}

bool TempTree::UnixReadOnly(const std::string& relative) const {
    const std::string path = Path(relative);
    if (!TakeWriteBits({UnixPath(path)})) return false;
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
}

std::string TempFolder() {
    char path[MAX_PATH] = {}, longPath[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, path);
    if (length == 0 || length >= MAX_PATH) return {};
    std::string folder = GetLongPathNameA(path, longPath, MAX_PATH) ? longPath : path;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

std::vector<std::string> FoldersDownTo(const std::string& path) {
    std::vector<std::string> folders{path.substr(0, 3)};
    for (size_t end = path.find('\\', 3); end != std::string::npos; end = path.find('\\', end + 1))
        folders.push_back(path.substr(0, end));
    if (path.size() > 3) folders.push_back(path);
    return folders;
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
