// The tree window's OLE drop target: registered when the window is made and
// revoked when it goes. It accepts no drop yet.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

class TDropTargetObject final : public IDropTarget {
  public:
    TDropTargetObject() = default;
    TDropTargetObject(const TDropTargetObject&) = delete;
    TDropTargetObject& operator=(const TDropTargetObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD* effect) override;

  private:
    ~TDropTargetObject() = default;
    LONG refs_ = 1;
};

// Registers a new drop target for `window`, held locked while registered.
Microsoft::WRL::ComPtr<IDropTarget> RegisterTreeDropTarget(HWND window);
// Revokes and unlocks it; `target` is released.
void RevokeTreeDropTarget(HWND window, Microsoft::WRL::ComPtr<IDropTarget>& target);
