#include "folder_tree/ThreadJob.h"

#include <ole2.h>

void TThreadJob::Launch(const std::shared_ptr<TThreadJob>& job) {
    job->self_ = job;
    HANDLE thread = CreateThread(nullptr, 0, &TThreadJob::Run, job.get(), 0, nullptr);
    if (thread) {
        job->thread_.reset(thread);
        return;
    }
    job->self_.reset();
    job->WorkInApartment();
    if (!job->cancelled_) PostMessageW(job->window_, job->message_, job->wParam_, 0);
}

bool TThreadJob::Wait(DWORD ms) {
    if (Done()) return true;
    WaitForSingleObject(thread_.get(), ms);
    return Done();
}

void TThreadJob::WorkInApartment() {
    const HRESULT com =
        NeedsApartment()
            ? CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
            : E_FAIL;
    Work();
    if (SUCCEEDED(com)) CoUninitialize();
    done_.store(true, std::memory_order_release);
}

DWORD WINAPI TThreadJob::Run(void* self) {
    auto* job = static_cast<TThreadJob*>(self);
    // The thread holds its share from here: the window may let go at any time.
    std::shared_ptr<TThreadJob> keep = std::move(job->self_);
    job->WorkInApartment();
    if (!job->cancelled_) PostMessageW(job->window_, job->message_, job->wParam_, 0);
    keep.reset(); // the job may go here, its thread's handle with it
    return 0;
}
