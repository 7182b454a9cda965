// TMainForm: the program's main window with its tool bar, instruction strip,
// folder tree and status line, and the read-only clearing walk.
#pragma once

#include "app/FileSystem.h"
#include "app/FolderQueue.h"
#include "app/WalkFailures.h"
#include "folder_tree/FTVEX_D3.h"
#include "gui/Form.h"
#include "gui/ImageList.h"
#include "gui/Label.h"
#include "gui/Panel.h"
#include "gui/StatusBar.h"
#include "gui/ToolBar.h"

#include <cstdint>

class TMainForm;

// The stored layout: every part of the window with the values that differ
// from the framework's defaults, and the handlers bound to its events.
struct TMainFormLayout {
    using Handler = void (TMainForm::*)(TObject*);
    struct Button {
        TToolButtonProps props;
        Handler onClick = nullptr;
    };

    TFormProps form;
    Handler onCreate;
    TImageListProps ImageList1;
    TPanelProps Panel1;
    TLabelProps Label1;
    TStatusBarProps StatusBar1;
    TToolBarProps ToolBar1;
    Button btnDrive, btnDeskTop, ToolButton2, btnStart, btnStop, btnQuit, btnAbout;
    TFolderTreeViewExProps FTV;
    void (TMainForm::*onFTVChange)(TObject*, const std::wstring&); // the tree's OnChangeW
};

extern const TMainFormLayout kMainFormLayout;

class TMainForm : public TForm {
  public:
    explicit TMainForm(TComponent* owner, const TMainFormLayout& layout = kMainFormLayout);

    // Parts, in creation order.
    TImageList ImageList1;
    TWindowed<TPanel> Panel1;
    TLabel Label1;
    TWindowed<TStatusBar> StatusBar1;
    TWindowed<TToolBar> ToolBar1;
    TToolButton btnDrive;
    TToolButton btnDeskTop;
    TToolButton ToolButton2;
    TToolButton btnStart;
    TToolButton btnStop;
    TToolButton btnQuit;
    TToolButton btnAbout;
    TWindowed<TFolderTreeViewEx> FTV;

    void FormCreate(TObject* sender);
    void Msg(const std::wstring& text);
    void FTVChange(TObject* sender, const std::wstring& folderName);
    void btnDriveClick(TObject* sender);
    void btnDeskTopClick(TObject* sender);
    void btnStartClick(TObject* sender);
    void btnStopClick(TObject* sender);
    void btnQuitClick(TObject* sender);
    void btnAboutClick(TObject* sender);
    void GetDirectory();

    bool Running() const { return FRunning; }
    bool Walking() const { return FWalking; }
    std::int32_t ClearCount() const { return FClearCount; }
    bool FirstChange() const { return FFirstChange; }

    // The file system the walk uses; tests stand in for it.
    void SetFileSystem(TFileSystem& fileSystem) { FFileSystem = &fileSystem; }

  protected:
    bool CloseQuery() override;

  private:
    int MinClientWidth() const;
    int MinClientHeight() const;
    void ScanFolder(std::wstring folder, TFolderQueue& queue);
    // NO_ERROR, or the system's reason why the start folder cannot be walked.
    DWORD ResolveWalkRoot(const std::wstring& start);
    void ClearReadOnly(const std::wstring& path, DWORD attributes);
    void SetIdleButtons();
    void EndWalk();
    void PaintDuringScan(DWORD& lastPaint, TRedirectionOff& redirection);

    bool FRunning = false;
    bool FFirstChange = false;
    std::int32_t FClearCount = 0;
    bool FWalking = false;       // a walk is on the stack, stopping or not
    bool FCloseDeferred = false; // closing waits for the walk to end
    TFileSystem* FFileSystem = &Kernel32FileSystem();
    std::wstring FWalkRoot;       // the start folder's final path during a walk
    DWORD FFinalPathForm = 0;     // the form FWalkRoot and every entry's are in
    TWalkFailures FFailures;      // what the last walk could not do
    std::size_t FStartLength = 0; // the start folder's path with its separator
    std::wstring FFinalPath;      // an entry's final path, kept to reuse its buffer
};
