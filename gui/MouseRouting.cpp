// Mouse input over a windowed control goes to the graphic child under the
// pointer, or to the child that took the press until its release (mouse
// capture); the cursor is the one of the control under the pointer.
#include "gui/WinControl.h"

#include <windowsx.h>

TControl* TWinControl::GraphicControlAt(int x, int y) const {
    POINT pt{x, y};
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TGraphicControl*>(c) && c->Visible() && c->Enabled() &&
            PtInRect(&c->BoundsRect(), pt))
            return c;
    }
    return nullptr;
}

bool TWinControl::RouteMouse(UINT msg, WPARAM wp, LPARAM lp) {
    int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    TControl* target = mouseCapture_ ? mouseCapture_ : GraphicControlAt(x, y);
    TMouseButton button = mbLeft;
    switch (msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        button = mbRight;
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        button = mbMiddle;
        break;
    default:
        break;
    }
    const TShiftState shift(wp);
    TControl* self = this;
    int cx = target ? x - target->Left() : x, cy = target ? y - target->Top() : y;
    TControl* receiver = target ? target : self;
    switch (msg) {
    case WM_MOUSEMOVE:
        mouseOver_ = target;
        receiver->MouseMove(shift, cx, cy);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        if (target) {
            mouseCapture_ = target;
            SetCapture(handle_);
        }
        receiver->MouseDown(button, shift, cx, cy);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        bool captured = mouseCapture_ != nullptr;
        mouseCapture_ = nullptr;
        if (captured && GetCapture() == handle_) ReleaseCapture();
        receiver->MouseUp(button, shift, cx, cy);
        if (target && button == mbLeft && cx >= 0 && cy >= 0 && cx < target->Width() &&
            cy < target->Height())
            target->Click();
        break;
    }
    default:
        return false;
    }
    return target != nullptr;
}

// The application's cursor if one is set, else the one of the graphic child
// under the pointer or the control's own; false for the default cursor.
bool TWinControl::SetCursorAtPointer() {
    TCursor cursor = Screen().Cursor();
    if (cursor == crDefault) {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(handle_, &pt);
        TControl* g = GraphicControlAt(pt.x, pt.y);
        cursor = g ? g->Cursor() : Cursor();
    }
    if (cursor == crDefault) return false;
    ::SetCursor(CursorHandle(cursor));
    return true;
}
