// A windowed control's window, from its class to its last message: the
// framework's class registered once per name, the window procedure that
// leads from a window to its object, common controls subclassed, creation
// with the children and destruction, and the window kept in step with the
// control's place, state, font, colour and aligned children. What the
// window does with its messages is in WinControlMessages.cpp.
#include "gui/WinControl.h"

#include <algorithm>
#include <unordered_set>

namespace {

// The windows this framework made, each bound to its object through its
// user data: FromHandle answers for these alone, since any other window's
// user data is its own maker's. Windows are made and destroyed on the one
// user-interface thread.
std::unordered_set<HWND>& FrameworkWindows() {
    static std::unordered_set<HWND> windows;
    return windows;
}

TWinControl* BoundObject(HWND hwnd) {
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

} // namespace

// ---- Window class and procedures ----

void TWinControl::RegisterWindowClass(HINSTANCE instance, const TCreateParams& params) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, params.className.c_str(), &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = params.icon;
    wc.lpszClassName = params.className.c_str();
    RegisterClassExW(&wc);
}

// The procedure of the framework's classes: the object given to
// CreateWindowEx is bound to the window at WM_NCCREATE, and its window's
// user data leads to it for every message after, until the last.
LRESULT CALLBACK TWinControl::StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TWinControl* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->BindWindow(hwnd);
    } else {
        self = BoundObject(hwnd);
    }
    if (self) return self->Dispatch(msg, wp, lp);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Windows of system classes (the common controls) get this framework's
// procedure in front of their own, which handles what is left. The common
// controls keep their state in their own window bytes, not in the user data.
void TWinControl::Subclass(HWND hwnd) {
    BindWindow(hwnd);
    classProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (TWinControl* self = BoundObject(hwnd)) return self->Dispatch(msg, wp, lp);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void TWinControl::BindWindow(HWND hwnd) {
    handle_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FrameworkWindows().insert(hwnd);
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
    return FrameworkWindows().count(hwnd) ? BoundObject(hwnd) : nullptr;
}

// ---- Creation and destruction ----

// TWindowed has destroyed the window already; a child whose parent's window
// is gone was destroyed with it.
TWinControl::~TWinControl() = default;

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
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (params.ownClass) RegisterWindowClass(instance, params);
    HWND hwnd = CreateWindowExW(params.exStyle, params.className.c_str(), params.caption.c_str(),
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

// The window is gone (its last message, WM_NCDESTROY): the object lets go
// of it, and a subclassed window gets its class's procedure back.
void TWinControl::ReleaseWindow() {
    FrameworkWindows().erase(handle_);
    SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
    if (classProc_)
        SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(classProc_));
    handle_ = nullptr;
    classProc_ = nullptr;
}

void TWinControl::RemoveControl(TControl* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (mouseCapture_ == control) mouseCapture_ = nullptr;
    if (mouseOver_ == control) mouseOver_ = nullptr;
}

// ---- Place and state ----

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

// ---- Fonts and colours, a control's own or its parent's ----

void TWinControl::ApplyFont() {
    if (handle_) SendMessageW(handle_, WM_SETFONT, WPARAM(Font().Handle()), TRUE);
}

void TWinControl::FontChanged() {
    ApplyFont();
    for (TControl* c : controls_)
        if (c->ParentFont()) {
            if (auto* w = dynamic_cast<TWinControl*>(c)) w->FontChanged();
        }
    Invalidate();
}

void TWinControl::ColorChanged() {
    brush_.reset();
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->ParentColor()) w->ColorChanged();
    Invalidate();
}

// ---- Alignment ----

// Aligned children fill the client area's edges in turn, then the rest.
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
