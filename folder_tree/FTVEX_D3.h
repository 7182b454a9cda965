// TFolderTreeViewEx: a tree view over the shell namespace. This header is
// its published face: the root and selection enumerations, the folder event
// and the properties with their defaults.
#pragma once

#include "gui/TreeView.h"

#include <cstdint>
#include <string>
#include <vector>

enum TRootFolder : std::uint8_t {
    rfManual,
    rfDrives,
    rfDesktop,
    rfFavorites,
    rfPrograms,
    rfRecent,
    rfSendTo,
    rfStartMenu,
    rfStartup,
    rfAppdata,
    rfTemplates,
    rf_Controls,
    rf_Bitbucket,
    rf_Printers,
};

enum TSelectedDir : std::uint8_t { sdNone, sdSystem, sdCurrent };

// A folder event: the control and a folder name.
using TFolderExEvent = std::function<void(TObject* sender, const std::string& folderName)>;

// Stored layout of the control: the published properties at their defaults.
struct TFolderTreeViewExProps {
    TTreeViewProps tree = {};
    bool autoUpDate = true;
    bool contextMenu = true;
    bool dragAndDrop = true;
    std::vector<std::string> fileMask = {};
    bool infoViewSort = false;
    TSelectedDir selectedDir = sdNone;
    bool shellRun = false;
    bool showFile = false;
    bool showRootFolder = true;
    bool showIncludeHidden = true;
    TRootFolder rootFolder = rfDrives;
    const char* rootFolderName = "";
};

class TFolderTreeViewEx : public TCustomTreeView {
  public:
    TFolderTreeViewEx(TComponent* owner, TWinControl* parent,
                      const TFolderTreeViewExProps& props = {});
    ~TFolderTreeViewEx() override;

    bool AutoUpDate() const { return FAutoUpDate; }
    void SetAutoUpDate(bool value) { FAutoUpDate = value; }
    bool ContextMenu() const { return FContextMenu; }
    void SetContextMenu(bool value) { FContextMenu = value; }
    bool DragAndDrop() const { return FDragAndDrop; }
    void SetDragAndDrop(bool value) { FDragAndDrop = value; }
    const std::vector<std::string>& FileMask() const { return FFileMask; }
    void SetFileMask(const std::vector<std::string>& value);
    bool InfoViewSort() const { return FInfoViewSort; }
    void SetInfoViewSort(bool value);
    TSelectedDir SelectedDir() const { return FSelectedDir; }
    void SetSelectedDir(TSelectedDir value);
    bool ShellRun() const { return FShellRun; }
    void SetShellRun(bool value) { FShellRun = value; }
    bool ShowFile() const { return FShowFile; }
    void SetShowFile(bool value);
    bool ShowRootFolder() const { return FShowRootFolder; }
    void SetShowRootFolder(bool value);
    bool ShowIncludeHidden() const { return FShowIncludeHidden; }
    void SetShowIncludeHidden(bool value);
    TRootFolder RootFolder() const { return FRootFolder; }
    void SetRootFolder(TRootFolder value);
    const std::string& RootFolderName() const { return FRootFolderName; }
    void SetRootFolderName(const std::string& value);

    // The folder events hide the tree view's node events of the same names.
    TFolderExEvent OnChange;
    TFolderExEvent OnClick;
    TFolderExEvent OnDblClick;

  private:
    bool FAutoUpDate;
    bool FContextMenu;
    bool FDragAndDrop;
    std::vector<std::string> FFileMask;
    bool FInfoViewSort;
    TSelectedDir FSelectedDir;
    bool FShellRun;
    bool FShowFile;
    bool FShowRootFolder;
    bool FShowIncludeHidden;
    TRootFolder FRootFolder;
    std::string FRootFolderName;
};
