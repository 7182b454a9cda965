#include "folder_tree/ListingJob.h"

#include <ole2.h>

namespace {

std::atomic<WPARAM> lastSerial{0};

} // namespace

UINT TreeListingMessage() {
    static const UINT message = RegisterWindowMessageW(L"Kelvane.FolderTreeListing");
    return message;
}

TListingJob::TListingJob(Request request, HWND window, UINT message)
    : request_(std::move(request)), window_(window), message_(message), serial_(++lastSerial) {
    ++live_;
}

TListingJob::~TListingJob() {
    --live_;
}

std::shared_ptr<TListingJob> TListingJob::Start(Request request, HWND window, UINT message) {
    std::shared_ptr<TListingJob> job(new TListingJob(std::move(request), window, message));
    job->self_ = job;
    HANDLE thread = CreateThread(nullptr, 0, &TListingJob::Run, job.get(), 0, nullptr);
    if (!thread) {
        job->self_.reset();
        return nullptr;
    }
    job->thread_.reset(thread);
    return job;
}

bool TListingJob::Wait(DWORD ms) {
    if (Done()) return true;
    WaitForSingleObject(thread_.get(), ms);
    return Done();
}

DWORD WINAPI TListingJob::Run(void* self) {
    auto* job = static_cast<TListingJob*>(self);
    // The thread holds its share from here: the window may let go at any time.
    std::shared_ptr<TListingJob> keep = std::move(job->self_);
    {
        const HRESULT com =
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        if (job->request_.begins) job->request_.begins();
        const std::wstring& path = job->request_.mustExist;
        if (!path.empty() && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            job->result_.missing = true;
        else if (!job->cancelled_)
            job->result_ = ListFolder(job->request_.folder.get(), job->request_.folderList.get(),
                                      job->request_.rules, job->request_.identify, job->cancelled_);
        if (SUCCEEDED(com)) CoUninitialize();
    }
    job->done_.store(true, std::memory_order_release);
    if (!job->cancelled_) PostMessageW(job->window_, job->message_, job->serial_, 0);
    keep.reset(); // the job may go here, its thread's handle with it
    return 0;
}
