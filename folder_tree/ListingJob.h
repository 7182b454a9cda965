// A folder's listing run off the window's thread (ThreadJob.h). The thread
// posts `message` to the window, with the job's serial, once the result is
// there. Before it lists, it resolves the folder for the watches, so that
// no change between the two is missed, and for a folder gone it looks in
// the parent for the folder by its identity.
#pragma once

#include "folder_tree/FolderIdentity.h"
#include "folder_tree/FolderListing.h"
#include "folder_tree/ThreadJob.h"

#include <functional>

// The message a listing's result comes back with: the job's serial, and 0
// (the result is there) or 1 (its application goes on).
UINT TreeListingMessage();

class TListingJob : public TThreadJob {
  public:
    struct Request {
        UniqueItemIDList folder;     // the folder's full list
        UniqueItemIDList folderList; // what its children's names parse against, or null
        TListingRules rules;
        std::vector<std::pair<std::wstring, ULONGLONG>> identify;
        std::vector<std::wstring> kept; // names of children shown as they are
        std::wstring mustExist;  // a folder's path: gone, it lists nothing (TListing::missing)
        std::wstring identityOf; // a folder's path to resolve first, or empty
        ULONGLONG followId = 0;  // the identity by which a missing folder is looked for
        // Called on the job's thread before it lists (a test holds it there).
        std::function<void()> begins;
    };

    // The job, started; done already when no thread could be made.
    static std::shared_ptr<TListingJob> Start(Request request, HWND window, UINT message);
    ~TListingJob() override;

    WPARAM Serial() const { return serial_; }
    // Only once Done().
    TListing& Result() { return result_; }
    // The folder `identityOf` names, when it could be opened.
    const TFolderIdentity* Identity() const { return identityRead_ ? &identity_ : nullptr; }
    // Where the missing folder of `followId` lies now, or empty.
    const std::wstring& MovedTo() const { return movedTo_; }

    // Jobs alive in the process, running or done.
    static int Live() { return live_.load(); }

  private:
    TListingJob(Request request, HWND window, UINT message, WPARAM serial);
    void Work() override;

    Request request_;
    WPARAM serial_;
    TListing result_;
    bool identityRead_ = false;
    TFolderIdentity identity_;
    std::wstring movedTo_;
    static inline std::atomic<int> live_{0};
};
