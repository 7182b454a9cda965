// Finding another program's windows and reading what any program can read
// of them: caption, class name and rectangles.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/remote/process.h"

namespace remote {

// The top-level windows (EnumWindows) owned by process `processId`, in z-order.
std::vector<HWND> topLevelWindows(DWORD processId);

// Polls every 50 ms, for at most `timeoutMs`, for a visible top-level window
// of `process` that satisfies `accept`; nullptr if none appeared in time or
// the program ended first.
HWND waitForTopLevelWindow(const Process& process, const std::function<bool(HWND)>& accept,
                           DWORD timeoutMs);

// The same, for a visible top-level window whose caption is exactly `caption`.
HWND waitForTopLevelWindow(const Process& process, const std::string& caption, DWORD timeoutMs);

// All descendants of `parent` as EnumChildWindows gives them: depth first,
// each level in z-order (topmost first).
std::vector<HWND> childWindows(HWND parent);

// The children whose parent is `parent` itself, in z-order.
std::vector<HWND> directChildren(HWND parent);

// The descendants of `parent` whose class name is exactly `className`.
std::vector<HWND> findChildren(HWND parent, const std::string& className);

std::string windowText(HWND window); // GetWindowTextA: bytes in the ANSI code page
std::string className(HWND window);  // GetClassNameA
RECT windowRect(HWND window);        // GetWindowRect, screen coordinates
RECT clientRect(HWND window);        // GetClientRect

// The window rectangle of `window` in the client coordinates of `reference`.
RECT rectInClient(HWND window, HWND reference);

// A point in `window`'s client coordinates in screen coordinates.
POINT toScreen(HWND window, POINT client);

inline LONG width(const RECT& r) {
    return r.right - r.left;
}
inline LONG height(const RECT& r) {
    return r.bottom - r.top;
}
inline POINT centre(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

} // namespace remote
