// Item identifier lists: stepping, measuring, copying and joining them, and
// their allocation through the shell allocator. Every list these functions
// return is owned by the caller through UniqueItemIDList.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <memory>

// The shell task allocator (SHGetMalloc); tests put a counting one in its place.
Microsoft::WRL::ComPtr<IMalloc> ShellMalloc();
void SetShellMallocForTesting(IMalloc* malloc); // null: the shell's own again

// Frees a list through the shell allocator.
struct ItemIDListDeleter {
    void operator()(ITEMIDLIST* list) const;
};
using UniqueItemIDList = std::unique_ptr<ITEMIDLIST, ItemIDListDeleter>;

// Frees a list through an allocator a caller handed in (the shell
// allocator when none was given).
struct ItemIDListAllocatorDeleter {
    Microsoft::WRL::ComPtr<IMalloc> malloc;
    void operator()(ITEMIDLIST* list) const {
        if (malloc)
            malloc->Free(list);
        else
            ItemIDListDeleter()(list);
    }
};
using AllocatorItemIDList = std::unique_ptr<ITEMIDLIST, ItemIDListAllocatorDeleter>;

// Attribute word requested for every item the tree shows.
constexpr ULONG ItemAttributeMask = SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FOLDER |
                                    SFGAO_FILESYSANCESTOR | SFGAO_REMOVABLE | SFGAO_HIDDEN |
                                    SFGAO_SHARE | SFGAO_LINK;
static_assert(ItemAttributeMask == 0xF20B0000, "the shell's attribute bits");

// The entry that follows `entry`: its address plus its byte count; no checks.
LPCITEMIDLIST StepItemID(LPCITEMIDLIST entry);
// The following entry, or null when `entry` is the terminator or is followed by it.
LPCITEMIDLIST NextItemID(LPCITEMIDLIST entry);
// Entries before the terminator; 0 for null.
int CountItemIDs(LPCITEMIDLIST list);
// Bytes including the 2-byte terminator; 0 for null.
UINT GetItemIDListSize(LPCITEMIDLIST list);
// A zero-filled block from the shell allocator, or null.
UniqueItemIDList AllocItemIDList(UINT size);
// A new one-entry list of the first entry of `list`; null for null.
UniqueItemIDList CopyItemID(LPCITEMIDLIST list);
// A new list: the parent's entries, then the child's, one terminator. With
// no parent (or an empty one), a copy of the child; with no child, a copy of
// the parent.
UniqueItemIDList ConcatItemIDLists(LPCITEMIDLIST parent, LPCITEMIDLIST child);
