// Kelvane's entry: the DLL search is narrowed first; then the C runtime's
// start-up, in which the folder tree's module initialises OLE; then
// WinMain: the application object, the main window, the loop.
#include "app/DllSearch.h"
#include "app/Unit1.h"
#include "gui/Application.h"

#include <commctrl.h>

// The C runtime's entry for a windowed program, which runs the static
// initialisers and then WinMain.
extern "C" int WinMainCRTStartup();

// The program's entry point (app/CMakeLists.txt). Every DLL but kernel32's,
// the C runtime's and ntdll's is delay-loaded, so nothing has been looked
// for in the program's folder yet; the static initialisers already call
// ole32, which would load its DLLs, so the search is narrowed before them.
extern "C" int KelvaneEntry() {
    NarrowDllSearch();
    return WinMainCRTStartup();
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);

    TApplication& application = Application();
    TWindowed<TMainForm> mainForm(nullptr);
    application.SetMainForm(&mainForm);
    application.Run();
    return 0;
}
