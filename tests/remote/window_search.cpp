#include "tests/remote/window_search.h"

namespace remote {
namespace {

using WindowVisitor = std::function<void(HWND)>;

BOOL CALLBACK visit(HWND window, LPARAM visitor) {
    (*reinterpret_cast<const WindowVisitor*>(visitor))(window);
    return TRUE;
}

DWORD processOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

} // namespace

std::vector<HWND> topLevelWindows(DWORD processId) {
    std::vector<HWND> found;
    const WindowVisitor collect = [&](HWND w) {
        if (processOf(w) == processId) found.push_back(w);
    };
    EnumWindows(visit, reinterpret_cast<LPARAM>(&collect));
    return found;
}

HWND waitForTopLevelWindow(const Process& process, const std::function<bool(HWND)>& accept,
                           DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        for (HWND w : topLevelWindows(process.id()))
            if (IsWindowVisible(w) && accept(w)) return w;
        if (!process.running() || GetTickCount64() >= deadline) return nullptr;
        Sleep(50);
    }
}

HWND waitForTopLevelWindow(const Process& process, const std::string& caption, DWORD timeoutMs) {
    return waitForTopLevelWindow(
        process, [&](HWND w) { return windowText(w) == caption; }, timeoutMs);
}

std::vector<HWND> childWindows(HWND parent) {
    std::vector<HWND> found;
    const WindowVisitor collect = [&](HWND w) { found.push_back(w); };
    EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&collect));
    return found;
}

std::vector<HWND> directChildren(HWND parent) {
    std::vector<HWND> found;
    for (HWND w : childWindows(parent))
        if (GetAncestor(w, GA_PARENT) == parent) found.push_back(w);
    return found;
}

std::vector<HWND> findChildren(HWND parent, const std::string& name) {
    std::vector<HWND> found;
    for (HWND w : childWindows(parent))
        if (className(w) == name) found.push_back(w);
    return found;
}

std::string windowText(HWND window) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(
        static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string className(HWND window) {
    char name[256] = {};
    return std::string(name, static_cast<size_t>(GetClassNameA(window, name, sizeof name)));
}

RECT windowRect(HWND window) {
    RECT r{};
    if (!GetWindowRect(window, &r)) throwLastError("GetWindowRect");
    return r;
}

RECT clientRect(HWND window) {
    RECT r{};
    if (!GetClientRect(window, &r)) throwLastError("GetClientRect");
    return r;
}

RECT rectInClient(HWND window, HWND reference) {
    RECT r = windowRect(window);
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    if (!ScreenToClient(reference, &corners[0]) || !ScreenToClient(reference, &corners[1]))
        throwLastError("ScreenToClient");
    return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

POINT toScreen(HWND window, POINT client) {
    if (!ClientToScreen(window, &client)) throwLastError("ClientToScreen");
    return client;
}

} // namespace remote
