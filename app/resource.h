// Resource identifiers of Kelvane.exe, shared by the .rc and the code.
#pragma once

#define IDI_MAINICON 1           // the program's icon: 32x32 and 16x16, 256 colours
#define IDB_TOOLBUTTONS 101      // seven 16x16 tool-button images side by side
#define IDB_TOOLBUTTONS_MASK 102 // their 1-bit transparency mask, same layout
#define IDB_NAME 103             // the program's name picture, 118x19, 16 colours
