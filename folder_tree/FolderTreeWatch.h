// What the folder tree knows of its open nodes' folders, and how it learns
// that they changed. An open node's folder is resolved once when it opens
// (FolderIdentity.h) and nothing inside it stays open: the only handles
// held are those of the volume or share roots that hold open nodes, one per
// root, each with a read of the names changed anywhere below it pending.
// Their completion routines run on the GUI thread in an alertable wait (the
// application's message loop) and mark the open node whose folder a change
// names. Where a root's read cannot start, stops or cannot report
// everything (Wine, where none is kept), the open nodes' last-write times
// are checked instead, holding nothing. Each root handle is registered for device events, so a
// drive can be removed safely while nodes on it are open.
//
// Events are hints: a marked node is read again by the tree, which decides
// from the listing what changed. Everything here is touched by the GUI
// thread only.
#pragma once

#include "folder_tree/FolderIdentity.h"

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class TTreeNode;
class TTreeServices;

// Names renamed in a folder, old to new, in the order they came.
using TFolderRenames = std::vector<std::pair<std::wstring, std::wstring>>;

struct TRootWatch;

class TFolderWatches {
  public:
    // Changes restart the timer `settleTimer` of `window`, which fires once
    // they have settled for `settleMs`.
    TFolderWatches(TTreeServices& services, HWND window, UINT_PTR settleTimer, UINT settleMs);
    ~TFolderWatches();
    TFolderWatches(const TFolderWatches&) = delete;
    TFolderWatches& operator=(const TFolderWatches&) = delete;

    // `node` shows open on the folder `path` (or, with `identityOnly`, is
    // only to be recognised when renamed: the selection). The folder is
    // resolved now, again on every call, and its root is watched while an
    // open node lies on it: names of folders, of files too with `fileNames`.
    void Open(TTreeNode* node, const std::wstring& path, bool fileNames, bool identityOnly = false);
    void Close(TTreeNode* node);
    void CloseAll();
    // Open, not only recognised.
    bool IsOpen(const TTreeNode* node) const;
    int Count() const;
    std::vector<TTreeNode*> Nodes() const;
    // The file identity recorded when the node's folder was last resolved.
    ULONGLONG FileId(const TTreeNode* node) const;
    // Root handles held now.
    int RootHandles() const;

    struct Change {
        TTreeNode* node;
        TFolderRenames renames; // in the node's folder; none where not known
    };
    // The open nodes whose folders changed since they were last taken.
    std::vector<Change> TakeChanges();

    // Marks the open nodes whose folders' last-write times moved (and,
    // unless `atOnce`, then held still for one check), among those no
    // root's read serves; retries reads refused before, each when its wait
    // is over. True while any open node needs checks.
    bool Check(bool atOnce);
    bool NeedsChecks() const;

    // A device's event about a root's handle: the handle closed when its
    // volume is about to be removed, opened again (and the root's open
    // nodes marked) when the removal failed, let go once it is done. False
    // for events about anything else.
    bool DeviceChange(WPARAM event, LPARAM data);

    // Reads alive in the process, those waiting for their cancellation
    // included.
    static int Live();

  private:
    friend struct TRootWatch;
    struct TOpenFolder {
        std::wstring path;
        TFolderIdentity identity;
        std::wstring rootKey, key; // the root, and the root and relative path, folded
        bool identityOnly = false;
        bool changed = false;
        std::optional<ULONGLONG> moving; // a last-write time seen once by a check
        TFolderRenames renames;
    };
    // A root's read completed with these records (names relative to the
    // root; a rename as one record with both names), or overflowed.
    struct Record {
        DWORD action;
        std::wstring name, newName;
    };
    void RootChanged(TRootWatch& root, bool overflow, const std::vector<Record>& records);
    void Mark(const std::wstring& key, const std::pair<std::wstring, std::wstring>* rename);
    // Every open node on the root read again (an overflow, a failed removal).
    void MarkRoot(const std::wstring& rootKey);
    void Rekey(const std::wstring& from, const std::wstring& to);
    using TFolders = std::unordered_map<const TTreeNode*, TOpenFolder>;
    TFolders::iterator Forget(TFolders::iterator it);
    void DropUnusedRoots();
    void Settle();

    TTreeServices& services_;
    HWND window_;
    UINT_PTR timerId_;
    UINT settleMs_;
    TFolders folders_;
    std::unordered_map<std::wstring, TTreeNode*> byKey_;
    std::map<std::wstring, std::unique_ptr<TRootWatch>> roots_; // by folded root
};
