// What tests read inside a TFolderTreeViewEx beyond its published face: a
// friend of the class that reads its state and answers queries that change
// nothing. The program itself never includes this header.
#pragma once

#include "folder_tree/DropTarget.h"
#include "folder_tree/FTVEX_D3.h"
#include "folder_tree/FolderTreeWatch.h"
#include "folder_tree/ListingJob.h"
#include "folder_tree/TreeItemData.h"

class TFolderTreeTestAccess {
  public:
    explicit TFolderTreeTestAccess(TFolderTreeViewEx& tree) : tree_(tree) {}

    // A rebuild is under way: the hourglass shows and drawing is held.
    bool Updating() const { return tree_.FUpdating; }
    bool VirtualRoot() const { return tree_.FVirtualRoot; }
    // Rebuilds so far; a setter that must not rebuild leaves it unchanged.
    int RebuildCount() const { return tree_.FRebuildCount; }

    bool HasShowableFiles(IShellFolder* folder, LPCITEMIDLIST item) {
        return tree_.HasShowableFiles(folder, item);
    }

    // As an ANSI caller gets it (empty where the code page cannot write it),
    // and as it is.
    std::string FolderNameOf(const TTreeNode* node) {
        std::string ansi;
        return ExactAnsiText(tree_.FolderNameOf(node), ansi) ? ansi : std::string();
    }
    std::wstring FolderNameOfW(const TTreeNode* node) { return tree_.FolderNameOf(node); }

    // The drop target registered for the window, and what it keeps between
    // calls.
    TDropTargetObject& DropTarget() {
        return *static_cast<TDropTargetObject*>(tree_.FDropTarget.Get());
    }
    struct DropState {
        bool acceptable;
        bool keepsData;
        int hoverReset;
        DWORD hoverStart;
        DWORD scrollStart;
        int hScrollCode;
        int vScrollCode;
    };
    DropState DropTargetState() {
        TDropTargetObject& t = DropTarget();
        return {t.FAcceptable,  t.FDataObject != nullptr, t.FHoverReset, t.FHoverStart,
                t.FScrollStart, t.FHScrollCode,           t.FVScrollCode};
    }
    IDataObject* KeptDataObject() { return DropTarget().FDataObject.Get(); }
    TTreeNode* DropNode() const { return tree_.FDropNode; }
    int RefreshCount() const { return tree_.FRefreshCount; }

    // Following the file system: the nodes whose folders the watches know as
    // open, the root handles they hold, and the nodes brought up to date so
    // far.
    bool Watched(const TTreeNode* node) const {
        return tree_.FWatches && tree_.FWatches->IsOpen(node);
    }
    int WatchCount() const { return tree_.FWatches ? tree_.FWatches->Count() : 0; }
    int RootHandles() const { return tree_.FWatches ? tree_.FWatches->RootHandles() : 0; }
    int NodeUpdates() const { return tree_.FNodeUpdates; }
    bool WatchRoundOut() const { return tree_.FWatches && tree_.FWatches->RoundOut(); }
    // Root reads alive in the process, those waiting for a cancellation included.
    static int LiveWatches() { return TFolderWatches::Live(); }

    // Listings alive in the process, those whose threads are still held included.
    static int LiveListings() { return TListingJob::Live(); }

    // Node records alive in all trees of the process.
    static int LiveNodeRecords() { return TTVITEMDATA::live; }

  private:
    TFolderTreeViewEx& tree_;
};

// The internals of `tree`, for a test.
inline TFolderTreeTestAccess Internals(TFolderTreeViewEx& tree) {
    return TFolderTreeTestAccess(tree);
}
