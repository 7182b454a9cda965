#include "gui/Control.h"

#include "gui/Application.h"

#include <windowsx.h>

#include <algorithm>

namespace {

const char kObjectProp[] = "Kelvane.Control";

void RemoveFrom(std::vector<TComponent*>& list, TComponent* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

TShiftState KeyShift(WPARAM wp) {
    return TShiftState(wp);
}

} // namespace

// ---- TComponent ----

TComponent::TComponent(TComponent* owner, std::string name)
    : owner_(owner), name_(std::move(name)) {
    if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
    if (owner_) RemoveFrom(owner_->components_, this);
}

// ---- TControl ----

TControl::TControl(TComponent* owner, TWinControl* parent, const TControlProps& p)
    : TComponent(owner, p.name), parent_(parent), align_(p.align), visible_(p.visible),
      enabled_(p.enabled), cursor_(p.cursor), color_(p.color), parentColor_(p.parentColor),
      parentFont_(p.font == nullptr) {
    const TScreen& s = Screen();
    bounds_ = {s.Scale(p.left), s.Scale(p.top), s.Scale(p.left + p.width),
               s.Scale(p.top + p.height)};
    if (p.font) font_ = TFont(*p.font);
    if (parent_) parent_->InsertControl(this);
}

TControl::~TControl() {
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetAlign(TAlign align) {
    if (align_ == align) return;
    align_ = align;
    if (parent_) parent_->AlignControls();
}

void TControl::SetBounds(int left, int top, int width, int height) {
    RECT r{left, top, left + width, top + height};
    if (EqualRect(&r, &bounds_)) return;
    Invalidate();
    bounds_ = r;
    Invalidate();
}

void TControl::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Invalidate();
    if (parent_) parent_->AlignControls();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Invalidate();
}

TColor TControl::Color() const {
    if (parentColor_ && parent_) return parent_->Color();
    return color_ == clNone ? DefaultColor() : color_;
}

void TControl::SetColor(TColor color) {
    if (color_ == color && !parentColor_) return;
    color_ = color;
    parentColor_ = false;
    ColorChanged();
}

void TControl::SetParentColor(bool value) {
    if (parentColor_ == value) return;
    parentColor_ = value;
    ColorChanged();
}

const TFont& TControl::Font() const {
    if (parentFont_ && parent_) return parent_->Font();
    return font_;
}

void TControl::SetFont(const TFontSpec& fontSpec) {
    font_ = TFont(fontSpec);
    parentFont_ = false;
    FontChanged();
}

void TControl::Invalidate() {}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

// ---- TGraphicControl ----

void TGraphicControl::Invalidate() {
    TWinControl* p = Parent();
    if (p && p->HandleAllocated()) InvalidateRect(p->Handle(), &BoundsRect(), TRUE);
}

// ---- TWinControl ----

TWinControl::~TWinControl() {
    DestroyHandle();
}

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
    if (params.ownClass) {
        WNDCLASSEXA existing{};
        existing.cbSize = sizeof existing;
        if (!GetClassInfoExA(instance, params.className, &existing)) {
            WNDCLASSEXA wc{};
            wc.cbSize = sizeof wc;
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = StaticWndProc;
            wc.hInstance = instance;
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.hIcon = params.icon;
            wc.lpszClassName = params.className;
            RegisterClassExA(&wc);
        }
    }
    HWND hwnd = CreateWindowExA(params.exStyle, params.className, params.caption.c_str(),
                                params.style, Left(), Top(), Width(), Height(), params.parent,
                                nullptr, instance, params.ownClass ? this : nullptr);
    if (!hwnd) return;
    if (!params.ownClass) {
        handle_ = hwnd;
        SetPropA(hwnd, kObjectProp, this);
        classProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    }
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

void TWinControl::ApplyFont() {
    if (handle_) SendMessageA(handle_, WM_SETFONT, WPARAM(Font().Handle()), TRUE);
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

void TWinControl::SetBounds(int left, int top, int width, int height) {
    RECT old = BoundsRect();
    TControl::SetBounds(left, top, width, height);
    if (handle_ && !EqualRect(&old, &BoundsRect()))
        SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
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
    TControl* self = this;
    int cx = target ? x - target->Left() : x, cy = target ? y - target->Top() : y;
    TControl* receiver = target ? target : self;
    switch (msg) {
    case WM_MOUSEMOVE:
        mouseOver_ = target;
        receiver->MouseMove(KeyShift(wp), cx, cy);
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
        receiver->MouseDown(button, KeyShift(wp), cx, cy);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        bool captured = mouseCapture_ != nullptr;
        mouseCapture_ = nullptr;
        if (captured && GetCapture() == handle_) ReleaseCapture();
        receiver->MouseUp(button, KeyShift(wp), cx, cy);
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

bool TWinControl::HandleNotify(NMHDR*, LRESULT&) {
    return false;
}
bool TWinControl::HandleCommand(WORD, WORD) {
    return false;
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
    return classProc_ ? CallWindowProcA(classProc_, handle_, msg, wp, lp)
                      : DefWindowProcA(handle_, msg, wp, lp);
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
            RECT r;
            GetWindowRect(handle_, &r);
            if (Parent())
                MapWindowPoints(nullptr, Parent()->Handle(), reinterpret_cast<POINT*>(&r), 2);
            TControl::SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
            AlignControls();
        }
        break;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wp) == handle_ && LOWORD(lp) == HTCLIENT) {
            TCursor cursor = Screen().Cursor();
            if (cursor == crDefault) {
                POINT pt;
                GetCursorPos(&pt);
                ScreenToClient(handle_, &pt);
                TControl* g = GraphicControlAt(pt.x, pt.y);
                cursor = g ? g->Cursor() : Cursor();
            }
            if (cursor != crDefault) {
                ::SetCursor(CursorHandle(cursor));
                return TRUE;
            }
        }
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
            if (!brush_) brush_.reset(CreateSolidBrush(ColorToRGB(Color())));
            RECT r;
            GetClientRect(handle_, &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, brush_.get());
            return 1;
        }
        break;
    case WM_PAINT:
        if (!classProc_) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(handle_, &ps);
            PaintWindow(dc);
            EndPaint(handle_, &ps);
            return 0;
        }
        break;
    default:
        break;
    }
    return DefaultHandler(msg, wp, lp);
}

LRESULT TWinControl::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCDESTROY) {
        LRESULT r = DefaultHandler(msg, wp, lp);
        RemovePropA(handle_, kObjectProp);
        if (classProc_)
            SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(classProc_));
        handle_ = nullptr;
        classProc_ = nullptr;
        return r;
    }
    return WndProc(msg, wp, lp);
}

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

LRESULT CALLBACK TWinControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (TWinControl* self = FromHandle(hwnd)) return self->Dispatch(msg, wp, lp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}
