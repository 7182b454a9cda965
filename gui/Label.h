// A label: one line of text drawn by its parent, transparent by default.
#pragma once

#include "gui/Control.h"

enum TAlignment { taLeftJustify, taRightJustify };

struct TLabelProps {
    TControlProps control = {};
    const char* caption = "";
    bool autoSize = true;
    TAlignment alignment = taLeftJustify;
    bool transparent = true;
};

class TLabel : public TGraphicControl {
  public:
    TLabel(TComponent* owner, TWinControl* parent, const TLabelProps& props);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    void SetFontColor(TColor color);
    void Paint(HDC dc) override;

  private:
    void AdjustSize();

    std::string caption_;
    bool autoSize_;
    TAlignment alignment_;
    bool transparent_;
};
