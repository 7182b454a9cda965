// A volume's or share's root read for the names changed anywhere below it
// (ReadDirectoryChangesW over the subtree): the one handle the watches
// (FolderTreeWatch.h) hold per root. A read's completion routine runs on
// the GUI thread in an alertable wait and hands the records to the
// watches; a read that stops, or cannot start, is tried again after a wait
// that doubles. The root's handle is registered for device events, so that
// it can be closed when its volume is about to be removed.
#pragma once

#include "folder_tree/FolderTreeWatch.h"
#include "gui/Owners.h"

#include <memory>
#include <string>
#include <vector>

struct TRootWatch;

// One read's handle and memory. The system writes into them until the read
// completes, so a read given back lives on until its cancellation completes.
struct TRootRead {
    TRootRead(TRootWatch* watch, UniqueHandle root);
    ~TRootRead() { --live; }
    TRootRead(const TRootRead&) = delete;
    TRootRead& operator=(const TRootRead&) = delete;

    // Reads alive, those waiting for their cancellation included.
    static inline int live = 0;
    // Whether some read given back still waits for its cancellation.
    static bool AnyRetired();
    TRootWatch* owner; // null once given back
    UniqueHandle handle;
    OVERLAPPED overlapped{};
    std::vector<DWORD> buffer; // DWORD-aligned, as the notifications need
    bool pending = false;
};

struct TRootWatch {
    enum TState { kReading, kRefused, kOpening, kRemoving, kRemoved };

    TRootWatch(TFolderWatches& watches, std::wstring rootPath, DWORD notifyFilter)
        : owner(watches), root(std::move(rootPath)), filter(notifyFilter) {}
    ~TRootWatch() { Stop(); }
    TRootWatch(const TRootWatch&) = delete;
    TRootWatch& operator=(const TRootWatch&) = delete;

    bool Serving() const;
    // The root opened by the next round, then read from.
    void Ask();
    // Here, for a volume known to be there.
    void StartHere();
    // Reads from the handle a round opened (none: the root refused).
    void Begin(UniqueHandle handle);
    // The handle closed now; the read's memory once its cancellation completes.
    void Stop();
    void Refused();
    bool RetryDue() const;
    void Completed(DWORD error, DWORD bytes);

    TFolderWatches& owner;
    std::wstring root;
    DWORD filter;
    std::unique_ptr<TRootRead> read;
    UniqueDeviceNotification notification;
    HANDLE registered = nullptr; // the handle the registration names, even once closed
    TState state = kRefused;
    bool asked = false; // opening: in a round already
    DWORD refusedAt = 0, retryWait = 0;
    std::wstring oldName; // of a rename whose new name has not come yet

  private:
    bool Arm(TRootRead& r);
    std::vector<TFolderWatches::Record> TakeRecords(DWORD bytes);
};
