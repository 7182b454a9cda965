// From a window procedure to the control object behind the window, for the
// window's whole life: found by a window property set at its creation and
// removed at its last message.
#include "gui/WinControl.h"

LRESULT CALLBACK TWinControl::StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->handle_ = hwnd;
        SetPropA(hwnd, kObjectProp, self);
    }
    if (TWinControl* self = FromHandle(hwnd)) return self->Dispatch(msg, wp, lp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT TWinControl::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_NCDESTROY) return WndProc(msg, wp, lp);
    LRESULT r = DefaultHandler(msg, wp, lp);
    ReleaseWindow();
    return r;
}

// The window is gone: the object lets go of it, and a subclassed window gets
// its class's procedure back.
void TWinControl::ReleaseWindow() {
    RemovePropA(handle_, kObjectProp);
    if (classProc_)
        SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(classProc_));
    handle_ = nullptr;
    classProc_ = nullptr;
}
