// Windows of system classes (the common controls) get this framework's
// procedure in front of their own, which handles what is left.
#include "gui/WinControl.h"

void TWinControl::Subclass(HWND hwnd) {
    handle_ = hwnd;
    SetPropA(hwnd, kObjectProp, this);
    classProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (TWinControl* self = FromHandle(hwnd)) return self->Dispatch(msg, wp, lp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
    return classProc_ ? CallWindowProcA(classProc_, handle_, msg, wp, lp)
                      : DefWindowProcA(handle_, msg, wp, lp);
}
