#include "folder_tree/FolderIdentity.h"

#include "gui/Owners.h"

#include <winternl.h>

namespace {

// FileInternalInformation: the file's index on its volume. Asked of the
// handle alone; GetFileInformationByHandle would also read the volume's
// serial, which costs far more and adds nothing within one root.
struct FileInternal {
    LARGE_INTEGER index;
};

ULONGLONG AsNumber(const LARGE_INTEGER& value) {
    return ULONGLONG(value.QuadPart);
}

// "\\?\C:\a" gives "C:\a", "\\?\UNC\server\share" gives "\\server\share".
std::wstring DosForm(std::wstring path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\" + path.substr(7);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

std::wstring FinalPath(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle, path.data(), DWORD(path.size()), 0);
    if (length >= path.size()) {
        path.resize(length + 1);
        length = GetFinalPathNameByHandleW(handle, path.data(), DWORD(path.size()), 0);
    }
    if (!length || length >= path.size()) return {};
    path.resize(length);
    return DosForm(path);
}

UniqueHandle OpenBriefly(const std::wstring& path) {
    return UniqueHandle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

ULONGLONG FileIdOf(HANDLE handle) {
    FileInternal info{};
    IO_STATUS_BLOCK status{};
    return NT_SUCCESS(
               NtQueryInformationFile(handle, &status, &info, sizeof info, FileInternalInformation))
               ? AsNumber(info.index)
               : 0;
}

} // namespace

bool ReadFolderIdentity(const std::wstring& path, TFolderIdentity& identity) {
    UniqueHandle folder = OpenBriefly(path);
    if (!folder) return false;
    FILE_BASIC_INFO basic{};
    GetFileInformationByHandleEx(folder.get(), FileBasicInfo, &basic, sizeof basic);
    identity.fileId = FileIdOf(folder.get());
    identity.lastWrite = AsNumber(basic.LastWriteTime);
    // Where the final path cannot be had (some RAM disks and user-mode file
    // systems), the path as the shell named it.
    std::wstring final = FinalPath(folder.get());
    if (final.empty()) final = path;
    std::wstring root(final.size() + 2, L'\0');
    if (!GetVolumePathNameW(final.c_str(), root.data(), DWORD(root.size()))) return false;
    root.resize(wcslen(root.c_str()));
    if (root.empty() || root.back() != L'\\') root += L'\\';
    identity.root = root;
    identity.relative = final.size() > root.size() ? final.substr(root.size()) : std::wstring();
    while (!identity.relative.empty() && identity.relative.back() == L'\\')
        identity.relative.pop_back();
    return true;
}

ULONGLONG FolderLastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

ULONGLONG FolderFileId(const std::wstring& path) {
    UniqueHandle folder = OpenBriefly(path);
    return folder ? FileIdOf(folder.get()) : 0;
}

std::wstring FindSubfolderById(const std::wstring& parent, ULONGLONG fileId) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = parent + (parent.back() == L'\\' ? L"*" : L"\\*");
    const UniqueFindHandle search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                                   FindExSearchLimitToDirectories, nullptr, 0));
    if (!search) return {};
    std::wstring match;
    do {
        const std::wstring name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L"..")
            continue;
        const std::wstring path = parent + (parent.back() == L'\\' ? L"" : L"\\") + name;
        if (FolderFileId(path) == fileId) match = path;
    } while (match.empty() && FindNextFileW(search.get(), &found));
    return match;
}

std::wstring FoldedName(std::wstring name) {
    if (!name.empty()) CharUpperBuffW(name.data(), DWORD(name.size()));
    return name;
}
