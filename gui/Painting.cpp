// Windows of the framework's own classes paint their background in their
// colour and their graphic children in creation order, each clipped to its
// place and drawn in its own coordinates.
#include "gui/WinControl.h"

void TWinControl::EraseBackground(HDC dc) {
    if (!brush_) brush_.reset(CreateSolidBrush(ColorToRGB(Color())));
    RECT r;
    GetClientRect(handle_, &r);
    FillRect(dc, &r, brush_.get());
}

void TWinControl::PaintNow() {
    PaintDC dc(handle_);
    PaintWindow(dc.get());
}

void TWinControl::PaintWindow(HDC dc) {
    for (TControl* c : controls_) {
        auto* g = dynamic_cast<TGraphicControl*>(c);
        if (!g || !g->Visible()) continue;
        int saved = SaveDC(dc);
        const RECT& r = g->BoundsRect();
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        SetViewportOrgEx(dc, r.left, r.top, nullptr);
        g->Paint(dc);
        RestoreDC(dc, saved);
    }
}
