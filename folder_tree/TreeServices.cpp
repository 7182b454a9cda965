#include "folder_tree/TreeServices.h"

#include "folder_tree/ShellFolders.h"

using Microsoft::WRL::ComPtr;

ComPtr<IMalloc> TTreeServices::Malloc() {
    return ShellMalloc();
}

ComPtr<IShellFolder> TTreeServices::Desktop() {
    return DesktopFolder();
}

HANDLE TTreeServices::OpenChangeRoot(const std::wstring& root) {
    return CreateFileW(root.c_str(), FILE_LIST_DIRECTORY,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
}

bool TTreeServices::ChangesComplete() {
    // Wine tells itself apart through an export of its ntdll.
    static const bool wine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return !wine;
}

TTreeServices& SystemTreeServices() {
    static TTreeServices services;
    return services;
}
