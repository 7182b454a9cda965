#include "folder_tree/FTVEX_D3.h"

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

template <class T> bool Assign(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

} // namespace

TFolderTreeViewEx::TFolderTreeViewEx(TComponent* owner, TWinControl* parent,
                                     const TFolderTreeViewExProps& p)
    : TCustomTreeView(owner, parent, p.tree), FAutoUpDate(p.autoUpDate),
      FContextMenu(p.contextMenu), FDragAndDrop(p.dragAndDrop), FFileMask(p.fileMask),
      FInfoViewSort(p.infoViewSort), FSelectedDir(p.selectedDir), FShellRun(p.shellRun),
      FShowFile(p.showFile), FShowRootFolder(p.showRootFolder),
      FShowIncludeHidden(p.showIncludeHidden), FRootFolder(p.rootFolder),
      FRootFolderName(p.rootFolderName) {}

TFolderTreeViewEx::~TFolderTreeViewEx() {
    DestroyHandle();
}

void TFolderTreeViewEx::SetFileMask(const std::vector<std::string>& value) {
    FFileMask = value;
}
void TFolderTreeViewEx::SetInfoViewSort(bool value) {
    Assign(FInfoViewSort, value);
}
void TFolderTreeViewEx::SetSelectedDir(TSelectedDir value) {
    Assign(FSelectedDir, value);
}
void TFolderTreeViewEx::SetShowFile(bool value) {
    Assign(FShowFile, value);
}
void TFolderTreeViewEx::SetShowRootFolder(bool value) {
    Assign(FShowRootFolder, value);
}
void TFolderTreeViewEx::SetShowIncludeHidden(bool value) {
    Assign(FShowIncludeHidden, value);
}
void TFolderTreeViewEx::SetRootFolder(TRootFolder value) {
    Assign(FRootFolder, value);
}
void TFolderTreeViewEx::SetRootFolderName(const std::string& value) {
    Assign(FRootFolderName, value);
}
