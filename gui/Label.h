// A label: one line of text drawn by its parent, transparent by default.
#pragma once

#include "gui/Control.h"

enum TAlignment { taLeftJustify, taRightJustify };

struct TLabelProps {
    TControlProps control = {};
    const wchar_t* caption = L"";
    bool autoSize = true;
    TAlignment alignment = taLeftJustify;
    bool transparent = true;
};

class TLabel : public TGraphicControl {
  public:
    TLabel(TComponent* owner, TWinControl* parent, const TLabelProps& props);

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);
    void SetFontColor(TColor color);
    void Paint(HDC dc) override;

  private:
    void AdjustSize();

    std::wstring caption_;
    bool autoSize_;
    TAlignment alignment_;
    bool transparent_;
};
