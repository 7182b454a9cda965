// A bevel: an etched horizontal line along the top of its bounds, the usual
// divider between groups of a dialog.
#pragma once

#include "gui/Control.h"
#include "gui/Panel.h"

struct TBevelProps {
    TControlProps control = {};
    TBevelCut style = bvLowered; // lowered: etched; raised: bump
};

class TBevel : public TGraphicControl {
  public:
    TBevel(TComponent* owner, TWinControl* parent, const TBevelProps& props)
        : TGraphicControl(owner, parent, props.control), style_(props.style) {}

    TBevelCut Style() const { return style_; }
    void Paint(HDC dc) override;

  private:
    TBevelCut style_;
};
