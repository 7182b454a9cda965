// IUnknown for the control's own COM objects that answer to one interface:
// made with one reference held by the ComPtr MakeUnknownObject returns, and
// freed when the last reference is released.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>

#include <utility>

template <class Interface> class TUnknownObject : public Interface {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return ULONG(refs);
    }

  protected:
    TUnknownObject() = default;
    virtual ~TUnknownObject() = default;

  private:
    LONG refs_ = 1;
};

// A new object of type T, its one reference held by the result.
template <class T, class... Args> Microsoft::WRL::ComPtr<T> MakeUnknownObject(Args&&... args) {
    Microsoft::WRL::ComPtr<T> object;
    // Taken over through the pointer's slot: MinGW-w64's Attach adds a
    // reference of its own, so the object would never be freed.
    *object.GetAddressOf() = new T(std::forward<Args>(args)...);
    return object;
}
