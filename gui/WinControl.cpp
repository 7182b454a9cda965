// A windowed control's window: made with its children, destroyed with them,
// and kept in step with the control's place, visibility and state.
#include "gui/WinControl.h"

#include <algorithm>

// TWindowed has destroyed the window already; a child whose parent's window
// is gone was destroyed with it.
TWinControl::~TWinControl() = default;

TWinControl* TWinControl::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<TWinControl*>(GetPropA(hwnd, kObjectProp)) : nullptr;
}

void TWinControl::RemoveControl(TControl* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (mouseCapture_ == control) mouseCapture_ = nullptr;
    if (mouseOver_ == control) mouseOver_ = nullptr;
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.parent = Parent() ? Parent()->Handle() : nullptr;
    if (Visible()) params.style |= WS_VISIBLE;
    if (!Enabled()) params.style |= WS_DISABLED;
}

void TWinControl::HandleNeeded() {
    if (handle_) return;
    if (Parent() && !Parent()->HandleAllocated()) {
        Parent()->HandleNeeded();
        return;
    }
    TCreateParams params;
    CreateParams(params);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (params.ownClass) RegisterWindowClass(instance, params);
    HWND hwnd = CreateWindowExA(params.exStyle, params.className, params.caption.c_str(),
                                params.style, Left(), Top(), Width(), Height(), params.parent,
                                nullptr, instance, params.ownClass ? this : nullptr);
    if (!hwnd) return;
    if (!params.ownClass) Subclass(hwnd);
    ApplyFont();
    CreateWnd();
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
    AlignControls();
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    DestroyWnd();
    if (handle_) DestroyWindow(handle_);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    RECT old = BoundsRect();
    TControl::SetBounds(left, top, width, height);
    if (handle_ && !EqualRect(&old, &BoundsRect()))
        SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window moved or was sized by someone else: the control follows.
void TWinControl::BoundsFromWindow() {
    RECT r;
    GetWindowRect(handle_, &r);
    if (Parent()) MapWindowPoints(nullptr, Parent()->Handle(), reinterpret_cast<POINT*>(&r), 2);
    TControl::SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TWinControl::SetVisible(bool visible) {
    TControl::SetVisible(visible);
    if (handle_) ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled) {
    TControl::SetEnabled(enabled);
    if (handle_) EnableWindow(handle_, enabled);
}

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

RECT TWinControl::ClientRect() const {
    RECT r{0, 0, Width(), Height()};
    if (handle_) GetClientRect(handle_, &r);
    return r;
}
