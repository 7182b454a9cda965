#include "folder_tree/ItemIdList.h"

#include <cstring>

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<IMalloc>& TestMalloc() {
    static ComPtr<IMalloc> malloc;
    return malloc;
}

const BYTE* Bytes(LPCITEMIDLIST list) {
    return reinterpret_cast<const BYTE*>(list);
}

} // namespace

ComPtr<IMalloc> ShellMalloc() {
    if (TestMalloc()) return TestMalloc();
    ComPtr<IMalloc> malloc;
    if (FAILED(SHGetMalloc(&malloc))) return nullptr;
    return malloc;
}

void SetShellMallocForTesting(IMalloc* malloc) {
    TestMalloc() = malloc;
}

void ItemIDListDeleter::operator()(ITEMIDLIST* list) const {
    if (!list) return;
    if (ComPtr<IMalloc> malloc = ShellMalloc())
        malloc->Free(list);
    else
        CoTaskMemFree(list);
}

LPCITEMIDLIST StepItemID(LPCITEMIDLIST entry) {
    return reinterpret_cast<LPCITEMIDLIST>(Bytes(entry) + entry->mkid.cb);
}

LPCITEMIDLIST NextItemID(LPCITEMIDLIST entry) {
    if (!entry || entry->mkid.cb == 0) return nullptr;
    LPCITEMIDLIST next = StepItemID(entry);
    return next->mkid.cb == 0 ? nullptr : next;
}

int CountItemIDs(LPCITEMIDLIST list) {
    int count = 0;
    for (; list && list->mkid.cb != 0; list = StepItemID(list))
        ++count;
    return count;
}

UINT GetItemIDListSize(LPCITEMIDLIST list) {
    if (!list) return 0;
    UINT size = 2; // the terminator
    for (; list->mkid.cb != 0; list = StepItemID(list))
        size += list->mkid.cb;
    return size;
}

UniqueItemIDList AllocItemIDList(UINT size) {
    ComPtr<IMalloc> malloc = ShellMalloc();
    if (!malloc) return nullptr;
    void* block = malloc->Alloc(size);
    if (!block) return nullptr;
    std::memset(block, 0, size);
    return UniqueItemIDList(static_cast<ITEMIDLIST*>(block));
}

UniqueItemIDList CopyItemID(LPCITEMIDLIST list) {
    if (!list) return nullptr;
    UINT cb = list->mkid.cb;
    UniqueItemIDList copy = AllocItemIDList(cb + 2); // zero-filled: the terminator is there
    if (copy) std::memcpy(copy.get(), list, cb);
    return copy;
}

UniqueItemIDList ConcatItemIDLists(LPCITEMIDLIST parent, LPCITEMIDLIST child) {
    if (!child) {
        if (!parent) return nullptr;
        UINT size = GetItemIDListSize(parent);
        UniqueItemIDList copy = AllocItemIDList(size);
        if (copy) std::memcpy(copy.get(), parent, size);
        return copy;
    }
    UINT a = parent ? GetItemIDListSize(parent) - 2 : 0; // the parent's terminator is dropped
    UINT b = GetItemIDListSize(child);
    UniqueItemIDList joined = AllocItemIDList(a + b);
    if (!joined) return nullptr;
    BYTE* out = reinterpret_cast<BYTE*>(joined.get());
    if (a) std::memcpy(out, parent, a);
    std::memcpy(out + a, child, b);
    return joined;
}
