// A person at the X server's pointer and keyboard, through xdotool, for the
// end-to-end tests, and the bounded polling they wait with.
#pragma once

#include "tests/support/UnixShell.h"

#include <windows.h>

#include <functional>
#include <sstream>
#include <string>

namespace e2e {

inline constexpr DWORD kStepTimeoutMs = 15000; // a bound for each visible effect

// Polls `done` every 50 ms for at most `timeoutMs`.
inline bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs = kStepTimeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
}

// Each action waits for xdotool to end; a pointer move also waits until
// Windows reports the cursor at the place asked for.
class Person {
  public:
    // Moves the pointer to `screen`; false if Windows does not see it there.
    bool moveTo(POINT screen) {
        if (RunUnixShell("xdotool mousemove " + std::to_string(screen.x) + " " +
                         std::to_string(screen.y)) != 0)
            return false;
        return waitUntil([&] {
            POINT now{};
            return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
        });
    }

    // Clicks (or double-clicks) `button` (1 left, 3 right) at `screen`.
    bool click(POINT screen, int times = 1, int button = 1) {
        if (!moveTo(screen)) return false;
        std::ostringstream command;
        command << "xdotool click";
        if (times > 1) command << " --repeat " << times << " --delay 80";
        command << " " << button;
        return RunUnixShell(command.str()) == 0;
    }

    // Presses or lets go of `button` (1 left) where the pointer is.
    bool press(int button = 1) {
        return RunUnixShell("xdotool mousedown " + std::to_string(button)) == 0;
    }
    bool release(int button = 1) {
        return RunUnixShell("xdotool mouseup " + std::to_string(button)) == 0;
    }

    // Moves the pointer from `from` to `to` in `steps` even moves, as a hand
    // drags something across.
    bool glide(POINT from, POINT to, int steps = 12) {
        for (int i = 1; i <= steps; ++i)
            if (!moveTo(
                    {from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps}))
                return false;
        return true;
    }

    // One notch of the wheel at the pointer's place.
    bool wheel(bool down) {
        return RunUnixShell(std::string("xdotool click ") + (down ? "5" : "4")) == 0;
    }

    // A key press and release (an X keysym name) at the pointer's window.
    bool key(const std::string& keysym) { return RunUnixShell("xdotool key " + keysym) == 0; }
};

} // namespace e2e
