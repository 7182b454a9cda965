// Memory inside another process, for the messages whose parameters point to
// buffers: the buffer must live in the process that owns the window. The
// reader is built for the architecture of the program it reads, so the
// control structures have the same layout in each.
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>

#include "tests/remote/handle.h"

namespace remote {

// A block allocated in another process with VirtualAllocEx, freed on destruction.
class RemoteBuffer {
  public:
    // `process` needs PROCESS_VM_OPERATION, PROCESS_VM_READ and PROCESS_VM_WRITE;
    // it must outlive the buffer. `protection` is VirtualAllocEx's PAGE_*.
    RemoteBuffer(HANDLE process, size_t size, DWORD protection = PAGE_READWRITE);
    ~RemoteBuffer();
    RemoteBuffer(RemoteBuffer&& other) noexcept;
    RemoteBuffer& operator=(RemoteBuffer&&) = delete;
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    // The block's address in the other process, as a message parameter.
    LPARAM address(size_t offset = 0) const { return reinterpret_cast<LPARAM>(base_) + offset; }
    size_t size() const { return size_; }

    void write(size_t offset, const void* data, size_t bytes);
    void read(size_t offset, void* data, size_t bytes) const;
    void fill(unsigned char byte);

    template <class T> void put(const T& value, size_t offset = 0) {
        static_assert(std::is_trivially_copyable_v<T>);
        write(offset, &value, sizeof value);
    }
    template <class T> T get(size_t offset = 0) const {
        static_assert(std::is_trivially_copyable_v<T>);
        T value;
        read(offset, &value, sizeof value);
        return value;
    }

  private:
    void checkRange(size_t offset, size_t bytes) const;

    HANDLE process_;
    void* base_;
    size_t size_;
};

// Reads a NUL-terminated byte string of at most `maxBytes` bytes at `address`
// in `process` (the bytes before the first NUL, or all `maxBytes`).
std::string readRemoteString(HANDLE process, const void* address, size_t maxBytes);

// The process that owns a window, opened for its memory (and for starting
// threads there), with messages sent to the window under a time limit.
class RemoteWindow {
  public:
    explicit RemoteWindow(HWND window);

    HWND window() const { return window_; }
    HANDLE process() const { return process_.get(); }
    RemoteBuffer allocate(size_t size) const { return RemoteBuffer(process_.get(), size); }

    // SendMessageTimeoutA with a 5 s limit; throws Error if the window did not
    // answer in time.
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  private:
    HWND window_;
    UniqueHandle process_;
};

} // namespace remote
