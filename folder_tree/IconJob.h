// The icons of a batch of nodes looked up off the window's thread
// (ThreadJob.h): SHGetFileInfoW reads the item, which on a share whose
// server is gone holds the caller for seconds. The thread posts `message`
// to the window, with wParam 1, once the icons are there.
#pragma once

#include "folder_tree/ItemIdList.h"
#include "folder_tree/ThreadJob.h"

#include <vector>

// The message a batch of icons comes back with: wParam 1. With wParam 0 the
// window asks itself to start the batch it has gathered.
UINT TreeIconsMessage();

class TIconJob : public TThreadJob {
  public:
    struct Icons {
        int normal = 0, open = 0; // indices into the system small-icon list
    };

    // The job, started; done already when no thread could be made.
    static std::shared_ptr<TIconJob> Start(std::vector<UniqueItemIDList> items, HWND window,
                                           UINT message);
    // One per item, in their order; only once Done().
    const std::vector<Icons>& Result() const { return icons_; }

  private:
    TIconJob(std::vector<UniqueItemIDList> items, HWND window, UINT message)
        : TThreadJob(window, message, 1), items_(std::move(items)) {}
    void Work() override;

    std::vector<UniqueItemIDList> items_;
    std::vector<Icons> icons_;
};
