#include "tests/remote/remote_memory.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace remote {

RemoteBuffer::RemoteBuffer(HANDLE process, size_t size, DWORD protection)
    : process_(process),
      base_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, protection)),
      size_(size) {
    if (!base_) throwLastError("VirtualAllocEx of " + std::to_string(size) + " bytes");
}

RemoteBuffer::RemoteBuffer(RemoteBuffer&& other) noexcept
    : process_(other.process_), base_(std::exchange(other.base_, nullptr)), size_(other.size_) {}

RemoteBuffer::~RemoteBuffer() {
    if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
}

void RemoteBuffer::checkRange(size_t offset, size_t bytes) const {
    if (offset > size_ || bytes > size_ - offset)
        throw Error("remote buffer access out of range: " + std::to_string(offset) + "+" +
                    std::to_string(bytes) + " of " + std::to_string(size_));
}

void RemoteBuffer::write(size_t offset, const void* data, size_t bytes) {
    checkRange(offset, bytes);
    SIZE_T done = 0;
    if (!WriteProcessMemory(process_, static_cast<char*>(base_) + offset, data, bytes, &done) ||
        done != bytes)
        throwLastError("WriteProcessMemory");
}

void RemoteBuffer::read(size_t offset, void* data, size_t bytes) const {
    checkRange(offset, bytes);
    SIZE_T done = 0;
    if (!ReadProcessMemory(process_, static_cast<const char*>(base_) + offset, data, bytes,
                           &done) ||
        done != bytes)
        throwLastError("ReadProcessMemory");
}

void RemoteBuffer::fill(unsigned char byte) {
    const std::vector<unsigned char> bytes(size_, byte);
    write(0, bytes.data(), bytes.size());
}

std::string readRemoteString(HANDLE process, const void* address, size_t maxBytes) {
    // Read page by page, so that a short string near the end of the other
    // process's memory does not make the whole read fail.
    constexpr uintptr_t kPage = 4096;
    std::string text;
    uintptr_t at = reinterpret_cast<uintptr_t>(address);
    while (text.size() < maxBytes) {
        char chunk[kPage];
        const size_t bytes = std::min<size_t>(maxBytes - text.size(), kPage - at % kPage);
        SIZE_T done = 0;
        if (!ReadProcessMemory(process, reinterpret_cast<const void*>(at), chunk, bytes, &done) ||
            done != bytes)
            throwLastError("ReadProcessMemory of a string");
        const size_t length = std::find(chunk, chunk + bytes, '\0') - chunk;
        text.append(chunk, length);
        if (length < bytes) break;
        at += bytes;
    }
    return text;
}

RemoteWindow::RemoteWindow(HWND window) : window_(window) {
    DWORD id = 0;
    if (!GetWindowThreadProcessId(window, &id)) throwLastError("GetWindowThreadProcessId");
    process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                   PROCESS_QUERY_INFORMATION | PROCESS_CREATE_THREAD,
                               FALSE, id));
    if (!process_) throwLastError("OpenProcess " + std::to_string(id));
}

LRESULT RemoteWindow::send(UINT message, WPARAM wParam, LPARAM lParam) const {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window_, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
        throwLastError("SendMessageTimeoutA of message " + std::to_string(message));
    return static_cast<LRESULT>(result);
}

} // namespace remote
