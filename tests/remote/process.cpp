#include "tests/remote/process.h"

#include <vector>

namespace remote {

Process Process::start(const std::string& exePath, const std::string& arguments,
                       const std::string& currentDirectory) {
    std::string line = "\"" + exePath + "\"";
    if (!arguments.empty()) line += " " + arguments;
    std::vector<char> commandLine(line.begin(), line.end()); // CreateProcessA may write to it
    commandLine.push_back('\0');

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup,
                        &info))
        throwLastError("CreateProcessA " + exePath);
    return Process(UniqueHandle(info.hProcess), UniqueHandle(info.hThread), info.dwProcessId);
}

Process::~Process() {
    if (process_) terminate();
}

bool Process::running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::waitForExit(DWORD timeoutMs) const {
    if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_.get(), &code)) throwLastError("GetExitCodeProcess");
    return code;
}

bool Process::waitForInputIdle(DWORD timeoutMs) const {
    return process_ && WaitForInputIdle(process_.get(), timeoutMs) == 0;
}

void Process::terminate(UINT exitCode) {
    if (!running()) return;
    TerminateProcess(process_.get(), exitCode);
    WaitForSingleObject(process_.get(), 10000);
}

} // namespace remote
