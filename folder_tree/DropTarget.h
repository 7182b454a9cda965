// The tree window's OLE drop target: one path dropped on a node is cut (or
// copied) through the shell and pasted on the node's item. It highlights
// the node under the cursor, opens a collapsed node the cursor rests on and
// scrolls while the cursor rests at an edge.
#pragma once

#include "folder_tree/TreeServices.h"
#include "folder_tree/UnknownObject.h"

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

class TFolderTreeViewEx;
class TTreeNode;

// Zone bits of a client point: on a node, then near which edges.
namespace DropZone {
inline constexpr DWORD Node = 0x01;
inline constexpr DWORD Left = 0x02;
inline constexpr DWORD Right = 0x04;
inline constexpr DWORD Top = 0x08;
inline constexpr DWORD Bottom = 0x10;
inline constexpr DWORD Edges = 0x1E;
inline constexpr int Near = 11; // pixels
} // namespace DropZone

inline constexpr int kNoScroll = 0xFFFF;
inline constexpr DWORD kHoverExpandMs = 1500;
inline constexpr DWORD kScrollDelayMs = 50;
inline constexpr DWORD kScrollPauseMs = 200;
// The result of a drop on this tree that was pasted: the tree refreshed
// itself, so a drag out of it that ends here has nothing left to refresh.
inline constexpr HRESULT kDropPasted = 0x00100000;

class TDropTargetObject final : public TUnknownObject<IDropTarget> {
  public:
    // The clock, the drive types, the verbs and the message box are the tree's.
    TDropTargetObject(TFolderTreeViewEx& tree, TTreeServices& services)
        : FTreeView(tree), FServices(services) {}
    TDropTargetObject(const TDropTargetObject&) = delete;
    TDropTargetObject& operator=(const TDropTargetObject&) = delete;

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                   DWORD* effect) override;

    DWORD UpdateDropNode(POINT point);
    void ClearDropHighlight();
    bool IsRemovableDriveNode(TTreeNode* node);

  private:
    friend class TFolderTreeTestAccess;
    ~TDropTargetObject() override = default;
    void Hover(POINT point);
    void TrackEdges(DWORD zone);

    POINT FLastPoint{};
    bool FAcceptable = false;
    int FHoverReset = -1;
    Microsoft::WRL::ComPtr<IDataObject> FDataObject;
    TFolderTreeViewEx& FTreeView;
    TTreeServices& FServices;
    int FVScrollCode = kNoScroll;
    int FHScrollCode = kNoScroll;
    DWORD FLastZone = 0;
    DWORD FHoverStart = 0;
    DWORD FScrollStart = 0;
};

// Registers a new drop target for the tree's window, held locked while
// registered; it consults the tree's DragAndDrop itself.
Microsoft::WRL::ComPtr<IDropTarget> RegisterTreeDropTarget(TFolderTreeViewEx& tree,
                                                           TTreeServices& services);
// Revokes and unlocks it; `target` keeps its reference.
void RevokeTreeDropTarget(HWND window, const Microsoft::WRL::ComPtr<IDropTarget>& target);
