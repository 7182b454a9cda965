#include "tests/support/WideFolders.h"

namespace {

// The prefix lifts the length limit of the wide entry points.
std::wstring LongPath(const std::wstring& path) {
    return L"\\\\?\\" + path;
}

} // namespace

WideFolders::WideFolders(const TempTree& tree)
    : root_(Wide(tree.Root())), unixRoot_(::UnixPath(tree.Root())) {}

WideFolders::~WideFolders() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
        const std::wstring path = LongPath(it->first);
        if (it->second) {
            RemoveDirectoryW(path.c_str());
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    }
}

std::wstring WideFolders::Dir(const std::wstring& relative) {
    std::wstring path = Path(relative);
    if (CreateDirectoryW(LongPath(path).c_str(), nullptr))
        made_.emplace_back(path, true);
    else
        failures_ += "folder " + Narrow(relative) + "\n";
    return path;
}

std::wstring WideFolders::File(const std::wstring& relative, DWORD attributes) {
    std::wstring path = Path(relative);
    HANDLE h = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        failures_ += "file " + Narrow(relative) + "\n";
        return path;
    }
    CloseHandle(h);
    made_.emplace_back(path, false);
    if (attributes && !SetFileAttributesW(LongPath(path).c_str(), attributes))
        failures_ += "attributes of " + Narrow(relative) + "\n";
    return path;
}

std::string WideFolders::UnixPath(const std::wstring& relative) const {
    std::string utf8(relative.size() * 4, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, relative.data(), int(relative.size()), utf8.data(),
                                    int(utf8.size()), nullptr, nullptr));
    for (char& c : utf8)
        if (c == '\\') c = '/';
    return unixRoot_ + "/" + utf8;
}

std::map<std::wstring, DWORD> WideFolders::Snapshot() const {
    std::map<std::wstring, DWORD> entries;
    Collect(L"", entries);
    return entries;
}

void WideFolders::Collect(const std::wstring& relative,
                          std::map<std::wstring, DWORD>& entries) const {
    const std::wstring folder = LongPath(relative.empty() ? root_ : Path(relative));
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = relative.empty() ? name : relative + L"\\" + name;
        entries[child] = GetFileAttributesW(LongPath(Path(child)).c_str());
        if ((d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            Collect(child, entries);
    } while (FindNextFileW(h, &d));
    FindClose(h);
}
