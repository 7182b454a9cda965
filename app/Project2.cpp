// Kelvane's entry: OLE is initialised by the folder tree's module before
// anything here runs; the application object, the main window, the loop.
#include "app/Unit1.h"
#include "gui/Application.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);

    TApplication& application = Application();
    TWindowed<TMainForm> mainForm(nullptr);
    application.SetMainForm(&mainForm);
    application.Run();
    return 0;
}
