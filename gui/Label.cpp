#include "gui/Label.h"

#include "gui/Owners.h"

TLabel::TLabel(TComponent* owner, TWinControl* parent, const TLabelProps& p)
    : TGraphicControl(owner, parent, p.control), caption_(p.caption), autoSize_(p.autoSize),
      alignment_(p.alignment), transparent_(p.transparent) {
    AdjustSize();
}

void TLabel::SetCaption(const std::wstring& caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    AdjustSize();
    Invalidate();
}

void TLabel::SetFontColor(TColor color) {
    if (Font().Color() == color) return;
    TFontSpec fontSpec = Font().Description();
    fontSpec.color = color;
    SetFont(fontSpec);
}

void TLabel::AdjustSize() {
    if (!autoSize_) return;
    SIZE size{};
    {
        WindowDC screen(nullptr);
        SelectedObject font(screen.get(), Font().Handle());
        GetTextExtentPoint32W(screen.get(), caption_.c_str(), int(caption_.size()), &size);
    }
    SetBounds(Left(), Top(), size.cx, size.cy);
}

void TLabel::Paint(HDC dc) {
    RECT r{0, 0, Width(), Height()};
    if (!transparent_) {
        UniqueGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(Color())));
        FillRect(dc, &r, brush.get());
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font().Color()));
    SelectedObject font(dc, Font().Handle());
    UINT format = DT_SINGLELINE | DT_NOPREFIX | (alignment_ == taRightJustify ? DT_RIGHT : DT_LEFT);
    DrawTextW(dc, caption_.c_str(), int(caption_.size()), &r, format);
}
