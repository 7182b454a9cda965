#include "tests/support/EndToEnd.h"

#include "tests/remote/window_search.h"
#include "tests/support/WinePaths.h"

#ifndef KELVANE_EXE
#error "KELVANE_EXE must name Kelvane.exe (set by tests/CMakeLists.txt)"
#endif

namespace e2e {

std::string kelvanePath() {
    return WindowsPath(KELVANE_EXE);
}

HWND startKelvane(std::optional<remote::Process>& process, std::string& error,
                  const std::string& exePath, const std::string& currentDirectory) {
    try {
        process.emplace(remote::Process::start(exePath, {}, currentDirectory));
    } catch (const remote::Error& e) {
        error = e.what();
        return nullptr;
    }
    HWND main = remote::waitForTopLevelWindow(
        *process, [](HWND w) { return GetWindow(w, GW_OWNER) == nullptr; }, kStartTimeoutMs);
    if (!main) {
        const auto code = process->waitForExit(0);
        error = "no visible main window of " + exePath + " within " +
                std::to_string(kStartTimeoutMs / 1000) + " s; the program " +
                (code ? "ended with exit code " + std::to_string(*code) : "is still running");
        return nullptr;
    }
    process->waitForInputIdle(5000); // let it finish laying out its window
    return main;
}

} // namespace e2e
