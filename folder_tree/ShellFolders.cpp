#include "folder_tree/ShellFolders.h"

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<IShellFolder>& TestDesktop() {
    static ComPtr<IShellFolder> desktop;
    return desktop;
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

ShellLevel WalkShellLevels(IShellFolder* desktop, LPCITEMIDLIST list,
                           const ShellLevelFilter& enter) {
    ShellLevel level;
    level.entry = list;
    level.folder = desktop;
    if (!list || !list->mkid.cb) return level;
    for (;;) {
        level.item = CopyItemID(level.entry);
        if (!level.item || (enter && !enter(level))) return level;
        ComPtr<IShellFolder> bound;
        if (FAILED(level.folder->BindToObject(level.item.get(), nullptr, IID_PPV_ARGS(&bound))) ||
            !bound)
            return level;
        LPCITEMIDLIST next = NextItemID(level.entry);
        if (!next) {
            level.bound = true;
            return level;
        }
        level.entry = next;
        level.folder = std::move(bound);
        level.item.reset();
    }
}

bool GetParentFolder(LPCITEMIDLIST list, ComPtr<IShellFolder>& folder, UniqueItemIDList& item) {
    if (!list || !ShellMalloc()) return false;
    ComPtr<IShellFolder> desktop = DesktopFolder();
    if (!desktop) return false;
    if (CountItemIDs(list) < 2) return false;
    // Bound down to the last entry, which is only copied.
    ShellLevel last = WalkShellLevels(desktop.Get(), list, [](const ShellLevel& level) {
        return NextItemID(level.entry) != nullptr;
    });
    if (NextItemID(last.entry)) return false; // stopped on the way
    folder = std::move(last.folder);
    item = std::move(last.item);
    return item != nullptr;
}

bool EnumerateFolder(IShellFolder* folder, LPCITEMIDLIST item, HWND owner, SHCONTF flags,
                     ULONG attributeMask, const ShellChildVisitor& visit) {
    ComPtr<IShellFolder> sub;
    if (FAILED(folder->BindToObject(item, nullptr, IID_PPV_ARGS(&sub)))) return false;
    EnumerateBoundFolder(sub.Get(), owner, flags, attributeMask, visit);
    return true;
}

void EnumerateBoundFolder(IShellFolder* folder, HWND owner, SHCONTF flags, ULONG attributeMask,
                          const ShellChildVisitor& visit) {
    ComPtr<IEnumIDList> items;
    if (FAILED(folder->EnumObjects(owner, flags, &items)) || !items) return;
    LPITEMIDLIST raw = nullptr;
    while (items->Next(1, &raw, nullptr) == S_OK) {
        UniqueItemIDList child(raw);
        ULONG attributes = attributeMask;
        folder->GetAttributesOf(1, const_cast<LPCITEMIDLIST*>(&raw), &attributes);
        if (!visit(folder, raw, attributes)) break;
    }
}

bool IsSameItem(IShellFolder* folder, LPCITEMIDLIST item1, LPCITEMIDLIST item2) {
    HRESULT hr = folder->CompareIDs(0, item1, item2);
    return SUCCEEDED(hr) && HRESULT_CODE(hr) == 0;
}

bool CanRenameItem(IShellFolder* folder, LPCITEMIDLIST item) {
    SFGAOF attributes = SFGAO_CANRENAME;
    folder->GetAttributesOf(1, &item, &attributes); // some folders answer in the word alone
    return (attributes & SFGAO_CANRENAME) != 0;
}
