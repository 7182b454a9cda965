// The icons of a batch of nodes looked up on a thread of their own:
// SHGetFileInfoW reads the item, which on a share whose server is gone holds
// the caller for seconds. Like a listing (ListingJob.h), the job is shared
// by the window and its thread, and the thread posts `message` to the window
// once the icons are there.
#pragma once

#include "folder_tree/ItemIdList.h"
#include "gui/Owners.h"

#include <atomic>
#include <memory>
#include <vector>

// The message a batch of icons comes back with: wParam 1. With wParam 0 the
// window asks itself to start the batch it has gathered.
UINT TreeIconsMessage();

class TIconJob {
  public:
    struct Icons {
        int normal = 0, open = 0; // indices into the system small-icon list
    };

    // The job, started; done already when no thread could be made.
    static std::shared_ptr<TIconJob> Start(std::vector<UniqueItemIDList> items, HWND window,
                                           UINT message);
    TIconJob(const TIconJob&) = delete;
    TIconJob& operator=(const TIconJob&) = delete;

    bool Done() const { return done_.load(std::memory_order_acquire); }
    void Cancel() { cancelled_ = true; }
    // One per item, in their order; only once Done().
    const std::vector<Icons>& Result() const { return icons_; }

  private:
    TIconJob(std::vector<UniqueItemIDList> items, HWND window, UINT message)
        : items_(std::move(items)), window_(window), message_(message) {}
    static DWORD WINAPI Run(void* self);
    void LookUp();

    std::vector<UniqueItemIDList> items_;
    HWND window_;
    UINT message_;
    std::shared_ptr<TIconJob> self_; // the thread's share, given up when it ends
    UniqueHandle thread_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> done_{false};
    std::vector<Icons> icons_;
};
