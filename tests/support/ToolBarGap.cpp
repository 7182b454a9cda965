#include "tests/support/ToolBarGap.h"

#include <windows.h>
#include <commctrl.h>

int WrappedSeparatorGap(int separatorWidth, int buttonWidth, int buttonHeight) {
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 400, nullptr, nullptr,
                                 nullptr, nullptr);
    HWND tb =
        CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                        WS_CHILD | WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, 0,
                        0, buttonWidth, 300, owner, nullptr, nullptr, nullptr);
    SendMessageA(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(tb, TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonWidth, buttonHeight));
    TBBUTTON buttons[3]{};
    buttons[0].idCommand = 1;
    buttons[0].fsState = TBSTATE_ENABLED;
    buttons[1].fsStyle = BTNS_SEP;
    buttons[1].fsState = TBSTATE_WRAP;
    buttons[1].iBitmap = separatorWidth;
    buttons[2].idCommand = 2;
    buttons[2].fsState = TBSTATE_ENABLED;
    SendMessageA(tb, TB_ADDBUTTONSA, 3, LPARAM(buttons));
    SendMessageA(tb, TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonWidth, buttonHeight));
    RECT first{}, second{};
    SendMessageA(tb, TB_GETITEMRECT, 0, LPARAM(&first));
    SendMessageA(tb, TB_GETITEMRECT, 2, LPARAM(&second));
    DestroyWindow(owner);
    return second.top - first.bottom;
}
