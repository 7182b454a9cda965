#include "folder_tree/ShellNames.h"

#include "folder_tree/ShellFolders.h"
#include "gui/AnsiText.h"
#include "gui/Owners.h"
#include "gui/TreeView.h"

#include <shobjidl.h>

#include <cstring>

using Microsoft::WRL::ComPtr;

namespace {

// A display name as the shell handed it over: wide or ANSI.
struct ShellName {
    bool wide = false;
    std::wstring wideText;
    std::string ansiText;
};

bool ReadDisplayName(IShellFolder* folder, LPCITEMIDLIST item, SHGDNF flags, ShellName& name) {
    STRRET result{};
    if (folder->GetDisplayNameOf(item, flags, &result) != S_OK) return false; // S_FALSE too
    switch (result.uType) {
    case STRRET_WSTR: {
        UniqueCoTaskMem<wchar_t> wide(result.pOleStr); // freed on every path
        if (!wide) return false;
        name.wide = true;
        name.wideText = wide.get();
        return true;
    }
    case STRRET_OFFSET:
        if (!item) return false;
        name.ansiText = reinterpret_cast<const char*>(item) + result.uOffset;
        return true;
    case STRRET_CSTR:
        name.ansiText.assign(result.cStr, strnlen(result.cStr, MAX_PATH)); // may fill all 260 bytes
        return true;
    default:
        return false;
    }
}

// The folder's own absolute list (IPersistFolder2), or null.
UniqueItemIDList FolderItemIDList(IShellFolder* folder) {
    ComPtr<IPersistFolder2> persist;
    LPITEMIDLIST list = nullptr;
    if (FAILED(folder->QueryInterface(IID_PPV_ARGS(&persist))) ||
        FAILED(persist->GetCurFolder(&list)))
        return nullptr;
    return UniqueItemIDList(list);
}

} // namespace

bool MayBeCutShort(std::wstring_view name) {
    return name.size() >= MAX_PATH - 1;
}

bool GetItemDisplayName(IShellFolder* folder, LPCITEMIDLIST item, SHGDNF flags, std::string& name) {
    ShellName read;
    if (!ReadDisplayName(folder, item, flags, read)) return false;
    if (!(flags & SHGDN_FORPARSING)) {
        name = read.wide ? ShownAnsiText(read.wideText) : std::move(read.ansiText);
        return true;
    }
    const std::wstring wide = read.wide ? std::move(read.wideText) : WideText(read.ansiText);
    if (MayBeCutShort(wide)) return false;
    if (!read.wide) {
        name = std::move(read.ansiText);
        return true;
    }
    return ExactAnsiText(wide, name);
}

bool GetItemDisplayNameW(IShellFolder* folder, LPCITEMIDLIST item, SHGDNF flags,
                         std::wstring& name) {
    ShellName read;
    if (!ReadDisplayName(folder, item, flags, read)) return false;
    name = read.wide ? std::move(read.wideText) : WideText(read.ansiText);
    return true;
}

std::string GetItemParsingName(IShellFolder* folder, LPCITEMIDLIST item) {
    std::string name;
    GetItemDisplayName(folder, item, SHGDN_FORPARSING, name);
    return name;
}

std::wstring GetItemParsingNameW(IShellFolder* folder, LPCITEMIDLIST item) {
    std::wstring name;
    GetItemDisplayNameW(folder, item, SHGDN_FORPARSING, name);
    return name;
}

UniqueItemIDList PathToItemIDList(const std::string& path, IShellFolder* desktop) {
    return PathToItemIDList(WideText(path), desktop);
}

UniqueItemIDList PathToItemIDList(const std::wstring& path, IShellFolder* desktop) {
    ComPtr<IShellFolder> parser = desktop ? ComPtr<IShellFolder>(desktop) : DesktopFolder();
    if (!parser) return nullptr;
    std::wstring name = path; // the shell wants a writable text
    ULONG eaten = 0;
    LPITEMIDLIST parsed = nullptr;
    HRESULT hr = parser->ParseDisplayName(nullptr, nullptr, name.data(), &eaten, &parsed, nullptr);
    UniqueItemIDList list(parsed); // from the shell allocator
    if (FAILED(hr)) return nullptr;
    return list;
}

bool IsShellPath(const std::string& path) {
    return PathToItemIDList(path) != nullptr;
}

bool IsShellPath(const std::wstring& path) {
    return PathToItemIDList(path) != nullptr;
}

UniqueItemIDList DesktopParsedItemIDList(IShellFolder* folder, LPCITEMIDLIST item,
                                         const std::wstring& parsingName) {
    if (parsingName.empty()) return nullptr;
    if (!MayBeCutShort(parsingName)) return PathToItemIDList(parsingName);
    UniqueItemIDList parent = FolderItemIDList(folder);
    return parent ? ConcatItemIDLists(parent.get(), item) : nullptr;
}

UniqueItemIDList DesktopParsedItemIDList(IShellFolder* folder, LPCITEMIDLIST item) {
    std::wstring name;
    if (!GetItemDisplayNameW(folder, item, SHGDN_FORPARSING, name)) return nullptr;
    return DesktopParsedItemIDList(folder, item, name);
}

UniqueItemIDList InFolderParsedItemIDList(IShellFolder* folder, LPCITEMIDLIST item,
                                          LPCITEMIDLIST folderList, std::wstring& name) {
    if (!folder || !folderList) return nullptr;
    std::wstring inFolder;
    if (!GetItemDisplayNameW(folder, item, SHGDN_INFOLDER | SHGDN_FORPARSING, inFolder) ||
        inFolder.empty())
        return nullptr;
    ULONG eaten = 0;
    LPITEMIDLIST parsed = nullptr;
    const HRESULT hr =
        folder->ParseDisplayName(nullptr, nullptr, inFolder.data(), &eaten, &parsed, nullptr);
    UniqueItemIDList relative(parsed);
    if (FAILED(hr) || !relative || !IsSameItem(folder, relative.get(), item)) return nullptr;
    UniqueItemIDList list = ConcatItemIDLists(folderList, relative.get());
    if (list) name = std::move(inFolder);
    return list;
}

UniqueItemIDList InFolderOrDesktopParsedItemIDList(IShellFolder* folder, LPCITEMIDLIST item,
                                                   LPCITEMIDLIST folderList, std::wstring& name) {
    if (UniqueItemIDList list = InFolderParsedItemIDList(folder, item, folderList, name))
        return list;
    name = GetItemParsingNameW(folder, item);
    return DesktopParsedItemIDList(folder, item, name);
}

bool IsParsableItem(IMalloc* malloc, IShellFolder* folder, LPCITEMIDLIST item) {
    // Freed through the caller's allocator, as it asked.
    AllocatorItemIDList list(DesktopParsedItemIDList(folder, item).release(), {malloc});
    return list != nullptr;
}

std::string ItemIDListToPath(LPCITEMIDLIST list) {
    std::string path;
    return ExactAnsiText(ItemIDListToPathW(list), path) ? path : std::string();
}

std::wstring ItemIDListToPathW(LPCITEMIDLIST list) {
    wchar_t* raw = nullptr; // no buffer of the caller's: the shell sizes it
    if (!list || FAILED(SHGetNameFromIDList(list, SIGDN_FILESYSPATH, &raw))) return {};
    UniqueCoTaskMem<wchar_t> wide(raw);
    if (!wide || MayBeCutShort(wide.get())) return {};
    return wide.get();
}

std::wstring GetFileInfoDisplayName(LPCITEMIDLIST list) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info,
                        SHGFI_PIDL | SHGFI_DISPLAYNAME))
        return {};
    return info.szDisplayName;
}
