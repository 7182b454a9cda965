// The one main of every test program: a single-threaded apartment with OLE
// (the shell, its menus and drag and drop need one), the common controls'
// classes, and, for the suites that lay windows out, the layout at 96 dpi so
// that stored layouts give their own figures.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#ifdef KELVANE_TEST_LAYOUT
#include "gui/Graphics.h"
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const HRESULT ole = OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
#ifdef KELVANE_TEST_LAYOUT
    Screen().SetPixelsPerInch(96);
#endif
    const int result = RUN_ALL_TESTS();
    if (SUCCEEDED(ole)) OleUninitialize();
    return result;
}
