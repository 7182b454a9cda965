// What the watches (FolderTreeWatch.h) read of the file system, gathered
// into one round done off the window's thread (ThreadJob.h): folders
// resolved (FolderIdentity.h), their last-write times checked, roots opened
// for reading their changes. Each of these is a brief open or a query, but
// on a share whose server is gone each holds its caller for the network's
// timeout; the window hands them to the round and goes on. The thread posts
// `message` to the window, with wParam 0, once the round is done.
#pragma once

#include "folder_tree/FolderIdentity.h"
#include "folder_tree/ThreadJob.h"

#include <functional>
#include <string>
#include <vector>

// The message a round of the watches comes back with.
UINT TreeWatchMessage();

struct TWatchProbe {
    enum TKind { kResolve, kLastWrite, kOpenRoot };
    TWatchProbe(TKind what, std::wstring where, const void* whom, unsigned forTicket = 0)
        : kind(what), path(std::move(where)), about(whom), ticket(forTicket) {}
    TKind kind;
    std::wstring path; // a folder, or a root for kOpenRoot
    const void* about; // whom the answer is for, as the asker knows it
    unsigned ticket;
    // The answers.
    bool opened = false;
    TFolderIdentity identity;
    ULONGLONG lastWrite = 0; // 0 when it cannot be read
    UniqueHandle root;
};

class TWatchRound : public TThreadJob {
  public:
    using TOpenRoot = std::function<HANDLE(const std::wstring&)>;
    // `openRoot` opens a root for its reads; it is called on the round's thread.
    static std::shared_ptr<TWatchRound> Start(std::vector<TWatchProbe> probes, TOpenRoot openRoot,
                                              HWND window);
    // Answered, only once Done().
    std::vector<TWatchProbe>& Probes() { return probes_; }

  private:
    TWatchRound(std::vector<TWatchProbe> probes, TOpenRoot openRoot, HWND window)
        : TThreadJob(window, TreeWatchMessage(), 0), probes_(std::move(probes)),
          openRoot_(std::move(openRoot)) {}
    void Work() override;
    bool NeedsApartment() const override { return false; } // files and handles only

    std::vector<TWatchProbe> probes_;
    TOpenRoot openRoot_;
};
