#include "folder_tree/AboutProperty.h"

namespace {

constexpr char kAboutText[] = "TFolderTreeViewEx - free to use, change and pass on, 2026.\r\n"
                              "Written by the Kelvane developers at Tarnwick.\r\n"
                              "Web: https://www.example.com/tarnwick/\r\n"
                              "Mail: kelvane@example.com\r\n"
                              "Builds with MinGW-w64 GCC 12 and Microsoft C++ 19.\r\n"
                              "Copyright (C) 2026 Tarnwick. All rights reserved.";

} // namespace

void TAboutFolderTreeViewExProperty::Edit(HWND owner) {
    MessageBoxA(owner, kAboutText, kFolderTreeCaption, MB_ICONINFORMATION | MB_OK);
}
