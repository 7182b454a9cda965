// TFolderTreeViewEx: a tree view over the shell namespace. This header is
// its published face: the root and selection enumerations, the folder
// event, the stored layout with the published properties' defaults, the
// control's published properties and events, and the members introduced
// for descendants. The rest of the class is the control's own; tests read
// its state through FolderTreeTestAccess.h.
#pragma once

#include "folder_tree/AboutProperty.h"
#include "folder_tree/ContextMenu2.h"
#include "folder_tree/FolderListing.h"
#include "folder_tree/IconJob.h"
#include "folder_tree/ItemIdList.h"
#include "folder_tree/TreeServices.h"
#include "gui/AnsiText.h"
#include "gui/TreeView.h"

#include <shellapi.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
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

// A folder event: the control and a folder name. The ANSI form hands out a
// name that the code page writes exactly, or an empty one; the UTF-16 form
// hands out every name as it is.
using TFolderExEvent = std::function<void(TObject* sender, const std::string& folderName)>;
using TFolderExEventW = std::function<void(TObject* sender, const std::wstring& folderName)>;

// Stored layout of the control: the published properties at their defaults.
struct TFolderTreeViewExProps {
    TTreeViewProps tree = {.control = {.width = 153, .height = 185}};
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

struct TTVITEMDATA;
class TFolderWatches;
using TFolderRenames = std::vector<std::pair<std::wstring, std::wstring>>;

class TFolderTreeTestAccess;
class TDropTargetObject;

class TFolderTreeViewEx : public TCustomTreeView {
  public:
    // `services` must outlive the control.
    TFolderTreeViewEx(TComponent* owner, TWinControl* parent,
                      const TFolderTreeViewExProps& props = {},
                      TTreeServices& services = SystemTreeServices());
    ~TFolderTreeViewEx() override;

    // Design time only: never assigned in a running program.
    TAboutFolderTreeViewExProperty* About() const { return FAbout; }
    bool AutoUpDate() const { return FAutoUpDate; }
    void SetAutoUpDate(bool value); // off: nothing is watched
    bool ContextMenu() const { return FContextMenu; }
    void SetContextMenu(bool value) { FContextMenu = value; }
    bool DragAndDrop() const { return FDragAndDrop; }
    void SetDragAndDrop(bool value) { FDragAndDrop = value; }
    const std::vector<std::string>& FileMask() const { return FFileMask; }
    void SetFileMask(const std::vector<std::string>& value) { ApplyFileMask(value); }
    bool InfoViewSort() const { return FInfoViewSort; }
    void SetInfoViewSort(bool value);
    TSelectedDir SelectedDir() const { return FSelectedDir; }
    void SetSelectedDir(TSelectedDir value);
    bool ShellRun() const { return FShellRun; }
    void SetShellRun(bool value) { FShellRun = value; } // read on double-click only
    bool ShowFile() const { return FShowFile; }
    void SetShowFile(bool value);
    bool ShowRootFolder() const { return FShowRootFolder; }
    void SetShowRootFolder(bool value);
    bool ShowIncludeHidden() const { return FShowIncludeHidden; }
    void SetShowIncludeHidden(bool value);
    TRootFolder RootFolder() const { return FRootFolder; }
    void SetRootFolder(TRootFolder value) { ApplyRootFolder(value); }
    // The ANSI form is empty where the code page cannot write the name; bytes
    // that the code page does not read exactly read back as written, and
    // have no UTF-16 form (it is empty).
    std::string RootFolderName() const;
    void SetRootFolderName(const std::string& value);
    const std::wstring& RootFolderNameW() const { return FRootFolderName; }
    void SetRootFolderNameW(const std::wstring& value);

    // The selection changed, a click, a double click: each with the selected
    // node's folder name.
    TFolderExEvent OnChange;
    TFolderExEventW OnChangeW; // after OnChange, with the same folder
    TFolderExEvent OnClick;
    TFolderExEvent OnDblClick;

