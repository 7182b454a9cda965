#include "gui/Owners.h"

WindowSubclass::WindowSubclass(HWND window, WNDPROC procedure)
    : window_(window), procedure_(procedure) {
    saved_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    if (!saved_) window_ = nullptr; // not installed
}

void WindowSubclass::Remove() {
    if (!window_) return;
    // Put back only what is still ours: another subclass installed later
    // keeps its place, and a destroyed window has nothing to put back.
    if (IsWindow(window_) &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window_, GWLP_WNDPROC)) == procedure_)
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved_));
    window_ = nullptr;
}
