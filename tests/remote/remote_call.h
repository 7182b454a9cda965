// Asking a window's own process for what Wine does not let another process
// read: GetClassLongPtr of the icons, cursor, brush or window procedure of a
// window of another process returns 0 there (Windows answers it directly).
#pragma once

#include <windows.h>

namespace remote {

// GetClassLongPtrA(window, index) as the window's own process sees it, in
// 32 bits (which hold any handle): a few instructions written into that
// process call it on a thread started there with CreateRemoteThread. Throws
// Error if the call cannot be made in time.
DWORD classLongInOwnProcess(HWND window, int index);

} // namespace remote
