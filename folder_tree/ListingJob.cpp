#include "folder_tree/ListingJob.h"

#include <algorithm>

namespace {

std::atomic<WPARAM> lastSerial{0};

} // namespace

UINT TreeListingMessage() {
    static const UINT message = RegisterWindowMessageW(L"Kelvane.FolderTreeListing");
    return message;
}

TListingJob::TListingJob(Request request, HWND window, UINT message, WPARAM serial)
    : TThreadJob(window, message, serial), request_(std::move(request)), serial_(serial) {
    ++live_;
}

TListingJob::~TListingJob() {
    --live_;
}

std::shared_ptr<TListingJob> TListingJob::Start(Request request, HWND window, UINT message) {
    std::shared_ptr<TListingJob> job(
        new TListingJob(std::move(request), window, message, ++lastSerial));
    Launch(job);
    return job;
}

void TListingJob::Work() {
    if (request_.begins) request_.begins();
    if (!request_.identityOf.empty())
        identityRead_ = ReadFolderIdentity(request_.identityOf, identity_);
    const std::wstring& path = request_.mustExist;
    if (!path.empty() && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        result_.missing = true;
        // A folder renamed stays in its parent: "C:\a\b" is looked for in
        // "C:\a", "C:\a" in "C:\".
        const std::size_t slash = path.find_last_of(L'\\');
        if (request_.followId && slash != std::wstring::npos && !Cancelled())
            movedTo_ = FindSubfolderById(path.substr(0, std::max<std::size_t>(slash, 3)),
                                         request_.followId);
    } else if (!Cancelled()) {
        result_ = ListFolder(request_.folder.get(), request_.folderList.get(), request_.rules,
                             request_.identify, request_.kept, Cancelled());
    }
}
