// A folder's listing run on a thread of its own, in a COM apartment of its
// own, so that a folder slow to answer (a share whose server is gone, a
// sleeping disk) holds that thread and never the tree's window. The job is
// shared by the window and its thread: the window may wait for it a little,
// cancel it, or forget it; the thread posts `message` to the window, with
// the job's serial, once the result is there.
#pragma once

#include "folder_tree/FolderListing.h"
#include "gui/Owners.h"

#include <atomic>
#include <functional>
#include <memory>

// The message a listing's result comes back with: the job's serial, and 0
// (the result is there) or 1 (its application goes on).
UINT TreeListingMessage();

class TListingJob {
  public:
    struct Request {
        UniqueItemIDList folder;     // the folder's full list
        UniqueItemIDList folderList; // what its children's names parse against, or null
        TListingRules rules;
        std::vector<std::pair<std::wstring, ULONGLONG>> identify;
        std::wstring mustExist; // a folder's path: gone, it lists nothing (TListing::missing)
        // Called on the job's thread before it lists (a test holds it there).
        std::function<void()> begins;
    };

    // The job, started; done already when no thread could be made.
    static std::shared_ptr<TListingJob> Start(Request request, HWND window, UINT message);
    ~TListingJob();
    TListingJob(const TListingJob&) = delete;
    TListingJob& operator=(const TListingJob&) = delete;

    WPARAM Serial() const { return serial_; }
    // Waits at most `ms` milliseconds; true once the result is there.
    bool Wait(DWORD ms);
    bool Done() const { return done_.load(std::memory_order_acquire); }
    // The listing stops at its next child, and its result is not wanted.
    void Cancel() { cancelled_ = true; }
    // Only once Done().
    TListing& Result() { return result_; }

    // Jobs alive in the process, running or done.
    static int Live() { return live_.load(); }

  private:
    TListingJob(Request request, HWND window, UINT message);
    static DWORD WINAPI Run(void* self);
    void List(); // on the job's thread, or the caller's when it has none

    Request request_;
    HWND window_;
    UINT message_;
    WPARAM serial_;
    std::shared_ptr<TListingJob> self_; // the thread's share, given up when it ends
    UniqueHandle thread_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> done_{false};
    TListing result_;
    static inline std::atomic<int> live_{0};
};
