// A status bar showing one simple panel across its whole width.
#pragma once

#include "gui/Control.h"

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
    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& text);

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

  private:
    bool simplePanel_;
    std::string simpleText_;
};
