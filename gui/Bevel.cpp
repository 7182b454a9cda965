#include "gui/Bevel.h"

void TBevel::Paint(HDC dc) {
    if (style_ == bvNone) return;
    RECT r{0, 0, Width(), Height()};
    DrawEdge(dc, &r, style_ == bvRaised ? EDGE_BUMP : EDGE_ETCHED, BF_TOP);
}