    // After the stored layout has been read: in a form designer, collapse
    // the tree and open the root one level.
    void AfterLayoutLoaded();

  protected:
    // Introduced for descendants.
    virtual void ApplyRootFolder(TRootFolder value);
    virtual void ApplyFileMask(const std::vector<std::string>& value);
    // Finds the node of a path, expanding every node on the way; optionally
    // makes it the top item and selects it.
    virtual bool LocatePath(const std::wstring& path, bool makeTop, bool select);
    bool LocatePath(const std::string& path, bool makeTop, bool select) {
        return LocatePath(WideText(path), makeTop, select);
    }
    // The selected node's folder name, or the last one handed out; the ANSI
    // form is empty where the code page cannot write it.
    virtual std::wstring GetSelectedFolderNameW();
    std::string GetSelectedFolderName();
    // Reloads the tree, keeping the expanded nodes, the selection and the
    // top item where their folders still exist.
    void RefreshTree();
    // Starts an in-place edit of a node's label, as the shell's rename
    // command does; the edit ends in a rename through the shell.
    void StartLabelEdit(TTreeNode* node);

    // The tree view's hooks.
    void CreateWnd() override;
    void DestroyWnd() override;
    void CreateParams(TCreateParams& params) override;
    bool HandleNotify(NMHDR* header, LRESULT& result) override;
    bool CanExpand(TTreeNode* node) override;
    int NodeImageIndex(TTreeNode* node, bool selected) override;
    void Change(TTreeNode* node) override; // the selection changed
    void Click() override;
    void DblClick() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // Renames the edited node's item through its shell folder.
    void LabelEdited(TVITEMW& item) override;

  private:
    friend class TFolderTreeTestAccess;
    friend class TDropTargetObject;

    // Labels change only through the shell's rename command: the tree view's
    // own read-only switch would let a click on a label start an edit.
    using TCustomTreeView::ReadOnly;
    using TCustomTreeView::SetReadOnly;

    // A rebuild under way: the window exists, the hourglass shows and the
    // tree does not redraw until it ends.
    class TRebuildScope {
      public:
        explicit TRebuildScope(TFolderTreeViewEx& tree);
        ~TRebuildScope();
        TRebuildScope(const TRebuildScope&) = delete;
        TRebuildScope& operator=(const TRebuildScope&) = delete;

      private:
        TFolderTreeViewEx& tree_;
        std::optional<BusyBracket> busy_;
    };
    // Refills the whole tree from the root within one rebuild.
    void Rebuild();
    void BuildTree();
    void BuildVirtualRoot();
    void BuildFileSystemRoot();
    // The desktop and the root's list, when the root can be named.
    bool PrepareBuild(Microsoft::WRL::ComPtr<IShellFolder>& desktop, UniqueItemIDList& root);
    TTreeNode* AddRootNode(LPCITEMIDLIST root, std::unique_ptr<TTVITEMDATA> record);
    // Collapses every top-level branch, then opens the first node one level.
    void CollapseToFirstNode(bool expandFirst);

    // The root's absolute list, or null; freed by the caller.
    UniqueItemIDList GetRootItemIDList(IMalloc* malloc, IShellFolder* desktop);
    bool IsUsableRoot(IMalloc* malloc, LPCITEMIDLIST list);
    bool HasShowableContent(IShellFolder* folder, LPCITEMIDLIST item);

    // Population: a node's children are listed off the window's thread
    // (FolderListing.h), compared with those shown (ChildDiff.h) and applied
    // here (FolderTreeChildren.cpp); a fill is a listing applied with
    // nothing shown (FolderTreeListing.cpp).
    bool BeforeExpand(TTreeNode* node);
    // Lists the children of `node` (null: the top level), whose folder is
    // `item` in `folder` with the full list `absolute`.
    void FillNode(TTreeNode* node, IShellFolder* folder, LPCITEMIDLIST item,
                  LPCITEMIDLIST absolute);
    TListingRules ListingRules() const;
    PFNTVCOMPARE FillComparison() const;
    bool HasShowableFiles(IShellFolder* folder, LPCITEMIDLIST item);

