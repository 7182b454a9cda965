#include "gui/Application.h"

#include "gui/Form.h"

#include <windows.h>

TApplication& Application() {
    static TApplication application;
    return application;
}

void TApplication::Dispatch(MSG& msg) {
    // Dialog keys go to the top-level form of the window they are meant for.
    if (msg.message == WM_KEYDOWN || msg.message == WM_CHAR) {
        TWinControl* form = TWinControl::FromHandle(GetAncestor(msg.hwnd, GA_ROOT));
        if (form && form->DialogKey(msg)) return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool TApplication::ProcessMessage() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT)
        terminated_ = true;
    else
        Dispatch(msg);
    return true;
}

void TApplication::ProcessMessages() {
    while (ProcessMessage()) {
    }
}

void TApplication::HandleMessage() {
    // Alertable: completion routines of reads queued on this thread (the
    // folder tree's watches) run while the loop waits.
    if (!ProcessMessage() && !terminated_)
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT,
                                    MWMO_ALERTABLE | MWMO_INPUTAVAILABLE);
}

void TApplication::Terminate() {
    if (!terminated_) PostQuitMessage(0);
}

void TApplication::Run() {
    if (mainForm_) mainForm_->Show();
    while (!terminated_)
        HandleMessage();
}
