#include "folder_tree/IconJob.h"

#include "folder_tree/ShellIcons.h"

UINT TreeIconsMessage() {
    static const UINT message = RegisterWindowMessageW(L"Kelvane.FolderTreeIcons");
    return message;
}

std::shared_ptr<TIconJob> TIconJob::Start(std::vector<UniqueItemIDList> items, HWND window,
                                          UINT message) {
    std::shared_ptr<TIconJob> job(new TIconJob(std::move(items), window, message));
    Launch(job);
    return job;
}

void TIconJob::Work() {
    icons_.resize(items_.size());
    for (size_t i = 0; i < items_.size() && !Cancelled(); ++i)
        GetItemIconIndices(items_[i].get(), icons_[i].normal, icons_[i].open);
}
