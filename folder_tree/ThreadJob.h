// Work done on a thread of the system's pool, in a COM apartment of its
// own, for a window that must not wait for it: a folder slow to answer (a
// share whose server is gone, a sleeping disk) then holds that thread and
// never the window. The pool keeps its threads between jobs, so a job does
// not pay for a thread's start and end (milliseconds, each DLL told of the
// thread), and it adds threads while jobs wait long. The job is shared by
// the window and its thread, which holds its share until it ends, so the
// window may wait for a job a little, cancel it or forget it at any time.
// Once the work is done, unless cancelled, the job posts its message to the
// window.
#pragma once

#include "gui/Owners.h"

#include <windows.h>

#include <atomic>
#include <memory>

class TThreadJob {
  public:
    virtual ~TThreadJob() = default;
    TThreadJob(const TThreadJob&) = delete;
    TThreadJob& operator=(const TThreadJob&) = delete;

    bool Done() const { return done_.load(std::memory_order_acquire); }
    // Waits at most `ms` milliseconds; true once the work is done.
    bool Wait(DWORD ms);
    // The work stops where it next looks, and its result is not wanted.
    void Cancel() { cancelled_ = true; }

  protected:
    // `message` is posted with `wParam` and 0.
    TThreadJob(HWND window, UINT message, WPARAM wParam)
        : window_(window), message_(message), wParam_(wParam) {}
    // Starts the work on a thread of the pool. With no thread to be had (the
    // process is out of memory or address space), the work is done here, as
    // if it had been quick, rather than not at all.
    static void Launch(const std::shared_ptr<TThreadJob>& job);
    virtual void Work() = 0;
    // Work that calls no shell or COM object runs without an apartment.
    virtual bool NeedsApartment() const { return true; }
    const std::atomic<bool>& Cancelled() const { return cancelled_; }

  private:
    static DWORD WINAPI Run(void* self);
    void WorkInApartment();

    HWND window_;
    UINT message_;
    WPARAM wParam_;
    std::shared_ptr<TThreadJob> self_; // the work item's share, taken when it runs
    UniqueHandle finished_;            // set once the work is done
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> done_{false};
};
