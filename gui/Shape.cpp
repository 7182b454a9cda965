#include "gui/Shape.h"

void TShape::Paint(HDC dc) {
    RECT r{0, 0, Width(), Height()};
    if (brushColor_ != clNone) {
        UniqueGdiObject<HBRUSH> fill(CreateSolidBrush(ColorToRGB(brushColor_)));
        FillRect(dc, &r, fill.get());
    }
    // Frames drawn with a brush need no pen selected into the caller's DC.
    UniqueGdiObject<HBRUSH> frame(CreateSolidBrush(ColorToRGB(penColor_)));
    for (int i = 0; i < penWidth_ && r.right > r.left && r.bottom > r.top; ++i) {
        FrameRect(dc, &r, frame.get());
        InflateRect(&r, -1, -1);
    }
}
