#include "gui/Timer.h"

#include <map>

namespace {
std::map<UINT_PTR, TTimer*>& Timers() {
    static std::map<UINT_PTR, TTimer*> timers;
    return timers;
}
} // namespace

TTimer::TTimer(TComponent* owner, const TTimerProps& p)
    : TComponent(owner, p.name), interval_(p.interval) {
    SetEnabled(p.enabled);
}

TTimer::~TTimer() {
    SetEnabled(false);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == Enabled()) return;
    if (enabled) {
        id_ = SetTimer(nullptr, 0, interval_, TimerProc);
        if (id_) Timers()[id_] = this;
    } else {
        KillTimer(nullptr, id_);
        Timers().erase(id_);
        id_ = 0;
    }
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Timers().find(id);
    if (it != Timers().end() && it->second->OnTimer) it->second->OnTimer(it->second);
}
