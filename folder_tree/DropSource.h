// The drag source of a node dragged out of the folder tree. A drop into a
// window of another process is preceded by a refresh of the tree, after a
// pause that lets the other side settle.
#pragma once

#include "folder_tree/UnknownObject.h"

#include <windows.h>
#include <ole2.h>

class TFolderTreeViewEx;

class TDropSourceObject final : public TUnknownObject<IDropSource> {
  public:
    explicit TDropSourceObject(TFolderTreeViewEx& tree) : FTreeView(tree) {}
    TDropSourceObject(const TDropSourceObject&) = delete;
    TDropSourceObject& operator=(const TDropSourceObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keys) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

  private:
    ~TDropSourceObject() override = default;
    TFolderTreeViewEx& FTreeView;
};

// The window under the cursor belongs to another process.
bool CursorOverOtherProcess();
