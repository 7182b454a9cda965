// The drag source of a node dragged out of the folder tree. A drop into a
// window of another process is preceded by a refresh of the tree, after a
// pause that lets the other side settle.
#pragma once

#include <windows.h>
#include <ole2.h>

class TFolderTreeViewEx;

class TDropSourceObject final : public IDropSource {
  public:
    explicit TDropSourceObject(TFolderTreeViewEx& tree) : FTreeView(tree) {}
    TDropSourceObject(const TDropSourceObject&) = delete;
    TDropSourceObject& operator=(const TDropSourceObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keys) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

  private:
    ~TDropSourceObject() = default;
    LONG refs_ = 1;
    TFolderTreeViewEx& FTreeView;
};

// The window under the cursor belongs to another process.
bool CursorOverOtherProcess();