    struct TPendingListing;
    enum class TListingKind { Fill, Update };
    // `path`, when given, is the folder's, which an update finds gone.
    void ListChildren(TTreeNode* node, IShellFolder* folder, LPCITEMIDLIST item,
                      LPCITEMIDLIST absolute, TListingKind kind, const TFolderRenames& renames,
                      const std::wstring& path = {});
    TPendingListing* PendingListing(const TTreeNode* node);
    // Applies a listing that has come: all of it, or (from the window's
    // queue) in slices with the window answering in between; true once done.
    bool ApplyListing(TTreeNode* node, TPendingListing& pending, bool inSlices);
    void FinishListing(TTreeNode* node);
    void ListingMessage(WPARAM serial, bool more);
    // A pending listing waited for, where a caller needs the children now.
    void AwaitListing(TTreeNode* node);
    bool RetryListing(TTreeNode* node);
    void CancelListings(const TTreeNode* within, bool all);
    void MarkUnreachable();
    bool ListingTimer(WPARAM timer);
    // A child's name for parsing in its folder: nodes are matched by it.
    const std::wstring& ShownName(const TTreeNode* child);
    // `iconLater`: the node's icon is looked up off the window's thread.
    TTreeNode* AddChildNode(TTreeNode* node, IShellFolder* folder, TListedChild& child,
                            HTREEITEM after, bool iconLater);
    std::unordered_map<const TTreeNode*, std::unique_ptr<TPendingListing>> FListings;
    int FPatience = 0; // callers that need children now: listings are waited for longer

    // Icons of nodes listed from a slow folder: a default icon when first
    // drawn, the real ones looked up in batches off the window's thread.
    int LaterIcon(TTreeNode* node, bool open);
    void IconsMessage(WPARAM kind);
    void ForgetIconOf(const TTreeNode* node);
    void CancelIcons();
    std::vector<TTreeNode*> FIconQueue; // drawn, waiting for the next batch
    std::vector<TTreeNode*> FIconBatch; // the batch being looked up (null: node gone)
    std::shared_ptr<TIconJob> FIconJob;

    // Navigation: the folder name of a node (its path when its item parses
    // back, empty for such an item without a path, else its text), finding
    // the node of a path, and reloading while keeping what the user saw.
    std::wstring FolderNameOf(const TTreeNode* node);
    // OnChange and OnChangeW with the selected node's folder name.
    void TellChange();
    void SelectPath(const std::wstring& path);
    void ApplySelectedDir();
    void ExecuteSelected();
    void ReloadTree(TTreeNode* node);
    // Trees of more nodes than this are not reloaded.
    static constexpr int kReloadLimit = 10240;

    // The shell's context menu on a right click (FolderTreeContextMenu.cpp).
    class TOwnerHookScope;
    void RightButtonDown(LPARAM point);
    bool ShowItemContextMenu(HWND wnd, IShellFolder* folder, LPCITEMIDLIST item, POINT point,
                             UINT& command);
    // The owner's messages while a menu is tracked: true for the menu's
    // drawing messages, which go to the shell's menu object.
    bool OwnerWndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    static LRESULT CALLBACK OwnerHookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND OwnerHandle();
    // Drag and drop (FolderTreeDrag.cpp): a node dragged out; the refresh
    // that comes before a drop into another program.
    friend class TDropSourceObject;
    bool BeginDrag(const NMTREEVIEWW& info);
    void StartItemDrag(HWND wnd, IShellFolder* folder, LPCITEMIDLIST item);
    void DelayedRefresh();
    // The edit style lent for an edit this tree started, taken back
    // (FolderTreeRename.cpp).
    void EndLabelEditStyle();

