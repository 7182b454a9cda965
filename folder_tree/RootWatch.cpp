#include "folder_tree/RootWatch.h"

#include "folder_tree/TreeServices.h"

#include <dbt.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// Room for the names of one read below a whole root; a burst that does not
// fit completes with no bytes, which means "read it all again". Reads over
// the network take no more than 64 KB.
constexpr DWORD kBufferBytes = 64 * 1024;
// A refused read is tried again after this wait, doubled on every refusal.
constexpr DWORD kFirstRetryMs = 2000, kLastRetryMs = 64000;

// Reads given back whose cancellation has not completed yet.
std::vector<std::unique_ptr<TRootRead>>& Retired() {
    static std::vector<std::unique_ptr<TRootRead>> retired;
    return retired;
}

void CALLBACK RootReadCompleted(DWORD error, DWORD bytes, OVERLAPPED* overlapped) {
    auto* read = static_cast<TRootRead*>(overlapped->hEvent);
    read->pending = false;
    if (read->owner) {
        read->owner->Completed(error, bytes);
        return;
    }
    auto& retired = Retired();
    retired.erase(std::remove_if(retired.begin(), retired.end(),
                                 [read](const auto& r) { return r.get() == read; }),
                  retired.end());
}

} // namespace

TRootRead::TRootRead(TRootWatch* watch, UniqueHandle root)
    : owner(watch), handle(std::move(root)), buffer(kBufferBytes / sizeof(DWORD)) {
    ++live;
}

bool TRootRead::AnyRetired() {
    return !Retired().empty();
}

bool TRootWatch::Serving() const {
    return state == kReading && owner.services_.ChangesComplete();
}

void TRootWatch::Ask() {
    Stop();
    state = kOpening;
    asked = false;
}

void TRootWatch::StartHere() {
    Begin(UniqueHandle(owner.services_.OpenChangeRoot(root)));
}

void TRootWatch::Begin(UniqueHandle handle) {
    auto next = handle ? std::make_unique<TRootRead>(this, std::move(handle)) : nullptr;
    if (!next || !Arm(*next)) {
        Refused();
        return;
    }
    read = std::move(next);
    state = kReading;
    retryWait = 0;
    // The registration outlives a handle closed for a removal: the
    // removal's outcome is reported to it.
    DEV_BROADCAST_HANDLE filterFor{};
    filterFor.dbch_size = sizeof filterFor;
    filterFor.dbch_devicetype = DBT_DEVTYP_HANDLE;
    filterFor.dbch_handle = read->handle.get();
    registered = read->handle.get();
    notification.reset(
        RegisterDeviceNotificationW(owner.window_, &filterFor, DEVICE_NOTIFY_WINDOW_HANDLE));
}

void TRootWatch::Stop() {
    if (!read) return;
    std::unique_ptr<TRootRead> gone = std::move(read);
    gone->owner = nullptr;
    if (!gone->pending) return;
    TRootRead& retired = *gone;
    Retired().push_back(std::move(gone));
    owner.services_.CancelChanges(retired.handle.get(), &retired.overlapped);
    retired.handle.reset();
}

void TRootWatch::Refused() {
    Stop();
    state = kRefused;
    refusedAt = owner.services_.Tick();
    retryWait = retryWait ? std::min(retryWait * 2, kLastRetryMs) : kFirstRetryMs;
}

bool TRootWatch::RetryDue() const {
    return state == kRefused && owner.services_.Tick() - refusedAt >= retryWait;
}

bool TRootWatch::Arm(TRootRead& r) {
    r.overlapped = OVERLAPPED{};
    r.overlapped.hEvent = &r; // unused by the system with a completion routine
    r.pending = owner.services_.ReadChanges(r.handle.get(), r.buffer.data(), kBufferBytes, filter,
                                            &r.overlapped, RootReadCompleted) != FALSE;
    return r.pending;
}

void TRootWatch::Completed(DWORD error, DWORD bytes) {
    if (error == ERROR_SUCCESS && bytes) {
        owner.RootChanged(*this, false, TakeRecords(bytes));
    } else if (error == ERROR_SUCCESS || error == ERROR_NOTIFY_ENUM_DIR) {
        oldName.clear();
        owner.RootChanged(*this, true, {});
    } else { // the read stopped (a dropped connection, a sleep): checks carry on
        owner.RootChanged(*this, true, {});
        Refused();
        return;
    }
    if (!Arm(*read)) Refused();
}

// Records are walked by their offsets and lengths: a record of a short name
// is smaller than the structure, and Wine packs them unaligned. The old name
// of a rename may end one read and its new name begin the next.
std::vector<TFolderWatches::Record> TRootWatch::TakeRecords(DWORD bytes) {
    const auto* base = reinterpret_cast<const BYTE*>(read->buffer.data());
    constexpr DWORD kHeader = offsetof(FILE_NOTIFY_INFORMATION, FileName);
    std::vector<TFolderWatches::Record> records;
    for (DWORD at = 0; at + kHeader <= bytes;) {
        DWORD header[3]; // next offset, action, name length
        std::memcpy(header, base + at, sizeof header);
        if (at + kHeader + header[2] > bytes) break;
        std::wstring name(header[2] / sizeof(WCHAR), L'\0');
        std::memcpy(name.data(), base + at + kHeader, name.size() * sizeof(WCHAR));
        if (header[1] == FILE_ACTION_RENAMED_OLD_NAME)
            oldName = std::move(name);
        else if (header[1] == FILE_ACTION_RENAMED_NEW_NAME && !oldName.empty())
            records.push_back({header[1], std::exchange(oldName, {}), std::move(name)});
        else
            records.push_back({header[1], std::move(name), {}});
        if (!header[0]) break;
        at += header[0];
    }
    return records;
}
