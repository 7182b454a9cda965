#include "gui/StatusBar.h"

#include <commctrl.h>

void TStatusBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.className = STATUSCLASSNAMEW;
    params.ownClass = false;
    params.style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
}

void TStatusBar::CreateWnd() {
    SendMessageW(Handle(), SB_SIMPLE, simplePanel_, 0);
    if (!simpleText_.empty()) SetSimpleText(simpleText_);
}

void TStatusBar::SetSimpleText(const std::wstring& text) {
    simpleText_ = text;
    if (Handle()) SendMessageW(Handle(), SB_SETTEXTW, SB_SIMPLEID, LPARAM(simpleText_.c_str()));
}

TStatusBarPaintThrottle::TStatusBarPaintThrottle(TStatusBar& bar, DWORD interval)
    : bar_(bar), interval_(interval), lastPaint_(GetTickCount()) {
    SetRedraw(false);
}

TStatusBarPaintThrottle::~TStatusBarPaintThrottle() {
    SetRedraw(true);
}

void TStatusBarPaintThrottle::SetRedraw(bool on) {
    HWND h = bar_.Handle();
    if (!h) return;
    SendMessageW(h, WM_SETREDRAW, on, 0);
    if (on) InvalidateRect(h, nullptr, TRUE);
}

void TStatusBarPaintThrottle::Tick() {
    DWORD now = GetTickCount();
    if (now - lastPaint_ < interval_) return;
    lastPaint_ = now;
    SetRedraw(true);
    if (bar_.Handle()) UpdateWindow(bar_.Handle());
    SetRedraw(false);
}