    // Following the file system (FolderTreeUpdate.cpp): the folders of the
    // nodes that show open are known to the watches, which learn of changes
    // from their roots' reads or by checks; a change brings the node's
    // children up to date once changes have settled, as F5 does for the
    // selected node and a device change for the drives.
    bool WatchMessage(UINT msg, WPARAM wp, LPARAM lp);
    void WatchNotify(const NMHDR* header);
    // The folder of a node that may be followed, or empty.
    std::wstring WatchablePath(const TTreeNode* node);
    void OpenFolder(TTreeNode* node);
    bool ShowsOpen(const TTreeNode* node) const;
    // The selection's folder, known by its identity should it be renamed.
    void RecogniseSelection(TTreeNode* node);
    // The watches know exactly the nodes that show open.
    void SyncWatches();
    void StopWatches();
    // The children of a node expanded again, or of nodes that show again
    // below it, read again.
    void RereadOnExpand(TTreeNode* node);
    void RereadBranch(TTreeNode* node);
    void ExpandedWithoutNotice(TTreeNode* node) override;
    void CollapsedWithoutNotice(TTreeNode* node) override;
    void Collapsed(TTreeNode* node);
    bool UpdatesDeferred() const;
    void UpdateChangedNodes();
    void CheckFolders(bool atOnce);
    // Runs `update` with drawing held; OnChange is told once, at the end,
    // of the final selection when the selection or its folder changed.
    void UpdateTelling(const std::function<void()>& update);
    void UpdateNode(TTreeNode* node, const TFolderRenames& renames = {});
    // The node follows its folder, found at `moved` by its identity.
    bool FollowMovedFolder(TTreeNode* node, const std::wstring& moved);
    void RepointBranch(TTreeNode* node);
    void ReopenBranch(TTreeNode* node);
    void UpdateDrives();
    std::unique_ptr<TFolderWatches> FWatches;
    std::vector<std::pair<TTreeNode*, TFolderRenames>> FPendingUpdates; // changed, not yet read
    bool FDrivesChanged = false;
    bool FUpdatingNodes = false; // an update under way
    bool FChangeHeld = false;    // OnChange waits for the update's end
    bool FChangeMissed = false;  // the selection changed while it waited
    bool FRedrawHeld = false;    // drawing held until the update's end
    int FNodeUpdates = 0;        // nodes brought up to date so far

    bool FAutoUpDate;
    bool FDragAndDrop;
    Microsoft::WRL::ComPtr<IDropTarget> FDropTarget;
    // The node that last got the drop highlight; cleared when it is deleted.
    TTreeNode* FDropNode = nullptr;
    TAboutFolderTreeViewExProperty* FAbout = nullptr;
    bool FContextMenu;
    Microsoft::WRL::ComPtr<IContextMenu_2> FContextMenu2; // the menu last shown
    HWND FOwnerHandle = nullptr;
    bool FLentEditStyle = false; // the edit style is lent for an edit this tree started
    bool FUpdating = false;
    std::wstring FLastFolder;
    bool FInfoViewSort;
    std::wstring FRootFolderName;
    std::optional<std::string> FRootFolderNameBytes; // written in bytes of no exact UTF-16
    TRootFolder FRootFolder;
    TSelectedDir FSelectedDir;
    bool FShellRun;
    bool FShowFile;
    bool FShowRootFolder;
    bool FVirtualRoot = false;
    bool FShowIncludeHidden;
    std::vector<std::string> FFileMask;
    // The tree's generation: a new one with every rebuild, reload and
    // deleted node, so that a caller that let messages through (a menu, a
    // rename, an update) knows whether a node it holds may be gone.
    unsigned FGeneration = 0;
    int FRebuildCount = 0; // rebuilds and reloads so far, as tests count them
    int FRefreshCount = 0;
    TTreeServices& FServices;
};
