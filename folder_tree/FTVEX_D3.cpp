// The folder tree's frame: construction, window creation and destruction,
// the tree view's notifications, property setters and the rebuild bracket.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/DropTarget.h"
#include "folder_tree/FolderTreeWatch.h"
#include "folder_tree/PendingListing.h"

#include <ole2.h>

namespace {

// The shell calls and OLE drag and drop need a single-threaded apartment on
// the GUI thread for the whole life of the process: initialised before any
// window or application object exists, released after everything else.
struct TOleModule {
    TOleModule() { OleInitialize(nullptr); }
    ~TOleModule() { OleUninitialize(); }
};
const TOleModule oleModule;

bool IsVirtualRootFolder(TRootFolder value) {
    return value >= rf_Controls;
}

} // namespace

TFolderTreeViewEx::TFolderTreeViewEx(TComponent* owner, TWinControl* parent,
                                     const TFolderTreeViewExProps& p, TTreeServices& services)
    : TCustomTreeView(owner, parent, p.tree), FAutoUpDate(p.autoUpDate),
      FDragAndDrop(p.dragAndDrop), FContextMenu(p.contextMenu), FInfoViewSort(p.infoViewSort),
      FRootFolderName(WideText(p.rootFolderName)), FRootFolder(p.rootFolder),
      FSelectedDir(p.selectedDir), FShellRun(p.shellRun), FShowFile(p.showFile),
      FShowRootFolder(p.showRootFolder), FShowIncludeHidden(p.showIncludeHidden),
      FFileMask(p.fileMask), FServices(services) {
    if (IsVirtualRootFolder(FRootFolder)) {
        FVirtualRoot = true;
        FShowRootFolder = true;
    }
}

void TFolderTreeViewEx::CreateParams(TCreateParams& params) {
    TCustomTreeView::CreateParams(params);
    params.style &= ~DWORD(TVS_EDITLABELS); // captions are renamed through the shell only
}

void TFolderTreeViewEx::CreateWnd() {
    TCustomTreeView::CreateWnd();
    SHFILEINFOW info{};
    auto images = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (images) SetImages(images); // the system's list: shared, never destroyed here
    FDropTarget = RegisterTreeDropTarget(*this, FServices);
    Rebuild();
}

void TFolderTreeViewEx::DestroyWnd() {
    CancelListings(nullptr, true); // their threads end by themselves
    CancelIcons();
    StopWatches();
    Items().Clear();
    FDropNode = nullptr;
    RevokeTreeDropTarget(Handle(), FDropTarget);
    TCustomTreeView::DestroyWnd();
}

void TFolderTreeViewEx::AfterLayoutLoaded() {
    if (!Designing()) return;
    for (TTreeNode* n = Items().GetFirstNode(); n; n = n->GetNextSibling())
        n->Collapse(true);
    if (FShowRootFolder)
        if (TTreeNode* first = Items().GetFirstNode()) first->Expand(false);
}

// ---- notifications ----

// The tree view's notifications: a deleted node, a drag begun, an edit ended.

bool TFolderTreeViewEx::HandleNotify(NMHDR* header, LRESULT& result) {
    // Each node's record goes with its node; a reload counts deletions.
    WatchNotify(header); // a node opened, closed or gone
    if (header->code == TVN_DELETEITEMW) {
        ++FGeneration;
        const auto& old = reinterpret_cast<NMTREEVIEWW*>(header)->itemOld;
        if (FDropNode && FDropNode->ItemId() == old.hItem) FDropNode = nullptr;
        // A node's listing goes with it; a placeholder is forgotten.
        const auto* node = reinterpret_cast<const TTreeNode*>(old.lParam);
        ForgetIconOf(node);
        if (auto it = FListings.find(node); it != FListings.end()) {
            it->second->job->Cancel();
            FListings.erase(it);
        }
        for (auto& [n, p] : FListings)
            if (p->placeholder == node) p->placeholder = nullptr;
    }
    if (header->code == TVN_BEGINDRAGW && BeginDrag(*reinterpret_cast<NMTREEVIEWW*>(header))) {
        result = 0;
        return true;
    }
    const bool handled = TCustomTreeView::HandleNotify(header, result);
    // Taken back once the edit's end is handled: the change ends an edit.
    if (header->code == TVN_ENDLABELEDITW) EndLabelEditStyle();
    return handled;
}

