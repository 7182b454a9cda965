// A data object for drop tests: CF_HDROP in the shell's wide form holding
// the given paths, or no CF_HDROP at all. Like the other fakes it belongs to
// the test (CountedObject); every medium it handed out can be checked too.
#pragma once

#include "tests/support/CountedObject.h"

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

class FakeDataObject : public CountedObject<IDataObject> {
  public:
    FakeDataObject(std::vector<std::wstring> paths, bool offersHDrop = true)
        : paths_(std::move(paths)), offersHDrop_(offersHDrop) {}
    ~FakeDataObject();
    FakeDataObject(const FakeDataObject&) = delete;
    FakeDataObject& operator=(const FakeDataObject&) = delete;

    int GetDataCalls() const { return getDataCalls_; }
    // Media handed out and not yet given back with ReleaseStgMedium.
    LONG MediaHeld() const { return medium_.References(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }

  private:
    // Stands in a handed-out medium's pUnkForRelease: ReleaseStgMedium then
    // releases it instead of freeing the memory, which the fake frees itself.
    struct MediumOwner : CountedObject<IUnknown> {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
            *object = nullptr;
            return E_NOINTERFACE;
        }
    };

    std::vector<std::wstring> paths_;
    bool offersHDrop_;
    int getDataCalls_ = 0;
    MediumOwner medium_;
    std::vector<HGLOBAL> memory_;
};
