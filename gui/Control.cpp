#include "gui/Control.h"

#include "gui/WinControl.h"

TControl::TControl(TComponent* owner, TWinControl* parent, const TControlProps& p)
    : TComponent(owner, p.name), parent_(parent), align_(p.align), visible_(p.visible),
      enabled_(p.enabled), cursor_(p.cursor), color_(p.color), parentColor_(p.parentColor),
      parentFont_(p.font == nullptr) {
    const TScreen& s = Screen();
    bounds_ = {s.Scale(p.left), s.Scale(p.top), s.Scale(p.left + p.width),
               s.Scale(p.top + p.height)};
    if (p.font) font_ = TFont(*p.font);
    if (parent_) parent_->InsertControl(this);
}

TControl::~TControl() {
    if (parent_) parent_->RemoveControl(this);
}

// A control's colour and font are its parent's unless it has its own.
TColor TControl::Color() const {
    if (parentColor_ && parent_) return parent_->Color();
    return color_ == clNone ? DefaultColor() : color_;
}

const TFont& TControl::Font() const {
    if (parentFont_ && parent_) return parent_->Font();
    return font_;
}

void TControl::SetFont(const TFontSpec& fontSpec) {
    font_ = TFont(fontSpec);
    parentFont_ = false;
    FontChanged();
}

void TControl::SetBounds(int left, int top, int width, int height) {
    RECT r{left, top, left + width, top + height};
    if (EqualRect(&r, &bounds_)) return;
    Invalidate();
    bounds_ = r;
    Invalidate();
}

void TControl::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Invalidate();
    if (parent_) parent_->AlignControls();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Invalidate();
}

void TControl::Invalidate() {}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TGraphicControl::Click() {
    if (OnClick) OnClick(this);
}

void TGraphicControl::Invalidate() {
    TWinControl* p = Parent();
    if (p && p->HandleAllocated()) InvalidateRect(p->Handle(), &BoundsRect(), TRUE);
}
