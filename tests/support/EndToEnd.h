// What the end-to-end tests of the real Kelvane.exe share: starting it and
// finding its main window, the classes of its windows, and texts as bytes
// for failure messages.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "tests/remote/process.h"

namespace e2e {

inline constexpr DWORD kStartTimeoutMs = 20000;
inline constexpr DWORD kExitTimeoutMs = 15000;

inline constexpr char kToolBarClass[] = "ToolbarWindow32";
inline constexpr char kStatusBarClass[] = "msctls_statusbar32";
inline constexpr char kTreeClass[] = "SysTreeView32";

// Kelvane.exe as Windows names it; the build gives its Unix path.
std::string kelvanePath();

// Starts Kelvane.exe (or a copy of it at `exePath`, in `currentDirectory`)
// and waits for its main window (a visible top-level window of the process
// with no owner) and for the program to be idle; nullptr, and in `error`
// why, if that did not happen.
HWND startKelvane(std::optional<remote::Process>& process, std::string& error,
                  const std::string& exePath = kelvanePath(),
                  const std::string& currentDirectory = {});

} // namespace e2e
