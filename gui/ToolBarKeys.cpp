// The tool bar from the keyboard: the arrow keys move the tool bar's own hot
// item among the enabled buttons, so that the tool bar draws the reached one
// (and Windows tells screen readers), and Enter and Space press it through
// the same command a click sends.
#include "gui/ToolBar.h"

#include <commctrl.h>

void TToolBar::Press(TToolButton* button) {
    // The parent runs the command through HandleCommand, which refuses it for
    // a disabled button, exactly as for a mouse click.
    SendMessageW(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(button->CommandId(), BN_CLICKED),
                 LPARAM(Handle()));
}

int TToolBar::HotIndex() const {
    return Handle() ? int(SendMessageW(Handle(), TB_GETHOTITEM, 0, 0)) : -1;
}

TToolButton* TToolBar::KeyButton() const {
    const int index = HotIndex();
    return index >= 0 && index < int(buttons_.size()) ? buttons_[index] : nullptr;
}

bool TToolBar::Keyable(int index) const {
    return index >= 0 && index < int(buttons_.size()) && buttons_[index]->Enabled() &&
           buttons_[index]->Style() == tbsButton;
}

void TToolBar::MoveKeyButton(int step) {
    const int count = int(buttons_.size());
    const int hot = HotIndex();
    int index = hot < 0 ? (step > 0 ? -1 : count) : hot;
    for (int tried = 0; tried < count; ++tried) {
        index = (index + step + count) % count;
        if (Keyable(index)) {
            SetKeyButton(index);
            return;
        }
    }
}

void TToolBar::SetKeyButton(int index) {
    lastKeyIndex_ = index;
    SendMessageW(Handle(), TB_SETHOTITEM, WPARAM(index), 0);
}

void TToolBar::KeysArrived() {
    // The tool bar moves its hot item when it gets the focus and drops it from
    // a disabled button; the keys come back to the button they reached last.
    if (Keyable(lastKeyIndex_))
        SetKeyButton(lastKeyIndex_);
    else if (!Keyable(HotIndex()))
        MoveKeyButton(1);
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
