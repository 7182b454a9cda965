// Controls: the parts of a window with a place, alignment, fonts, colours
// and mouse events. Windowed controls (gui/WinControl.h) own a window;
// graphic controls are drawn by their parent and get their mouse events
// from it.
#pragma once

#include "gui/Component.h"
#include "gui/Graphics.h"
#include "gui/Types.h"

class TWinControl;

// Values of a control's stored layout; sizes are pixels at 96 dpi.
struct TControlProps {
    const char* name = "";
    int left = 0, top = 0, width = 0, height = 0;
    TAlign align = alNone;
    bool visible = true;
    bool enabled = true;
    TCursor cursor = crDefault;
    TColor color = clNone; // clNone: the class's own colour
    bool parentColor = true;
    const char* windowClass = nullptr; // forms: the window class name
    const TFontSpec* font = nullptr;   // null: the parent's font
};

class TControl : public TComponent {
  public:
    TControl(TComponent* owner, TWinControl* parent, const TControlProps& props);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    TAlign Align() const { return align_; }

    int Left() const { return bounds_.left; }
    int Top() const { return bounds_.top; }
    int Width() const { return bounds_.right - bounds_.left; }
    int Height() const { return bounds_.bottom - bounds_.top; }
    const RECT& BoundsRect() const { return bounds_; }
    virtual void SetBounds(int left, int top, int width, int height);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    TCursor Cursor() const { return cursor_; }

    TColor Color() const;
    bool ParentColor() const { return parentColor_; }

    const TFont& Font() const;
    void SetFont(const TFontSpec& fontSpec);
    bool ParentFont() const { return parentFont_; }

    virtual void Invalidate();

    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // Mouse input, in the control's own coordinates.
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // A press and release within the control; only graphic controls have
    // an event of it here, windowed ones publish their own.
    virtual void Click() {}

  protected:
    // The colour a control has when its layout gives none.
    virtual TColor DefaultColor() const { return clBtnFace; }
    virtual void ColorChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }

  private:
    TWinControl* parent_;
    RECT bounds_{};
    TAlign align_;
    bool visible_;
    bool enabled_;
    TCursor cursor_;
    TColor color_;
    bool parentColor_;
    bool parentFont_;
    TFont font_;
};

// A control without a window of its own, painted by its parent.
class TGraphicControl : public TControl {
  public:
    using TControl::TControl;
    virtual void Paint(HDC dc) = 0;
    void Invalidate() override;
    void Click() override;

    TNotifyEvent OnClick;
};
