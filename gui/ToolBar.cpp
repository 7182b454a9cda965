#include "gui/ToolBar.h"

#include "gui/ImageList.h"

#include <commctrl.h>

namespace {
constexpr int kFirstCommandId = 100;
}

// ---- TToolButton ----

TToolButton::TToolButton(TComponent* owner, TToolBar* toolBar, const TToolButtonProps& p)
    : TComponent(owner, p.name), toolBar_(toolBar), props_(p), caption_(p.caption),
      commandId_(toolBar->AddButton(this)) {}

int TToolButton::SeparatorWidth() const {
    return Screen().Scale(props_.width);
}

void TToolButton::SetEnabled(bool enabled) {
    if (props_.enabled == enabled) return;
    props_.enabled = enabled;
    toolBar_->ButtonChanged(this);
}

void TToolButton::Click() {
    if (OnClick) OnClick(this);
}

// ---- TToolBar ----

int TToolBar::AddButton(TToolButton* button) {
    buttons_.push_back(button);
    return kFirstCommandId + int(buttons_.size()) - 1;
}

void TToolBar::ButtonChanged(TToolButton* button) {
    if (Handle()) SendMessageW(Handle(), TB_ENABLEBUTTON, button->CommandId(), button->Enabled());
}

void TToolBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.className = TOOLBARCLASSNAMEW;
    params.ownClass = false;
    params.style |= WS_TABSTOP | CCS_NOPARENTALIGN | CCS_NORESIZE; // rows break where buttons say
    if (!props_.edgeBorders) params.style |= CCS_NODIVIDER;
}

void TToolBar::CreateWnd() {
    HWND h = Handle();
    const TScreen& s = Screen();
    SendMessageW(h, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (images_) SendMessageW(h, TB_SETIMAGELIST, 0, LPARAM(images_->Handle()));
    SendMessageW(h, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 16));
    int w = s.Scale(props_.buttonWidth), ht = s.Scale(props_.buttonHeight);
    SendMessageW(h, TB_SETBUTTONSIZE, 0, MAKELPARAM(w, ht));
    SendMessageW(h, TB_SETBUTTONWIDTH, 0, MAKELPARAM(w, w));
    std::vector<TBBUTTON> items;
    for (TToolButton* b : buttons_) {
        TBBUTTON tb{};
        tb.idCommand = b->CommandId();
        if (b->Style() == tbsSeparator) {
            tb.fsStyle = BTNS_SEP;
            tb.iBitmap = b->SeparatorWidth();
        } else {
            tb.fsStyle = BTNS_BUTTON;
            tb.iBitmap = b->ImageIndex();
            if (props_.showCaptions) tb.iString = INT_PTR(b->Caption().c_str());
        }
        tb.fsState = BYTE((b->Enabled() ? TBSTATE_ENABLED : 0) | (b->Wrap() ? TBSTATE_WRAP : 0));
        items.push_back(tb);
    }
    SendMessageW(h, TB_ADDBUTTONSW, items.size(), LPARAM(items.data()));
    SendMessageW(h, TB_SETBUTTONSIZE, 0, MAKELPARAM(w, ht));
}

bool TToolBar::HandleCommand(WORD, WORD id) {
    for (TToolButton* b : buttons_)
        if (b->CommandId() == id) {
            // A disabled button takes no commands, also not ones already queued.
            if (b->Enabled() && b->Style() == tbsButton) b->Click();
            return true;
        }
    return false;
}

LRESULT TToolBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        if (HandleKey(wp)) return 0;
        break;
    case WM_SETFOCUS: {
        // After the tool bar's own handling, which may move its hot item.
        const LRESULT r = TWinControl::WndProc(msg, wp, lp);
        KeysArrived();
        return r;
    }
    default:
        break;
    }
    if (msg == WM_SETCURSOR && LOWORD(lp) == HTCLIENT && Screen().Cursor() == crDefault) {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(Handle(), &pt);
        int index = int(SendMessageW(Handle(), TB_HITTEST, 0, LPARAM(&pt)));
        if (index >= 0 && index < int(buttons_.size()) && buttons_[index]->Cursor() != crDefault) {
            ::SetCursor(CursorHandle(buttons_[index]->Cursor()));
            return TRUE;
        }
    }
    return TWinControl::WndProc(msg, wp, lp);
}
