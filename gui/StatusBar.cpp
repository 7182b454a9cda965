#include "gui/StatusBar.h"

#include <commctrl.h>

void TStatusBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.className = STATUSCLASSNAMEA;
    params.ownClass = false;
    params.style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
}

void TStatusBar::CreateWnd() {
    SendMessageA(Handle(), SB_SIMPLE, simplePanel_, 0);
    if (!simpleText_.empty()) SetSimpleText(simpleText_);
}

void TStatusBar::SetSimpleText(const std::string& text) {
    simpleText_ = text;
    if (Handle()) SendMessageA(Handle(), SB_SETTEXTA, SB_SIMPLEID, LPARAM(simpleText_.c_str()));
}
