#include "folder_tree/ShellVerbs.h"

#include "folder_tree/AboutProperty.h"
#include "folder_tree/ShellFolders.h"
#include "folder_tree/ShellNames.h"
#include "folder_tree/TreeServices.h"
#include "gui/Owners.h"

#include <cstring>

using Microsoft::WRL::ComPtr;

namespace {

struct VerbEntry {
    UINT command;
    ULONG attribute; // 0: none asked (paste)
};

constexpr VerbEntry kVerbs[] = {
    {MenuCommand::Link, SFGAO_CANLINK},
    {MenuCommand::Delete, SFGAO_CANDELETE},
    {MenuCommand::Cut, SFGAO_CANMOVE},
    {MenuCommand::Copy, SFGAO_CANCOPY},
    {MenuCommand::Paste, 0},
};

// The shell menu's paste item: eight bytes of label, then its accelerator.
constexpr char kPasteAccelerator[] = "(&P)";
constexpr int kPasteAcceleratorAt = 9;

} // namespace

HRESULT FillContextMenu(IContextMenu* contextMenu, HMENU menu) {
    return contextMenu->QueryContextMenu(menu, 0, MenuCommand::First, MenuCommand::Last,
                                         CMF_EXPLORE);
}

HRESULT InvokeMenuCommand(IContextMenu* contextMenu, HWND wnd, UINT command) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.hwnd = wnd;
    info.lpVerb = MAKEINTRESOURCEA(command - 1);
    info.nShow = SW_SHOWNORMAL;
    return contextMenu->InvokeCommand(&info);
}

void ReportInvokeFailure(TTreeServices& services, HWND owner) {
    services.ShowMessage(owner, "InvokeCommand failed!", kFolderTreeCaption,
                         MB_OK | MB_ICONINFORMATION);
}

int FindMenuItemByText(HMENU menu, const char* text, int position) {
    const int count = GetMenuItemCount(menu);
    for (int p = 0; p < count; ++p) {
        const UINT state = GetMenuState(menu, UINT(p), MF_BYPOSITION);
        if (state & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR)) continue;
        char label[256] = {};
        if (GetMenuStringA(menu, UINT(p), label, 255, MF_BYPOSITION) <= 0) label[0] = '\0';
        const char* found = std::strstr(label, text);
        if (found && found - label + 1 == position) return p + 1;
    }
    return -1;
}

ComPtr<IContextMenu> GetItemContextMenu(HWND wnd, IShellFolder* folder, LPCITEMIDLIST item) {
    ComPtr<IContextMenu> contextMenu;
    if (FAILED(folder->GetUIObjectOf(wnd, 1, &item, IID_IContextMenu, nullptr,
                                     reinterpret_cast<void**>(contextMenu.GetAddressOf()))))
        return nullptr;
    return contextMenu;
}

bool InvokeItemVerb(TTreeServices& services, HWND wnd, IShellFolder* folder, LPCITEMIDLIST item,
                    TShellVerb verb) {
    if (!wnd || !folder || !item || verb > svPaste) return false;
    const VerbEntry& entry = kVerbs[verb];
    SFGAOF attributes = kVerbAttributeQuery;
    if (folder->GetAttributesOf(1, &item, &attributes) != S_OK) return false;
    if (verb != svPaste && !(attributes & entry.attribute)) return false;
    ComPtr<IContextMenu> contextMenu = GetItemContextMenu(wnd, folder, item);
    if (!contextMenu) return false;
    UniqueMenu menu(CreatePopupMenu());
    if (!menu || FAILED(FillContextMenu(contextMenu.Get(), menu.get()))) return false;
    if (verb == svPaste &&
        FindMenuItemByText(menu.get(), kPasteAccelerator, kPasteAcceleratorAt) == -1)
        return false;
    if (SUCCEEDED(InvokeMenuCommand(contextMenu.Get(), wnd, entry.command))) return true;
    ReportInvokeFailure(services, wnd);
    return false;
}

bool InvokePathVerb(TTreeServices& services, HWND wnd, const std::wstring& path, TShellVerb verb) {
    ComPtr<IMalloc> malloc = services.Malloc();
    if (!wnd || !malloc) return false;
    UniqueItemIDList list = PathToItemIDList(path);
    if (!list) return false;
    ComPtr<IShellFolder> folder;
    UniqueItemIDList item;
    if (!GetParentFolder(list.get(), folder, item) || !folder || !item) return false;
    return InvokeItemVerb(services, wnd, folder.Get(), item.get(), verb);
}
