#include "folder_tree/DropTarget.h"

#include "folder_tree/AboutProperty.h"
#include "folder_tree/FTVEX_D3.h"
#include "folder_tree/ShellNames.h"
#include "folder_tree/TreeItemData.h"
#include "gui/Owners.h"

#include <commctrl.h>

using Microsoft::WRL::ComPtr;

namespace {

FORMATETC HDropFormat() {
    return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// The one path a CF_HDROP medium holds, exactly as dropped (the list is
// UTF-16); false for none, for more than one, and for a path that would not
// fit the shell's MAX_PATH buffers.
bool SingleDroppedPath(STGMEDIUM& medium, std::wstring& path) {
    auto drop = static_cast<HDROP>(medium.hGlobal);
    if (!drop || DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) != 1) return false;
    // Wine counts an empty list as one empty name.
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length == 0) return false;
    std::wstring wide(length + 1, L'\0');
    if (DragQueryFileW(drop, 0, wide.data(), length + 1) != length) return false;
    wide.resize(length);
    if (wide.size() >= MAX_PATH + 1) return false;
    path = std::move(wide);
    return true;
}

DWORD MoveOrCopy(DWORD keys) {
    return (keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

constexpr char kSpecialFolderText[] = "This Folder is SpecialFolder \r   Can not Copy or Paste!";

} // namespace

HRESULT TDropTargetObject::DragEnter(IDataObject* data, DWORD keys, POINTL, DWORD* effect) {
    FHoverStart = 0;
    FHoverReset = -1;
    *effect = DROPEFFECT_NONE;
    FAcceptable = false;
    if (!FTreeView.DragAndDrop()) return S_OK;
    FDataObject.Reset();
    FTreeView.FDropNode = nullptr;
    // A drag that comes back straight into an edge band starts its scroll anew.
    FVScrollCode = FHScrollCode = kNoScroll;
    FScrollStart = 0;
    FLastZone = 0;
    if (!data) return S_OK;
    FORMATETC format = HDropFormat();
    UniqueStgMedium medium;
    if (SUCCEEDED(data->GetData(&format, medium.put()))) {
        std::wstring path;
        FAcceptable = SingleDroppedPath(medium.get(), path) && IsShellPath(path);
    }
    if (FAcceptable) {
        *effect = MoveOrCopy(keys);
        FDataObject = data;
        BringWindowToTop(FTreeView.Handle());
    }
    return S_OK;
}

void TDropTargetObject::Hover(POINT p) {
    if (p.x == FLastPoint.x && p.y == FLastPoint.y) {
        if (FHoverReset != 0) {
            FHoverStart = FServices.Tick();
            FHoverReset = 0;
        }
    } else {
        FHoverStart = 0;
        FHoverReset = -1;
    }
    FLastPoint = p;
    if (FHoverStart != 0 && DWORD(FServices.Tick() - FHoverStart) > kHoverExpandMs) {
        TTreeNode* node = FTreeView.GetNodeAt(p.x, p.y);
        if (node && node->HasChildren() && !IsRemovableDriveNode(node)) node->Expand(false);
    }
}

void TDropTargetObject::TrackEdges(DWORD zone) {
    const DWORD prev = FLastZone;
    FLastZone = zone;
    if (zone == 0) {
        ClearDropHighlight();
        FVScrollCode = FHScrollCode = kNoScroll;
    }
    const DWORD horizontal = DropZone::Left | DropZone::Right;
    const DWORD vertical = DropZone::Top | DropZone::Bottom;
    if ((prev & horizontal) & ~zone) FHScrollCode = kNoScroll;
    if ((zone & horizontal) & ~prev) {
        FScrollStart = FServices.Tick();
        FHScrollCode = (zone & DropZone::Left) ? SB_LINELEFT : SB_LINERIGHT;
    }
    if ((prev & vertical) & ~zone) FVScrollCode = kNoScroll;
    if ((zone & vertical) & ~prev) {
        FScrollStart = FServices.Tick();
        FVScrollCode = (zone & DropZone::Top) ? SB_LINEUP : SB_LINEDOWN;
    }
    if (FHScrollCode == kNoScroll && FVScrollCode == kNoScroll) FScrollStart = 0;
}

HRESULT TDropTargetObject::DragOver(DWORD keys, POINTL point, DWORD* effect) {
    *effect = DROPEFFECT_NONE;
    if (!FTreeView.DragAndDrop()) return S_OK;
    POINT p{point.x, point.y};
    ScreenToClient(FTreeView.Handle(), &p);
    Hover(p);
    const DWORD zone = UpdateDropNode(p);
    *effect = zone == 0 ? DROPEFFECT_NONE : MoveOrCopy(keys);
    TrackEdges(zone);
    if (zone & DropZone::Edges) *effect |= DROPEFFECT_SCROLL;
    if (FScrollStart != 0 && DWORD(FServices.Tick() - FScrollStart) > kScrollDelayMs) {
        if (FHScrollCode != kNoScroll)
            SendMessageW(FTreeView.Handle(), WM_HSCROLL, WPARAM(FHScrollCode), 0);
        if (FVScrollCode != kNoScroll)
            SendMessageW(FTreeView.Handle(), WM_VSCROLL, WPARAM(FVScrollCode), 0);
        FServices.Pause(kScrollPauseMs);
    }
    return S_OK;
}

DWORD TDropTargetObject::UpdateDropNode(POINT p) {
    RECT client{};
    GetClientRect(FTreeView.Handle(), &client);
    TTreeNode* node = FTreeView.GetNodeAt(p.x, p.y);
    if (!node) return 0;
    FTreeView.FDropNode = node;
    TreeView_SelectDropTarget(FTreeView.Handle(), node->ItemId());
    DWORD zone = DropZone::Node;
    if (p.x <= client.left + DropZone::Near)
        zone |= DropZone::Left;
    else if (p.x >= client.right - DropZone::Near)
        zone |= DropZone::Right;
    if (p.y <= client.top + DropZone::Near)
        zone |= DropZone::Top;
    else if (p.y >= client.bottom - DropZone::Near)
        zone |= DropZone::Bottom;
    return zone;
}

void TDropTargetObject::ClearDropHighlight() {
    TTreeNode* node = FTreeView.FDropNode;
    if (!node) return;
    TreeView_SelectDropTarget(FTreeView.Handle(), nullptr);
    // Wine keeps the mark on the item when the drop target is set to none.
    TreeView_SetItemState(FTreeView.Handle(), node->ItemId(), 0, TVIS_DROPHILITED);
}

bool TDropTargetObject::IsRemovableDriveNode(TTreeNode* node) {
    TTVITEMDATA* data = NodeData(node);
    std::string name;
    return data && data->AbsoluteID && CountItemIDs(data->AbsoluteID.get()) == 2 &&
           GetItemDisplayName(data->ParentFolder.Get(), data->RelativeID.get(), SHGDN_FORPARSING,
                              name) &&
           FServices.DriveType(name.c_str()) == DRIVE_REMOVABLE;
}

HRESULT TDropTargetObject::DragLeave() {
    ClearDropHighlight();
    return S_OK;
}

HRESULT TDropTargetObject::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    *effect = DROPEFFECT_NONE;
    if (!FTreeView.DragAndDrop()) return E_FAIL;
    POINT p{point.x, point.y};
    ScreenToClient(FTreeView.Handle(), &p);
    ComPtr<IMalloc> malloc = FServices.Malloc();
    TTreeNode* node = FTreeView.GetNodeAt(p.x, p.y);
    if (!malloc || !FDataObject || !data || !node) {
        ClearDropHighlight();
        return E_FAIL;
    }
    FORMATETC format = HDropFormat();
    UniqueStgMedium medium;
    if (FAILED(FDataObject->GetData(&format, medium.put()))) return E_FAIL;
    std::wstring path;
    if (!SingleDroppedPath(medium.get(), path)) return E_FAIL;
    TTVITEMDATA* target = NodeData(node);
    if (!target) return E_FAIL;
    const HWND wnd = FTreeView.Handle();
    if (!IsParsableItem(malloc.Get(), target->ParentFolder.Get(), target->RelativeID.get())) {
        FServices.ShowMessage(wnd, kSpecialFolderText, kFolderTreeCaption,
                              MB_OK | MB_ICONINFORMATION);
        return E_FAIL;
    }
    const bool folder = (target->Attributes & SFGAO_FOLDER) != 0;
    const TShellVerb verb = folder && !(keys & MK_CONTROL) ? svCut : svCopy;
    // Held here: the verbs may handle messages that rebuild the tree and free
    // the node's record.
    const ComPtr<IShellFolder> parent = target->ParentFolder;
    const UniqueItemIDList item = CopyItemID(target->RelativeID.get());
    if (!item || !FServices.PathVerb(wnd, path, verb)) return E_FAIL;
    const bool pasted = FServices.ItemVerb(wnd, parent.Get(), item.get(), svPaste);
    if (FTreeView.AutoUpDate() && folder) FTreeView.RefreshTree();
    return pasted ? kDropPasted : E_FAIL;
}

ComPtr<IDropTarget> RegisterTreeDropTarget(TFolderTreeViewEx& tree, TTreeServices& services) {
    ComPtr<IDropTarget> target = MakeUnknownObject<TDropTargetObject>(tree, services);
    CoLockObjectExternal(target.Get(), TRUE, FALSE);
    RegisterDragDrop(tree.Handle(), target.Get());
    return target;
}

void RevokeTreeDropTarget(HWND window, const ComPtr<IDropTarget>& target) {
    if (!target) return;
    RevokeDragDrop(window);
    CoLockObjectExternal(target.Get(), FALSE, TRUE);
}
