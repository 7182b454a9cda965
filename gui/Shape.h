// A shape: a rectangle filled with a brush colour and framed with a pen.
#pragma once

#include "gui/Control.h"

struct TShapeProps {
    TControlProps control = {};
    TColor brushColor = clWhite; // clNone: not filled
    TColor penColor = clBlack;
    int penWidth = 1; // pixels, inside the bounds; 0: no frame
};

class TShape : public TGraphicControl {
  public:
    TShape(TComponent* owner, TWinControl* parent, const TShapeProps& props)
        : TGraphicControl(owner, parent, props.control), brushColor_(props.brushColor),
          penColor_(props.penColor), penWidth_(props.penWidth) {}

    TColor BrushColor() const { return brushColor_; }
    TColor PenColor() const { return penColor_; }
    int PenWidth() const { return penWidth_; }
    void Paint(HDC dc) override;

  private:
    TColor brushColor_;
    TColor penColor_;
    int penWidth_;
};
