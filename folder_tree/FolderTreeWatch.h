// Watches of folders for names made, removed and renamed in them, one per
// expanded node of the folder tree. Each holds a directory handle with a
// read of changes pending (ReadDirectoryChangesW); its completion routine
// runs on the GUI thread in an alertable wait (the application's message
// loop), marks its node changed and restarts the tree's settle timer. No
// thread and no lock: everything here is touched by the GUI thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class TTreeNode;

// Names renamed in a folder, old to new, in the order they came.
using TFolderRenames = std::vector<std::pair<std::wstring, std::wstring>>;

struct TFolderWatch;

class TFolderWatches {
  public:
    // Changes restart the timer `timerId` of the window given to Start,
    // which fires once they have settled for `settleMs`.
    TFolderWatches(UINT_PTR timerId, UINT settleMs);
    ~TFolderWatches();
    TFolderWatches(const TFolderWatches&) = delete;
    TFolderWatches& operator=(const TFolderWatches&) = delete;

    // Watches the folder at `path` for `node`: names of folders, and of
    // files too with `fileNames`; never attributes or contents. False when
    // the folder cannot be opened or read.
    bool Start(TTreeNode* node, const std::wstring& path, bool fileNames, HWND window);
    // Gives back the node's watch: its handle now, its memory once the
    // cancelled read has completed.
    void Stop(TTreeNode* node);
    // Gives back every watch and waits (boundedly) for the cancelled reads.
    void StopAll();
    bool Watched(const TTreeNode* node) const { return watches_.count(node) != 0; }
    int Count() const { return int(watches_.size()); }
    std::vector<TTreeNode*> Nodes() const;

    struct Change {
        TTreeNode* node;
        TFolderRenames renames; // empty where the names are not known
    };
    // The nodes whose folders changed since they were last taken.
    std::vector<Change> TakeChanges();

    // Watches alive in the process, those waiting for their cancelled read
    // included.
    static int Live();

  private:
    friend struct TFolderWatch;
    void Changed();

    std::unordered_map<const TTreeNode*, std::unique_ptr<TFolderWatch>> watches_;
    UINT_PTR timerId_;
    UINT settleMs_;
    HWND window_ = nullptr;
};
