// The tick count and the pauses of drag and drop on the GUI thread. The
// program uses GetTickCount and Sleep; tests put their own clock in so the
// hover and scroll timers run without waiting.
#pragma once

#include <windows.h>

#include <functional>

struct TTreeClock {
    std::function<DWORD()> tick = [] { return GetTickCount(); };
    std::function<void(DWORD)> sleep = [](DWORD ms) { Sleep(ms); };
};

inline TTreeClock& TreeClock() {
    static TTreeClock clock;
    return clock;
}
