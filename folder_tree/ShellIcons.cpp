#include "folder_tree/ShellIcons.h"

#include <shlguid.h>

using Microsoft::WRL::ComPtr;

void GetItemIconIndices(LPCITEMIDLIST list, int& normal, int& open) {
    auto icon = [list](UINT flags) {
        SHFILEINFOA info{};
        if (!SHGetFileInfoA(reinterpret_cast<LPCSTR>(list), 0, &info, sizeof info,
                            SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SMALLICON | flags))
            return 0;
        return info.iIcon;
    };
    normal = icon(0);
    open = icon(SHGFI_OPENICON);
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
