#include "folder_tree/IconJob.h"

#include "folder_tree/ShellIcons.h"

#include <ole2.h>

UINT TreeIconsMessage() {
    static const UINT message = RegisterWindowMessageW(L"Kelvane.FolderTreeIcons");
    return message;
}

std::shared_ptr<TIconJob> TIconJob::Start(std::vector<UniqueItemIDList> items, HWND window,
                                          UINT message) {
    std::shared_ptr<TIconJob> job(new TIconJob(std::move(items), window, message));
    job->self_ = job;
    HANDLE thread = CreateThread(nullptr, 0, &TIconJob::Run, job.get(), 0, nullptr);
    if (!thread) { // no thread to be had: looked up here, as before
        job->self_.reset();
        job->LookUp();
        PostMessageW(window, message, 1, 0);
        return job;
    }
    job->thread_.reset(thread);
    return job;
}

void TIconJob::LookUp() {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    icons_.resize(items_.size());
    for (size_t i = 0; i < items_.size() && !cancelled_; ++i)
        GetItemIconIndices(items_[i].get(), icons_[i].normal, icons_[i].open);
    if (SUCCEEDED(com)) CoUninitialize();
    done_.store(true, std::memory_order_release);
}

DWORD WINAPI TIconJob::Run(void* self) {
    auto* job = static_cast<TIconJob*>(self);
    std::shared_ptr<TIconJob> keep = std::move(job->self_);
    job->LookUp();
    if (!job->cancelled_) PostMessageW(job->window_, job->message_, 1, 0);
    keep.reset();
    return 0;
}
