// Aligned children fill the client area's edges in turn, then the rest.
#include "gui/WinControl.h"

void TWinControl::AlignControls() {
    if (!handle_) return;
    RECT r = ClientRect();
    for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : controls_) {
            if (c->Align() != pass || !c->Visible()) continue;
            int w = r.right - r.left, h = r.bottom - r.top;
            switch (pass) {
            case alTop:
                c->SetBounds(r.left, r.top, w, c->Height());
                r.top += c->Height();
                break;
            case alBottom:
                c->SetBounds(r.left, r.bottom - c->Height(), w, c->Height());
                r.bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(r.left, r.top, c->Width(), h);
                r.left += c->Width();
                break;
            case alRight:
                c->SetBounds(r.right - c->Width(), r.top, c->Width(), h);
                r.right -= c->Width();
                break;
            default:
                c->SetBounds(r.left, r.top, w, h);
                break;
            }
        }
    }
}
