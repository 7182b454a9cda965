#include "gui/Form.h"

#include "gui/Application.h"

namespace {

DWORD FrameStyle(TFormBorderStyle borderStyle) {
    return WS_CLIPCHILDREN | (borderStyle == bsNone ? WS_POPUP : WS_OVERLAPPEDWINDOW);
}

BOOL CALLBACK ForwardToChild(HWND child, LPARAM message) {
    const MSG& m = *reinterpret_cast<const MSG*>(message);
    SendMessageW(child, m.message, m.wParam, m.lParam);
    return TRUE;
}

DWORD FrameExStyle(TFormStyle formStyle) {
    return formStyle == fsStayOnTop ? WS_EX_TOPMOST : 0;
}

} // namespace

TForm::TForm(TComponent* owner, const TFormProps& p)
    : TWinControl(owner, nullptr, p.control), caption_(p.caption), borderStyle_(p.borderStyle),
      formStyle_(p.formStyle), position_(p.position), iconResource_(p.iconResource) {
    if (p.clientWidth > 0 && p.clientHeight > 0) {
        // Frames differ between platforms and versions; the client area is
        // what the layout was made for.
        RECT r{0, 0, Screen().Scale(p.clientWidth), Screen().Scale(p.clientHeight)};
        AdjustWindowRectEx(&r, FrameStyle(borderStyle_), FALSE, FrameExStyle(formStyle_));
        SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
    }
}

TForm::~TForm() {
    Application().FormDestroyed(this);
}

void TForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.className.assign(Name().begin(), Name().end()); // an ASCII name
    params.caption = caption_;
    params.style = FrameStyle(borderStyle_);
    params.exStyle |= FrameExStyle(formStyle_);
    if (iconResource_)
        params.icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconResource_));
    if (Application().MainForm() != this && Application().MainForm())
        params.parent = Application().MainForm()->Handle(); // owned: stays above it
}

void TForm::Create() {
    HandleNeeded();
    if (iconResource_ && Handle()) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        auto small = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(iconResource_),
                                                   IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), LR_SHARED));
        SendMessageW(Handle(), WM_SETICON, ICON_SMALL, LPARAM(small));
    }
    if (OnCreate) OnCreate(this);
}

void TForm::Show() {
    if (!Handle()) Create();
    if (position_ == poMainFormCenter) {
        TForm* main = Application().MainForm();
        RECT r{};
        if (main && main != this && main->Handle())
            GetWindowRect(main->Handle(), &r);
        else
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
        SetBounds(r.left + (r.right - r.left - Width()) / 2,
                  r.top + (r.bottom - r.top - Height()) / 2, Width(), Height());
    }
    ShowWindow(Handle(), SW_SHOW);
    SetVisible(true);
    if (GetActiveWindow() == Handle()) FocusActiveControl();
    UpdateWindow(Handle());
}

void TForm::Close() {
    if (!CloseQuery()) return;
    if (modal_) {
        if (modalResult_ == mrNone) modalResult_ = IDCANCEL;
        return;
    }
    if (Application().MainForm() == this) {
        Application().Terminate();
    } else if (Handle()) {
        ShowWindow(Handle(), SW_HIDE);
    }
}

int TForm::ShowModal() {
    TForm* main = Application().MainForm();
    HWND owner = main && main != this ? main->Handle() : nullptr;
    HWND focus = GetFocus(); // given back when the modal form closes
    modalResult_ = mrNone;
    modal_ = true;
    if (owner) EnableWindow(owner, FALSE);
    Show();
    while (modalResult_ == mrNone && !Application().Terminated())
        Application().HandleMessage();
    modal_ = false;
    if (owner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
    if (focus && IsWindow(focus)) SetFocus(focus);
    return modalResult_;
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            RememberFocus();
            break;
        }
        if (!HIWORD(wp) && FocusActiveControl()) return 0; // not minimised
        break;
    case WM_ACTIVATEAPP: // sent to top-level windows only: the controls hear them too
    case WM_DEVICECHANGE: {
        MSG message{};
        message.message = msg;
        message.wParam = wp;
        message.lParam = lp;
        EnumChildWindows(Handle(), ForwardToChild, LPARAM(&message));
        break;
    }
    case WM_GETMINMAXINFO: {
        LRESULT r = TWinControl::WndProc(msg, wp, lp);
        MinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lp));
        return r;
    }
    default:
        break;
    }
    return TWinControl::WndProc(msg, wp, lp);
}

void TForm::MinMaxInfo(MINMAXINFO& info) const {
    if (minClient_.cx <= 0 || minClient_.cy <= 0) return;
    RECT r{0, 0, minClient_.cx, minClient_.cy};
    AdjustWindowRectEx(&r, DWORD(GetWindowLongW(Handle(), GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongW(Handle(), GWL_EXSTYLE)));
    info.ptMinTrackSize = {r.right - r.left, r.bottom - r.top};
}
