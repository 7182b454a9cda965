// A form's keyboard and focus: Tab and Shift+Tab cycle through its tab stops,
// Escape presses its cancel button, the focus goes to the active control when
// the form is shown and comes back where it was when the form is reactivated.
#include "gui/Form.h"

#include "gui/ToolBar.h"

#include <vector>

namespace {

// The windowed controls below `parent` that take the focus from Tab, in
// creation order.
void CollectTabStops(const TWinControl& parent, std::vector<HWND>& stops) {
    for (TControl* c : parent.Controls()) {
        auto* w = dynamic_cast<TWinControl*>(c);
        if (!w || !w->Handle() || !IsWindowVisible(w->Handle()) || !IsWindowEnabled(w->Handle()))
            continue;
        if (GetWindowLongW(w->Handle(), GWL_STYLE) & WS_TABSTOP) stops.push_back(w->Handle());
        CollectTabStops(*w, stops);
    }
}

// True if the focused window takes `msg` itself (an edit in progress).
bool WantsKey(const MSG& msg) {
    HWND focus = GetFocus();
    if (!focus) return false;
    MSG copy = msg;
    LRESULT code = SendMessageW(focus, WM_GETDLGCODE, msg.wParam, LPARAM(&copy));
    return (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) != 0;
}

} // namespace

bool TForm::DialogKey(const MSG& msg) {
    if (msg.message == WM_CHAR && msg.wParam == '\t') return !WantsKey(msg); // Tab moved on
    if (msg.message != WM_KEYDOWN || GetKeyState(VK_MENU) < 0 || GetKeyState(VK_CONTROL) < 0)
        return false;
    if (msg.wParam == VK_TAB && !WantsKey(msg)) {
        FocusNextTabStop(GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    if (msg.wParam == VK_ESCAPE && cancelButton_ && cancelButton_->Enabled() && !WantsKey(msg)) {
        cancelButton_->ToolBar()->Press(cancelButton_);
        return true;
    }
    return false;
}

void TForm::FocusNextTabStop(bool backwards) {
    std::vector<HWND> stops;
    CollectTabStops(*this, stops);
    if (stops.empty()) return;
    const int count = int(stops.size());
    int at = -1;
    for (int i = 0; i < count; ++i)
        if (stops[i] == GetFocus() || IsChild(stops[i], GetFocus())) at = i;
    int next = at < 0 ? (backwards ? count - 1 : 0) : (at + (backwards ? count - 1 : 1)) % count;
    SetFocus(stops[next]);
}

bool TForm::FocusActiveControl() {
    if (lastFocus_ && IsWindow(lastFocus_) && IsChild(Handle(), lastFocus_))
        SetFocus(lastFocus_);
    else if (activeControl_ && activeControl_->Handle())
        SetFocus(activeControl_->Handle());
    else
        return false;
    return true;
}

void TForm::RememberFocus() {
    HWND focus = GetFocus();
    lastFocus_ = focus && IsChild(Handle(), focus) ? focus : nullptr;
}
