// The folder tree's services as tests give them: a clock moved by hand whose
// pauses are recorded and never waited (or, for a person's real drag, the
// system's clock); message boxes recorded and never shown; shell execution,
// drive types, the verbs and the allocator each the system's own unless the
// test puts its own in; with `fakeChanges`, the changes below watched roots
// are those the test delivers.
#pragma once

#include "folder_tree/TreeServices.h"

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class TestTreeServices : public TTreeServices {
  public:
    DWORD now = 1000;
    bool realClock = false;
    std::vector<DWORD> pauses;
    struct Message {
        HWND owner;
        std::string text, caption;
        UINT type;
    };
    std::vector<Message> messages;
    // The owners of the boxes shown with `text`, in order.
    std::vector<HWND> OwnersOf(const std::string& text) const {
        std::vector<HWND> owners;
        for (const Message& m : messages)
            if (m.text == text) owners.push_back(m.owner);
        return owners;
    }

    IMalloc* malloc = nullptr;
    std::function<BOOL(SHELLEXECUTEINFOA*)> execute;
    std::function<UINT(const char*)> driveType;
    std::function<bool(HWND, const std::wstring&, TShellVerb)> pathVerb;
    std::function<bool(HWND, IShellFolder*, LPCITEMIDLIST, TShellVerb)> itemVerb;

    Microsoft::WRL::ComPtr<IMalloc> Malloc() override {
        return malloc ? Microsoft::WRL::ComPtr<IMalloc>(malloc) : TTreeServices::Malloc();
    }
    DWORD Tick() override { return realClock ? TTreeServices::Tick() : now; }
    void Pause(DWORD milliseconds) override {
        pauses.push_back(milliseconds);
        if (realClock) TTreeServices::Pause(milliseconds);
    }
    BOOL Execute(SHELLEXECUTEINFOA* info) override {
        return execute ? execute(info) : TTreeServices::Execute(info);
    }
    int ShowMessage(HWND owner, const char* text, const char* caption, UINT type) override {
        messages.push_back({owner, text, caption, type});
        return IDOK;
    }
    UINT DriveType(const char* root) override {
        return driveType ? driveType(root) : TTreeServices::DriveType(root);
    }
    bool PathVerb(HWND wnd, const std::wstring& path, TShellVerb verb) override {
        return pathVerb ? pathVerb(wnd, path, verb) : TTreeServices::PathVerb(wnd, path, verb);
    }
    // A listing is waited for this long before its node shows a
    // placeholder; `listingBegins` runs on each listing's own thread.
    DWORD listingWait = 20000;
    std::function<void()> listingBegins;
    DWORD ListingWait() override { return listingWait; }
    void ListingBegins() override {
        if (listingBegins) listingBegins();
    }
    bool fakeChanges = false;
    bool refuseChanges = false;  // every read fails, as on a share that refuses watches
    HANDLE changeRoot = nullptr; // the last root handed out
    void* readBuffer = nullptr;
    OVERLAPPED* readOverlapped = nullptr;
    LPOVERLAPPED_COMPLETION_ROUTINE readDone = nullptr;
    // Completes the pending read with these records (names below the root);
    // with none, as a read that overflowed.
    void Deliver(const std::vector<std::pair<DWORD, std::wstring>>& records) {
        auto* at = static_cast<BYTE*>(readBuffer);
        for (std::size_t i = 0; i < records.size(); ++i) {
            const DWORD length = DWORD(records[i].second.size() * sizeof(WCHAR));
            const DWORD header[3] = {i + 1 < records.size() ? (12 + length + 3) & ~3u : 0,
                                     records[i].first, length};
            std::memcpy(at, header, sizeof header);
            std::memcpy(at + 12, records[i].second.data(), length);
            at += (12 + length + 3) & ~3u;
        }
        const DWORD bytes = DWORD(at - static_cast<BYTE*>(readBuffer));
        std::exchange(readDone, nullptr)(ERROR_SUCCESS, bytes, readOverlapped);
    }
    std::function<void()> rootOpens; // on the thread that opens a root, before it does
    HANDLE OpenChangeRoot(const std::wstring& root) override {
        if (rootOpens) rootOpens();
        if (!fakeChanges) return TTreeServices::OpenChangeRoot(root);
        return changeRoot = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    BOOL ReadChanges(HANDLE root, void* buffer, DWORD bytes, DWORD filter, OVERLAPPED* overlapped,
                     LPOVERLAPPED_COMPLETION_ROUTINE done) override {
        if (!fakeChanges)
            return TTreeServices::ReadChanges(root, buffer, bytes, filter, overlapped, done);
        SetLastError(ERROR_INVALID_FUNCTION);
        if (refuseChanges) return FALSE;
        readBuffer = buffer, readOverlapped = overlapped, readDone = done;
        return TRUE;
    }
    // A cancelled read completes in the next alertable wait, as the system's.
    void CancelChanges(HANDLE root, OVERLAPPED* overlapped) override {
        if (!fakeChanges) return TTreeServices::CancelChanges(root, overlapped);
        if (overlapped == readOverlapped) cancelled = std::exchange(readDone, nullptr);
        QueueUserAPC(Cancelled, GetCurrentThread(), ULONG_PTR(overlapped));
    }
    static inline LPOVERLAPPED_COMPLETION_ROUTINE cancelled = nullptr;
    static void WINAPI Cancelled(ULONG_PTR overlapped) {
        cancelled(ERROR_OPERATION_ABORTED, 0, reinterpret_cast<OVERLAPPED*>(overlapped));
    }
    bool ChangesComplete() override { return fakeChanges || TTreeServices::ChangesComplete(); }

    bool ItemVerb(HWND wnd, IShellFolder* folder, LPCITEMIDLIST item, TShellVerb verb) override {
        return itemVerb ? itemVerb(wnd, folder, item, verb)
                        : TTreeServices::ItemVerb(wnd, folder, item, verb);
    }
};
