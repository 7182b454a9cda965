// An image: a picture from the program's resources, an icon or a bitmap,
// drawn at its own size at the top left of the control.
#pragma once

#include "gui/Control.h"
#include "gui/Owners.h"

struct TImageProps {
    TControlProps control = {};
    int iconResource = 0;   // loaded at the control's size at 96 dpi
    int bitmapResource = 0; // used when there is no icon
};

class TImage : public TGraphicControl {
  public:
    TImage(TComponent* owner, TWinControl* parent, const TImageProps& props);

    HICON Icon() const { return icon_.get(); }
    HBITMAP Bitmap() const { return bitmap_.get(); }
    void Paint(HDC dc) override;

  private:
    UniqueIcon icon_;
    UniqueGdiObject<HBITMAP> bitmap_;
};