// ---- setters ----

void TFolderTreeViewEx::ApplyRootFolder(TRootFolder value) {
    if (value == FRootFolder) return;
    FRootFolder = value;
    FVirtualRoot = IsVirtualRootFolder(value);
    if (FVirtualRoot) FShowRootFolder = true;
    Rebuild();
}

void TFolderTreeViewEx::ApplyFileMask(const std::vector<std::string>& value) {
    FFileMask = value;
    Rebuild(); // every assignment, even of the same list
}

void TFolderTreeViewEx::SetInfoViewSort(bool value) {
    if (value == FInfoViewSort) return;
    FInfoViewSort = value;
    if (!FVirtualRoot) Rebuild();
}

void TFolderTreeViewEx::SetSelectedDir(TSelectedDir value) {
    if (value == FSelectedDir) return;
    FSelectedDir = value;
    if (FRootFolder == rfDrives) Rebuild();
}

std::string TFolderTreeViewEx::RootFolderName() const {
    if (FRootFolderNameBytes) return *FRootFolderNameBytes;
    std::string ansi;
    return ExactAnsiText(FRootFolderName, ansi) ? ansi : std::string();
}

void TFolderTreeViewEx::SetRootFolderName(const std::string& value) {
    std::wstring wide;
    if (ExactWideText(value, wide)) return SetRootFolderNameW(wide);
    if (FRootFolderNameBytes == value) return;
    FRootFolderNameBytes = value;
    FRootFolderName.clear();
    if (FRootFolder == rfManual) Rebuild();
}

void TFolderTreeViewEx::SetRootFolderNameW(const std::wstring& value) {
    if (!FRootFolderNameBytes && value == FRootFolderName) return;
    FRootFolderNameBytes.reset();
    FRootFolderName = value;
    if (FRootFolder == rfManual) Rebuild();
}

void TFolderTreeViewEx::SetShowFile(bool value) {
    if (value == FShowFile) return;
    if (FVirtualRoot && !value) return; // files stay under a virtual root
    FShowFile = value;
    Rebuild();
}

void TFolderTreeViewEx::SetShowRootFolder(bool value) {
    if (value == FShowRootFolder) return;
    // A virtual root keeps its node, and so does a manual root showing files.
    if (!value && (FVirtualRoot || (FRootFolder == rfManual && FShowFile))) return;
    FShowRootFolder = value;
    Rebuild();
}

void TFolderTreeViewEx::SetShowIncludeHidden(bool value) {
    if (value == FShowIncludeHidden) return;
    FShowIncludeHidden = value;
    Rebuild();
}

// ---- rebuilding ----

void TFolderTreeViewEx::Rebuild() {
    TRebuildScope rebuild(*this);
    BuildTree();
}

TFolderTreeViewEx::TRebuildScope::TRebuildScope(TFolderTreeViewEx& tree) : tree_(tree) {
    tree_.FUpdating = true;
    tree_.HandleNeeded(); // a window made here builds its first tree in a scope of its own
    busy_.emplace(tree_.Handle());
}

TFolderTreeViewEx::TRebuildScope::~TRebuildScope() {
    busy_.reset();
    tree_.FUpdating = false;
    tree_.SyncWatches(); // nodes opened or closed during the rebuild
}

void TFolderTreeViewEx::BuildTree() {
    ++FRebuildCount;
    ++FGeneration;
    CancelListings(nullptr, true);
    if (FVirtualRoot)
        BuildVirtualRoot();
    else
        BuildFileSystemRoot();
}
