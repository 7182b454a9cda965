// Which message of a windowed control goes where: commands and
// notifications to the child control they come from, sizes to alignment,
// the mouse and the cursor to routing, painting to the framework's classes;
// the rest to the window's class.
#include "gui/WinControl.h"

bool TWinControl::HandleNotify(NMHDR*, LRESULT&) {
    return false;
}

bool TWinControl::HandleCommand(WORD, WORD) {
    return false;
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
