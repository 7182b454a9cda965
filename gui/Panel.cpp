#include "gui/Panel.h"

void TPanel::PaintWindow(HDC dc) {
    RECT r = ClientRect();
    UINT edge = 0;
    if (outer_ == bvRaised) edge |= BDR_RAISEDOUTER;
    if (outer_ == bvLowered) edge |= BDR_SUNKENOUTER;
    if (inner_ == bvRaised) edge |= BDR_RAISEDINNER;
    if (inner_ == bvLowered) edge |= BDR_SUNKENINNER;
    if (edge) DrawEdge(dc, &r, edge, BF_RECT);
    TWinControl::PaintWindow(dc);
}
