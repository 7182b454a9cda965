// A timer that calls OnTimer on the GUI thread at a fixed interval.
#pragma once

#include "gui/Component.h"

struct TTimerProps {
    const char* name = "";
    UINT interval = 1000; // milliseconds
    bool enabled = true;
};

class TTimer : public TComponent {
  public:
    TTimer(TComponent* owner, const TTimerProps& props);
    ~TTimer() override;

    bool Enabled() const { return id_ != 0; }
    void SetEnabled(bool enabled);
    UINT Interval() const { return interval_; }

    TNotifyEvent OnTimer;

  private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
    UINT interval_;
    UINT_PTR id_ = 0;
};
