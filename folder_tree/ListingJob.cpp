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
        // No thread to be had (the process is out of memory or address
        // space): the folder is listed here, as if it had answered at once,
        // rather than its node left empty.
        job->self_.reset();
        job->List();
        return job;
    }
    job->thread_.reset(thread);
    return job;
}

bool TListingJob::Wait(DWORD ms) {
    if (Done()) return true;
    WaitForSingleObject(thread_.get(), ms);
    return Done();
}

void TListingJob::List() {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (request_.begins) request_.begins();
    const std::wstring& path = request_.mustExist;
    if (!path.empty() && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        result_.missing = true;
    else if (!cancelled_)
        result_ = ListFolder(request_.folder.get(), request_.folderList.get(), request_.rules,
                             request_.identify, cancelled_);
    if (SUCCEEDED(com)) CoUninitialize();
    done_.store(true, std::memory_order_release);
}

DWORD WINAPI TListingJob::Run(void* self) {
    auto* job = static_cast<TListingJob*>(self);
    // The thread holds its share from here: the window may let go at any time.
    std::shared_ptr<TListingJob> keep = std::move(job->self_);
    job->List();
    if (!job->cancelled_) PostMessageW(job->window_, job->message_, job->serial_, 0);
    keep.reset(); // the job may go here, its thread's handle with it
    return 0;
}
