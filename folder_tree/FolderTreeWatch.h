// What the folder tree knows of its open nodes' folders, and how it learns
// that they changed. An open node's folder is resolved when it opens
// (FolderIdentity.h) and nothing inside it stays open: the only handles
// held are those of the volume or share roots that hold open nodes, one per
// root, each with a read of the names changed anywhere below it pending.
// Their completion routines run on the GUI thread in an alertable wait (the
// application's message loop) and mark the open node whose folder a change
// names. Where a root's read cannot start, stops or cannot report
// everything (Wine, where none is kept), the open nodes' last-write times
// are checked instead, holding nothing. Each root handle is registered for
// device events, so a drive can be removed safely while nodes on it are
// open.
//
// Nothing here waits for a disk or a share on the window's thread: a
// folder is resolved by the listing that reads it next, or else by a round
// off the window's thread (WatchRound.h), which also checks the last-write
// times and opens the roots; the round's answers come back as a message.
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
class TWatchRound;

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
    // resolved anew on every call, by a round, or, with `byListing`, by the
    // listing of the node that the caller starts next, which hands what it
    // read to Resolved. Its root is watched while an open node lies on it:
    // names of folders, of files too with `fileNames`. The ticket names
    // this resolution.
    unsigned Open(TTreeNode* node, const std::wstring& path, bool fileNames,
                  bool identityOnly = false, bool byListing = false);
    // The ticket and folder a listing of `node` is to resolve; 0 for none.
    unsigned ListingResolves(const TTreeNode* node, std::wstring& path) const;
    // What a listing read of the folder (null: it could not be opened).
    void Resolved(const TTreeNode* node, unsigned ticket, const TFolderIdentity* identity);
    // The listing that was to resolve `node` will not: a round does.
    void Resolve(const TTreeNode* node);
    // A round's answers, come back to the window.
    void RoundDone();
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
    // A round on its thread, its answers not yet taken.
    bool RoundOut() const { return round_ != nullptr; }

    struct Change {
        TTreeNode* node;
        TFolderRenames renames; // in the node's folder; none where not known
    };
    // The open nodes whose folders changed since they were last taken.
    std::vector<Change> TakeChanges();

    // Marks the open nodes whose folders' last-write times moved (and,
    // unless `atOnce`, then held still for one check), among those no
    // root's read serves, once the round that reads them is back; retries
    // reads refused before, each when its wait is over. True while any open
    // node needs checks.
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
        bool fileNames = false;
        bool byListing = false;            // resolved by the node's next listing
        unsigned ticket = 0, resolved = 0; // the resolution asked for, and the last one done
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
    void StartRound();
    bool WantsCheck(const TOpenFolder& folder) const;
    // A check's answer: true when it marked the folder.
    bool Checked(const TTreeNode* node, unsigned ticket, ULONGLONG lastWrite, bool atOnce);

    TTreeServices& services_;
    HWND window_;
    UINT_PTR timerId_;
    UINT settleMs_;
    TFolders folders_;
    std::unordered_map<std::wstring, TTreeNode*> byKey_;
    std::map<std::wstring, std::unique_ptr<TRootWatch>> roots_;   // by folded root
    std::shared_ptr<TWatchRound> round_;                          // one at a time
    std::vector<std::pair<const TTreeNode*, unsigned>> resolves_; // for the next round
    bool checkWanted_ = false, checkAtOnce_ = false, roundAtOnce_ = false;
    static inline unsigned lastTicket_ = 0; // unique in the process: nodes' addresses are not
};
