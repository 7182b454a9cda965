// A data object for drop tests: CF_HDROP in the shell's wide form holding
// the given paths, or no CF_HDROP at all. Like the other fakes it belongs to
// the test and never deletes itself; its references and every medium it
// handed out can be checked after the code under test has let go.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

class FakeDataObject : public IDataObject {
  public:
    FakeDataObject(std::vector<std::wstring> paths, bool offersHDrop = true)
        : paths_(std::move(paths)), offersHDrop_(offersHDrop) {}
    ~FakeDataObject();
    FakeDataObject(const FakeDataObject&) = delete;
    FakeDataObject& operator=(const FakeDataObject&) = delete;

    LONG References() const { return references_; }
    int GetDataCalls() const { return getDataCalls_; }
    // Media handed out and not yet given back with ReleaseStgMedium.
    LONG MediaHeld() const { return medium_.held; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++references_); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(--references_); }
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
    struct MediumOwner : IUnknown {
        LONG held = 0;
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++held); }
        ULONG STDMETHODCALLTYPE Release() override { return ULONG(--held); }
    };

    std::vector<std::wstring> paths_;
    bool offersHDrop_;
    LONG references_ = 0;
    int getDataCalls_ = 0;
    MediumOwner medium_;
    std::vector<HGLOBAL> memory_;
};
