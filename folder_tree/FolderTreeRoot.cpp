// The choice of the folder tree's root: the special folder of each root,
// or a folder named by RootFolderName when it has something to show.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/ShellFolders.h"
#include "folder_tree/ShellNames.h"

using Microsoft::WRL::ComPtr;

namespace {

// The special folder shown for each root.
constexpr int RootFolderCSIDL[] = {
    CSIDL_DRIVES,    CSIDL_DRIVES,   CSIDL_DESKTOPDIRECTORY, CSIDL_FAVORITES, CSIDL_PROGRAMS,
    CSIDL_RECENT,    CSIDL_SENDTO,   CSIDL_STARTMENU,        CSIDL_STARTUP,   CSIDL_APPDATA,
    CSIDL_TEMPLATES, CSIDL_CONTROLS, CSIDL_BITBUCKET,        CSIDL_PRINTERS,
};

} // namespace

UniqueItemIDList TFolderTreeViewEx::GetRootItemIDList(IMalloc* malloc, IShellFolder* desktop) {
    if (FRootFolder == rfManual && !FRootFolderName.empty()) {
        UniqueItemIDList list = PathToItemIDList(FRootFolderName, desktop);
        if (list && IsUsableRoot(malloc, list.get())) return list;
    }
    LPITEMIDLIST special = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(Handle(), RootFolderCSIDL[FRootFolder], &special)))
        return nullptr;
    return UniqueItemIDList(special);
}

bool TFolderTreeViewEx::IsUsableRoot(IMalloc* malloc, LPCITEMIDLIST list) {
    ComPtr<IShellFolder> desktop = FServices.Desktop();
    if (!desktop) return false;
    // The item is the list's last entry, or the one whose bind failed.
    ShellLevel level = WalkShellLevels(desktop.Get(), list);
    UniqueItemIDList last = std::move(level.item);
    if (list && !list->mkid.cb) last = CopyItemID(list); // the desktop: its own empty list
    AllocatorItemIDList copy(last.release(), {malloc});  // freed through the caller's allocator
    return copy && HasShowableContent(level.folder.Get(), copy.get());
}

bool TFolderTreeViewEx::HasShowableContent(IShellFolder* folder, LPCITEMIDLIST item) {
    ULONG attributes = SFGAO_HASSUBFOLDER | SFGAO_FOLDER;
    folder->GetAttributesOf(1, &item, &attributes);
    if (attributes & SFGAO_HASSUBFOLDER) return true;
    if (FShowRootFolder && (attributes & SFGAO_FOLDER)) return true;
    return FShowFile && HasShowableFiles(folder, item);
}
