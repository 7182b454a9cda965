#include "tests/support/FakeDataObject.h"

#include <shlobj.h>

#include <cstring>

FakeDataObject::~FakeDataObject() {
    for (HGLOBAL memory : memory_)
        GlobalFree(memory);
}

HRESULT FakeDataObject::QueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeDataObject::QueryGetData(FORMATETC* format) {
    return offersHDrop_ && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL)
               ? S_OK
               : DV_E_FORMATETC;
}

HRESULT FakeDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    ++getDataCalls_;
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    // DROPFILES, then each path with its terminator, then one more.
    std::wstring list;
    for (const std::wstring& path : paths_)
        list += path + L'\0';
    list += L'\0';
    if (paths_.empty()) list += L'\0'; // no name at all, then the end
    const SIZE_T bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!memory) return E_OUTOFMEMORY;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    memory_.push_back(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = &medium_;
    medium_.AddRef();
    return S_OK;
}
