// A status bar showing one simple panel across its whole width.
#pragma once

#include "gui/WinControl.h"

struct TStatusBarProps {
    TControlProps control = {};
    bool simplePanel = false;
};

class TStatusBar : public TWinControl {
  public:
    TStatusBar(TComponent* owner, TWinControl* parent, const TStatusBarProps& props)
        : TWinControl(owner, parent, props.control), simplePanel_(props.simplePanel) {}

    bool SimplePanel() const { return simplePanel_; }
    // The text exactly as handed to the status bar.
    const std::wstring& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::wstring& text);

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

  private:
    bool simplePanel_;
    std::wstring simpleText_;
};

// Holds a status bar's painting back while its text changes faster than a
// person can read it: every text is still handed to the bar, but the bar is
// repainted at most once per interval, and once more at the end.
class TStatusBarPaintThrottle {
  public:
    TStatusBarPaintThrottle(TStatusBar& bar, DWORD interval);
    ~TStatusBarPaintThrottle();
    TStatusBarPaintThrottle(const TStatusBarPaintThrottle&) = delete;
    TStatusBarPaintThrottle& operator=(const TStatusBarPaintThrottle&) = delete;

    // Call after each change: repaints when the interval has passed.
    void Tick();

  private:
    void SetRedraw(bool on);
    TStatusBar& bar_;
    DWORD interval_;
    DWORD lastPaint_;
};
