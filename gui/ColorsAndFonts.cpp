// Colours and fonts, a control's own or its parent's.
#include "gui/Control.h"
#include "gui/WinControl.h"

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

void TWinControl::ApplyFont() {
    if (handle_) SendMessageA(handle_, WM_SETFONT, WPARAM(Font().Handle()), TRUE);
}

void TWinControl::FontChanged() {
    ApplyFont();
    for (TControl* c : controls_)
        if (c->ParentFont()) {
            if (auto* w = dynamic_cast<TWinControl*>(c)) w->FontChanged();
        }
    Invalidate();
}

void TWinControl::ColorChanged() {
    brush_.reset();
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->ParentColor()) w->ColorChanged();
    Invalidate();
}
