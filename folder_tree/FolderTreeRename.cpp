// In-place renaming: the tree starts a label edit for the shell's rename
// command and ends it by renaming the item through its shell folder.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/ShellFolders.h"
#include "folder_tree/ShellNames.h"
#include "folder_tree/TreeItemData.h"

using Microsoft::WRL::ComPtr;

namespace {

// What SetNameOf is asked to name the item as: an undocumented value, no
// combination of the SHGDN flags, kept as the rename has always passed it.
constexpr SHGDNF kRenameFlags = 0x0060;

} // namespace

void TFolderTreeViewEx::StartLabelEdit(TTreeNode* node) {
    if (!node || !Handle()) return;
    // A click on a label must start no edit, so the style is only lent for
    // this one (Wine's tree view edits nothing without it).
    const LONG style = GetWindowLongW(Handle(), GWL_STYLE);
    if (!(style & TVS_EDITLABELS)) {
        SetWindowLongW(Handle(), GWL_STYLE, style | TVS_EDITLABELS);
        FLentEditStyle = true;
    }
    if (!SendMessageW(Handle(), TVM_EDITLABELW, 0, LPARAM(node->ItemId()))) EndLabelEditStyle();
}

void TFolderTreeViewEx::EndLabelEditStyle() {
    if (!std::exchange(FLentEditStyle, false) || !Handle()) return;
    SetWindowLongW(Handle(), GWL_STYLE,
                   GetWindowLongW(Handle(), GWL_STYLE) & ~LONG(TVS_EDITLABELS));
}

void TFolderTreeViewEx::LabelEdited(TVITEMW& item) {
    if (!FAutoUpDate) return;
    TTreeNode* node = Selected();
    const std::wstring shown = node ? node->Text() : std::wstring();
    TCustomTreeView::LabelEdited(item);
    // Where the shell did not rename the item, its label shows its name again.
    auto keepName = [&] {
        if (node && item.pszText) node->SetText(shown);
    };
    if (FVirtualRoot || (node && FRootFolder == rfDrives && node->Level() == 0)) return keepName();
    ComPtr<IMalloc> malloc = FServices.Malloc();
    TTVITEMDATA* data = NodeData(node);
    if (!malloc || !data || !item.pszText) return keepName();
    if (!IsParsableItem(malloc.Get(), data->ParentFolder.Get(), data->RelativeID.get())) {
        RefreshTree();
        return;
    }
    if (!CanRenameItem(data->ParentFolder.Get(), data->RelativeID.get())) return keepName();
    const std::wstring name = item.pszText;
    // Held across the rename, which may handle messages that rebuild the tree
    // and free the node and its record: the node is touched again only if no
    // node went meanwhile.
    const ComPtr<IShellFolder> folder = data->ParentFolder;
    const UniqueItemIDList child = CopyItemID(data->RelativeID.get());
    if (!child) return keepName();
    const unsigned generation = FGeneration;
    PITEMID_CHILD renamed = nullptr;
    const HRESULT status =
        folder->SetNameOf(Handle(), child.get(), name.c_str(), kRenameFlags, &renamed);
    const AllocatorItemIDList unused(renamed, {malloc}); // the refresh reads the item anew
    if (FGeneration != generation) return;
    if (FAILED(status)) return keepName();
    RefreshTree();
}
