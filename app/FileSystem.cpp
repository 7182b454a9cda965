#include "app/FileSystem.h"

#include <winternl.h>

#include <string_view>
#include <vector>

namespace {

// The object name of an open file, "\\??\\X:\\...", as "\\\\?\\X:\\...": Wine's
// GetFinalPathNameByHandleW reads that name into a buffer of MAX_PATH
// characters and fails for longer paths. Any other form (Windows gives
// "\\Device\\...", but its GetFinalPathNameByHandleW has no such limit) fails.
bool ObjectNamePath(HANDLE entry, std::wstring& path) {
    std::vector<BYTE> buffer(sizeof(UNICODE_STRING) + 32768 * sizeof(wchar_t));
    ULONG length = 0;
    if (!NT_SUCCESS(NtQueryObject(entry, ObjectNameInformation, buffer.data(), ULONG(buffer.size()),
                                  &length)))
        return false;
    const auto* name = reinterpret_cast<const UNICODE_STRING*>(buffer.data());
    const std::wstring_view text(name->Buffer, name->Length / sizeof(wchar_t));
    constexpr std::wstring_view kDosDevices = L"\\??\\";
    if (text.substr(0, kDosDevices.size()) != kDosDevices) return false;
    path.assign(L"\\\\?\\").append(text.substr(kDosDevices.size()));
    return true;
}

} // namespace

bool TFileSystem::GetFinalPath(HANDLE entry, DWORD flags, std::wstring& path) {
    path.resize(path.capacity() > MAX_PATH ? path.capacity() : MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetFinalPathNameByHandleW(entry, path.data(), DWORD(path.size()), flags);
        if (length == 0) {
            const DWORD error = GetLastError();
            if (error == ERROR_MORE_DATA && flags == (FILE_NAME_NORMALIZED | VOLUME_NAME_DOS) &&
                ObjectNamePath(entry, path))
                return true;
            SetLastError(error);
            return false;
        }
        if (length < path.size()) { // the length without the terminator
            path.resize(length);
            return true;
        }
        path.resize(length); // the size needed, terminator included
    }
}

BOOL TFileSystem::SetAttributes(HANDLE entry, DWORD attributes) {
    // Zero in FILE_BASIC_INFO means "leave unchanged": a word that has lost
    // its last bit is written as FILE_ATTRIBUTE_NORMAL, as SetFileAttributes
    // does. The times are zero and so are left alone.
    FILE_BASIC_INFO info{};
    info.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return ::SetFileInformationByHandle(entry, FileBasicInfo, &info, sizeof info);
}

TFileSystem& Kernel32FileSystem() {
    static TFileSystem fileSystem;
    return fileSystem;
}
