// The tool bar from the keyboard: the arrow keys move among the enabled
// buttons, Enter and Space press the reached one through the same command a
// click sends, and a focus rectangle marks it while the tool bar has the focus.
#include "gui/ToolBar.h"

#include <commctrl.h>

void TToolBar::Press(TToolButton* button) {
    // The parent runs the command through HandleCommand, which refuses it for
    // a disabled button, exactly as for a mouse click.
    SendMessageA(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(button->CommandId(), BN_CLICKED),
                 LPARAM(Handle()));
}

TToolButton* TToolBar::KeyButton() const {
    return keyIndex_ >= 0 && keyIndex_ < int(buttons_.size()) ? buttons_[keyIndex_] : nullptr;
}

bool TToolBar::Keyable(int index) const {
    return index >= 0 && index < int(buttons_.size()) && buttons_[index]->Enabled() &&
           buttons_[index]->Style() == tbsButton;
}

void TToolBar::MoveKeyButton(int step) {
    const int count = int(buttons_.size());
    int index = keyIndex_ < 0 ? (step > 0 ? -1 : count) : keyIndex_;
    for (int tried = 0; tried < count; ++tried) {
        index = (index + step + count) % count;
        if (Keyable(index)) {
            keyIndex_ = index;
            break;
        }
    }
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

bool TToolBar::HandleKey(WPARAM key) {
    switch (key) {
    case VK_UP:
    case VK_LEFT:
        MoveKeyButton(-1);
        return true;
    case VK_DOWN:
    case VK_RIGHT:
        MoveKeyButton(1);
        return true;
    case VK_RETURN:
    case VK_SPACE:
        if (TToolButton* button = KeyButton()) Press(button);
        return true;
    default:
        return false;
    }
}

void TToolBar::DrawFocusCue() {
    if (GetFocus() != Handle() || !KeyButton()) return;
    RECT r{};
    if (!SendMessageA(Handle(), TB_GETITEMRECT, keyIndex_, LPARAM(&r))) return;
    InflateRect(&r, -2, -2);
    WindowDC dc(Handle());
    if (dc) DrawFocusRect(dc.get(), &r);
}
