// Starting another program and ending it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "tests/remote/handle.h"

namespace remote {

// A program started with CreateProcessA. Owns its process and thread handles;
// a program still running when its Process is destroyed is terminated.
class Process {
  public:
    // Starts `exePath` with `arguments` appended to its quoted path on the
    // command line, in `currentDirectory` (the caller's when empty).
    // Throws Error when the program cannot be started.
    static Process start(const std::string& exePath, const std::string& arguments = {},
                         const std::string& currentDirectory = {});

    Process(Process&&) = default;
    Process& operator=(Process&&) = delete;
    ~Process();

    DWORD id() const { return id_; }
    HANDLE handle() const { return process_.get(); }
    bool running() const;

    // Waits at most `timeoutMs` for the program to end; its exit code if it did.
    std::optional<DWORD> waitForExit(DWORD timeoutMs) const;

    // Waits at most `timeoutMs` until the program waits for input with nothing
    // to do (WaitForInputIdle); false if it did not happen in time.
    bool waitForInputIdle(DWORD timeoutMs) const;

    // Ends the program if it is still running and waits for it to be gone.
    void terminate(UINT exitCode = 1);

  private:
    Process(UniqueHandle process, UniqueHandle thread, DWORD id)
        : process_(std::move(process)), thread_(std::move(thread)), id_(id) {}

    UniqueHandle process_;
    UniqueHandle thread_;
    DWORD id_ = 0;
};

} // namespace remote
