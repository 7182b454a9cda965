#include "folder_tree/ShellIcons.h"

#include <shlguid.h>

#include <atomic>

using Microsoft::WRL::ComPtr;

int GetItemIconIndex(LPCITEMIDLIST list, bool open) {
    SHFILEINFOW info{};
    const UINT flags = SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SMALLICON;
    if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info,
                        open ? flags | SHGFI_OPENICON : flags))
        return 0;
    return info.iIcon;
}

void GetItemIconIndices(LPCITEMIDLIST list, int& normal, int& open) {
    normal = GetItemIconIndex(list, false);
    open = GetItemIconIndex(list, true);
}

bool GetItemOverlayIndex(IShellFolder* folder, LPCITEMIDLIST item, int& index) {
    index = 0;
    ComPtr<IShellIconOverlay> overlay; // the headers give it no __uuidof
    if (FAILED(folder->QueryInterface(IID_IShellIconOverlay,
                                      reinterpret_cast<void**>(overlay.GetAddressOf()))))
        return false;
    if (FAILED(overlay->GetOverlayIndex(item, &index))) return false;
    --index; // the shell counts overlays from 1, nodes from 0
    return true;
}

int GetDefaultIconIndex(bool folder, bool open) {
    // Asked once each: a late node's every draw wants one, and the system's
    // list keeps its indices for the life of the process.
    static std::atomic<int> known[2][2] = {{-1, -1}, {-1, -1}};
    std::atomic<int>& index = known[folder][open];
    if (index >= 0) return index;
    // Asked by attributes alone, these read nothing of any item.
    SHFILEINFOW info{};
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES;
    if (open) flags |= SHGFI_OPENICON;
    if (!SHGetFileInfoW(folder ? L"folder" : L"file",
                        folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info,
                        sizeof info, flags))
        return 0;
    return index = info.iIcon;
}
