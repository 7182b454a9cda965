#include "folder_tree/ShellItems.h"

#include "folder_tree/TreeItemData.h"
#include "gui/TreeView.h"

#include <cstring>

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<IShellFolder>& TestDesktop() {
    static ComPtr<IShellFolder> desktop;
    return desktop;
}

struct CoTaskMemDeleter {
    void operator()(void* block) const { CoTaskMemFree(block); }
};

bool ToAnsi(const wchar_t* wide, std::string& text) {
    int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    std::string converted(size, '\0');
    if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, converted.data(), size, nullptr, nullptr))
        return false;
    converted.resize(size - 1); // the terminator
    text = std::move(converted);
    return true;
}

TTVITEMDATA* NodeData(LPARAM node) {
    return static_cast<TTVITEMDATA*>(reinterpret_cast<TTreeNode*>(node)->Data());
}

} // namespace

ComPtr<IShellFolder> DesktopFolder() {
    if (TestDesktop()) return TestDesktop();
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
    return desktop;
}

void SetDesktopFolderForTesting(IShellFolder* folder) {
    TestDesktop() = folder;
}

bool GetItemDisplayName(IShellFolder* folder, LPCITEMIDLIST item, SHGDNF flags, std::string& name) {
    STRRET result{};
    if (folder->GetDisplayNameOf(item, flags, &result) != S_OK) return false; // S_FALSE too
    switch (result.uType) {
    case STRRET_WSTR: {
        std::unique_ptr<wchar_t, CoTaskMemDeleter> wide(result.pOleStr); // freed on every path
        return wide && ToAnsi(wide.get(), name);
    }
    case STRRET_OFFSET:
        if (!item) return false;
        name = reinterpret_cast<const char*>(item) + result.uOffset;
        return true;
    case STRRET_CSTR:
        name.assign(result.cStr, strnlen(result.cStr, MAX_PATH)); // may fill all 260 bytes
        return true;
    default:
        return false;
    }
}

std::string GetItemParsingName(IShellFolder* folder, LPCITEMIDLIST item) {
    std::string name;
    GetItemDisplayName(folder, item, SHGDN_FORPARSING, name);
    return name;
}

UniqueItemIDList PathToItemIDList(const std::string& path) {
    ComPtr<IShellFolder> desktop = DesktopFolder();
    if (!desktop) return nullptr;
    int size = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (size <= 0) return nullptr;
    std::wstring wide(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), size);
    ULONG eaten = 0;
    LPITEMIDLIST parsed = nullptr;
    HRESULT hr = desktop->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, &parsed, nullptr);
    UniqueItemIDList list(parsed); // from the shell allocator
    if (FAILED(hr)) return nullptr;
    return list;
}

bool IsShellPath(const std::string& path) {
    return PathToItemIDList(path) != nullptr;
}

UniqueItemIDList GetAbsoluteItemIDList(IShellFolder* folder, LPCITEMIDLIST item) {
    std::string name;
    if (!GetItemDisplayName(folder, item, SHGDN_FORPARSING, name)) return nullptr;
    return PathToItemIDList(name);
}

bool IsParsableItem(IMalloc* malloc, IShellFolder* folder, LPCITEMIDLIST item) {
    UniqueItemIDList list = GetAbsoluteItemIDList(folder, item);
    if (!list) return false;
    if (malloc) malloc->Free(list.release()); // the caller's allocator, as it asked
    return true;
}

std::string ItemIDListToPath(LPCITEMIDLIST list) {
    char path[MAX_PATH + 4] = {};
    if (!SHGetPathFromIDListA(list, path)) return {};
    return path;
}

std::string GetFileInfoDisplayName(LPCITEMIDLIST list) {
    SHFILEINFOA info{};
    if (!SHGetFileInfoA(reinterpret_cast<LPCSTR>(list), 0, &info, sizeof info,
                        SHGFI_PIDL | SHGFI_DISPLAYNAME))
        return {};
    return info.szDisplayName;
}

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

bool CanRenameItem(IShellFolder* folder, LPCITEMIDLIST item) {
    SFGAOF attributes = SFGAO_CANRENAME;
    folder->GetAttributesOf(1, &item, &attributes); // some folders answer in the word alone
    return (attributes & SFGAO_CANRENAME) != 0;
}

bool GetParentFolder(LPCITEMIDLIST list, ComPtr<IShellFolder>& folder, UniqueItemIDList& item) {
    if (!list || !ShellMalloc()) return false;
    ComPtr<IShellFolder> current = DesktopFolder();
    if (!current) return false;
    int count = CountItemIDs(list);
    if (count < 2) return false;
    LPCITEMIDLIST entry = list;
    for (int i = 0; i < count - 1; ++i) {
        UniqueItemIDList copy = CopyItemID(entry);
        if (!copy) return false;
        ComPtr<IShellFolder> next;
        if (FAILED(current->BindToObject(copy.get(), nullptr, IID_PPV_ARGS(&next))) || !next)
            return false;
        current = std::move(next);
        entry = NextItemID(entry);
    }
    folder = std::move(current);
    item = CopyItemID(entry);
    return item != nullptr;
}

bool IsSameItem(IShellFolder* folder, LPCITEMIDLIST item1, LPCITEMIDLIST item2) {
    HRESULT hr = folder->CompareIDs(0, item1, item2);
    return SUCCEEDED(hr) && HRESULT_CODE(hr) == 0;
}

int CALLBACK CompareByShell(LPARAM node1, LPARAM node2, LPARAM) {
    TTVITEMDATA* data1 = NodeData(node1);
    TTVITEMDATA* data2 = NodeData(node2);
    HRESULT hr =
        data1->ParentFolder->CompareIDs(0, data1->RelativeID.get(), data2->RelativeID.get());
    if (FAILED(hr)) return 0;
    return static_cast<short>(HRESULT_CODE(hr)); // the code is a signed 16-bit order
}

int CALLBACK CompareFilesFirst(LPARAM node1, LPARAM node2, LPARAM sortDatum) {
    bool folder1 = (NodeData(node1)->Attributes & SFGAO_FOLDER) != 0;
    bool folder2 = (NodeData(node2)->Attributes & SFGAO_FOLDER) != 0;
    if (folder1 != folder2) return folder1 ? 1 : -1;
    return CompareByShell(node1, node2, sortDatum);
}
