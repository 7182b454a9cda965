// Owned Win32 handles and the error thrown when a system call fails.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <utility>

namespace remote {

// A failed system call; the message names the call and GetLastError's code.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Throws Error("what failed (error N)") with the calling thread's last error.
[[noreturn]] void throwLastError(const std::string& what);

// Owns a kernel handle and closes it once.
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(handle_, nullptr); }
    void reset(HANDLE handle = nullptr) {
        if (*this) CloseHandle(handle_);
        handle_ = handle;
    }

  private:
    HANDLE handle_ = nullptr;
};

} // namespace remote
