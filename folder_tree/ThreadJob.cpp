#include "folder_tree/ThreadJob.h"

#include <ole2.h>

void TThreadJob::Launch(const std::shared_ptr<TThreadJob>& job) {
    job->finished_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    job->self_ = job;
    // A job may wait for a share for as long as the network takes.
    if (job->finished_ && QueueUserWorkItem(&TThreadJob::Run, job.get(), WT_EXECUTELONGFUNCTION))
        return;
    job->self_.reset();
    job->WorkInApartment();
    if (!job->cancelled_) PostMessageW(job->window_, job->message_, job->wParam_, 0);
}

bool TThreadJob::Wait(DWORD ms) {
    if (Done()) return true;
    if (finished_) WaitForSingleObject(finished_.get(), ms);
    return Done();
}

void TThreadJob::WorkInApartment() {
    const HRESULT com =
        NeedsApartment()
            ? CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
            : E_FAIL;
    Work();
    if (SUCCEEDED(com)) CoUninitialize(); // the pool's thread goes back as it came
    done_.store(true, std::memory_order_release);
    if (finished_) SetEvent(finished_.get());
}

DWORD WINAPI TThreadJob::Run(void* self) {
    auto* job = static_cast<TThreadJob*>(self);
    // The work item holds its share from here: the window may let go at any time.
    std::shared_ptr<TThreadJob> keep = std::move(job->self_);
    job->WorkInApartment();
    if (!job->cancelled_) PostMessageW(job->window_, job->message_, job->wParam_, 0);
    keep.reset(); // the job may go here, its thread's handle with it
    return 0;
}
