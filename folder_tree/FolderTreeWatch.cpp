#include "folder_tree/FolderTreeWatch.h"

#include "gui/Owners.h"

#include <algorithm>

namespace {

// Room for the names of one read; a burst that does not fit completes with
// no bytes, which means "read it all again".
constexpr DWORD kBufferBytes = 16 * 1024;

void CALLBACK ReadCompleted(DWORD error, DWORD bytes, OVERLAPPED* overlapped);

} // namespace

struct TFolderWatch {
    TFolderWatch(TFolderWatches* watches, TTreeNode* watchedNode, UniqueHandle handle,
                 DWORD notifyFilter)
        : owner(watches), node(watchedNode), directory(std::move(handle)), filter(notifyFilter),
          buffer(kBufferBytes / sizeof(DWORD)) {
        ++live;
    }
    ~TFolderWatch() { --live; }
    TFolderWatch(const TFolderWatch&) = delete;
    TFolderWatch& operator=(const TFolderWatch&) = delete;

    bool Arm() {
        overlapped = OVERLAPPED{};
        overlapped.hEvent = this; // unused by the system with a completion routine
        pending = ReadDirectoryChangesW(directory.get(), buffer.data(), kBufferBytes, FALSE, filter,
                                        nullptr, &overlapped, ReadCompleted) != FALSE;
        return pending;
    }
    void TakeNames(DWORD bytes) {
        const auto* base = reinterpret_cast<const BYTE*>(buffer.data());
        std::wstring oldName;
        for (DWORD at = 0; at + sizeof(FILE_NOTIFY_INFORMATION) <= bytes;) {
            const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + at);
            std::wstring name(info->FileName, info->FileNameLength / sizeof(WCHAR));
            if (info->Action == FILE_ACTION_RENAMED_OLD_NAME)
                oldName = std::move(name);
            else if (info->Action == FILE_ACTION_RENAMED_NEW_NAME && !overflow)
                renames.emplace_back(std::move(oldName), std::move(name));
            if (!info->NextEntryOffset) break;
            at += info->NextEntryOffset;
        }
    }

    void Changed() {
        changed = true;
        owner->Changed();
    }

    static inline int live = 0;

    OVERLAPPED overlapped{};
    TFolderWatches* owner; // null once retired: the watch waits for its cancelled read
    TTreeNode* node;
    UniqueHandle directory;
    DWORD filter;
    std::vector<DWORD> buffer; // DWORD-aligned, as the notifications need
    bool pending = false;
    bool changed = false;
    bool overflow = false; // names lost: everything is read again
    TFolderRenames renames;
};

namespace {

// Watches given back whose cancelled read has not completed yet: the read
// still writes into their buffer and OVERLAPPED until it does.
std::vector<std::unique_ptr<TFolderWatch>>& Retired() {
    static std::vector<std::unique_ptr<TFolderWatch>> retired;
    return retired;
}

void Retire(std::unique_ptr<TFolderWatch> watch) {
    watch->owner = nullptr;
    if (!watch->pending) return; // nothing writes into it any more
    CancelIo(watch->directory.get());
    watch->directory.reset();
    Retired().push_back(std::move(watch));
}

void CALLBACK ReadCompleted(DWORD error, DWORD bytes, OVERLAPPED* overlapped) {
    auto* watch = static_cast<TFolderWatch*>(overlapped->hEvent);
    watch->pending = false;
    if (!watch->owner) {
        auto& retired = Retired();
        retired.erase(std::remove_if(retired.begin(), retired.end(),
                                     [watch](const auto& w) { return w.get() == watch; }),
                      retired.end());
        return;
    }
    if (error == ERROR_SUCCESS && bytes) {
        watch->TakeNames(bytes);
    } else if (error == ERROR_SUCCESS || error == ERROR_NOTIFY_ENUM_DIR) {
        watch->overflow = true;
        watch->renames.clear();
    } else {
        return; // the folder went or cannot be read: its parent's watch sees it go
    }
    watch->Changed();
    watch->Arm();
}

} // namespace

TFolderWatches::TFolderWatches(UINT_PTR timerId, UINT settleMs)
    : timerId_(timerId), settleMs_(settleMs) {}

TFolderWatches::~TFolderWatches() {
    StopAll();
}

bool TFolderWatches::Start(TTreeNode* node, const std::wstring& path, bool fileNames, HWND window) {
    if (Watched(node)) return true;
    window_ = window;
    UniqueHandle directory(CreateFileW(
        path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    if (!directory) return false;
    const DWORD filter =
        FILE_NOTIFY_CHANGE_DIR_NAME | (fileNames ? FILE_NOTIFY_CHANGE_FILE_NAME : 0);
    auto watch = std::make_unique<TFolderWatch>(this, node, std::move(directory), filter);
    if (!watch->Arm()) return false;
    watches_.emplace(node, std::move(watch));
    return true;
}

void TFolderWatches::Stop(TTreeNode* node) {
    auto it = watches_.find(node);
    if (it == watches_.end()) return;
    std::unique_ptr<TFolderWatch> watch = std::move(it->second);
    watches_.erase(it);
    Retire(std::move(watch));
}

void TFolderWatches::StopAll() {
    for (auto& [node, watch] : watches_)
        Retire(std::move(watch));
    watches_.clear();
    // The cancelled reads complete in an alertable wait; a few rounds suffice.
    for (int round = 0; round < 100 && !Retired().empty(); ++round)
        SleepEx(round ? 1 : 0, TRUE);
}

std::vector<TTreeNode*> TFolderWatches::Nodes() const {
    std::vector<TTreeNode*> nodes;
    for (const auto& [node, watch] : watches_)
        nodes.push_back(watch->node);
    return nodes;
}

std::vector<TFolderWatches::Change> TFolderWatches::TakeChanges() {
    std::vector<Change> changes;
    for (const auto& [node, watch] : watches_) {
        if (!watch->changed) continue;
        changes.push_back(
            {watch->node, watch->overflow ? TFolderRenames{} : std::move(watch->renames)});
        watch->renames.clear();
        watch->changed = watch->overflow = false;
    }
    return changes;
}

int TFolderWatches::Live() {
    return TFolderWatch::live;
}

void TFolderWatches::Changed() {
    if (window_) SetTimer(window_, timerId_, settleMs_, nullptr);
}
