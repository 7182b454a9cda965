// What a windowed control does with its messages, in the order a message
// travels: the window procedure hands it to Dispatch, Dispatch to WndProc
// (which descendants override and call in turn), WndProc sends commands and
// notifications on to the child control they come from, sizes to alignment,
// the mouse and the cursor to the graphic child under the pointer, painting
// to the framework's classes, and the rest to the window's class.
#include "gui/WinControl.h"

#include <windowsx.h>

LRESULT TWinControl::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_NCDESTROY) return WndProc(msg, wp, lp);
    LRESULT r = DefaultHandler(msg, wp, lp);
    ReleaseWindow();
    return r;
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (lp) {
            TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp));
            if (child && child->HandleCommand(HIWORD(wp), LOWORD(wp))) return 0;
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        LRESULT result = 0;
        TWinControl* child = FromHandle(header->hwndFrom);
        if (child && child->HandleNotify(header, result)) return result;
        break;
    }
    case WM_SIZE:
        if (handle_) {
            BoundsFromWindow();
            AlignControls();
        }
        break;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wp) == handle_ && LOWORD(lp) == HTCLIENT && SetCursorAtPointer())
            return TRUE;
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (RouteMouse(msg, wp, lp) || !classProc_) return 0;
        break;
    case WM_ERASEBKGND:
        if (!classProc_) {
            EraseBackground(reinterpret_cast<HDC>(wp));
            return 1;
        }
        break;
    case WM_PAINT:
        if (!classProc_) {
            PaintNow();
            return 0;
        }
        break;
    default:
        break;
    }
    return DefaultHandler(msg, wp, lp);
}

// The window's class: the common control's own procedure for a subclassed
// window, the default one for the framework's classes.
LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
    return classProc_ ? CallWindowProcW(classProc_, handle_, msg, wp, lp)
                      : DefWindowProcW(handle_, msg, wp, lp);
}

// ---- Commands and notifications, at the child they come from ----

bool TWinControl::HandleNotify(NMHDR*, LRESULT&) {
    return false;
}

bool TWinControl::HandleCommand(WORD, WORD) {
    return false;
}

// ---- The mouse and the cursor ----

// Mouse input over a windowed control goes to the graphic child under the
// pointer, or to the child that took the press until its release (mouse
// capture); the cursor is the one of the control under the pointer.
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

// ---- Painting ----

// Windows of the framework's own classes paint their background in their
// colour and their graphic children in creation order, each clipped to its
// place and drawn in its own coordinates.
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
