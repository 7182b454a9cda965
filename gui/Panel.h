// A panel: a bevelled area that holds other controls.
#pragma once

#include "gui/WinControl.h"

enum TBevelCut { bvNone, bvLowered, bvRaised };

struct TPanelProps {
    TControlProps control = {};
    TBevelCut bevelInner = bvNone;
    TBevelCut bevelOuter = bvRaised;
};

class TPanel : public TWinControl {
  public:
    TPanel(TComponent* owner, TWinControl* parent, const TPanelProps& props)
        : TWinControl(owner, parent, props.control), inner_(props.bevelInner),
          outer_(props.bevelOuter) {}

  protected:
    void PaintWindow(HDC dc) override;

  private:
    TBevelCut inner_;
    TBevelCut outer_;
};
