// The shell's IContextMenu2 as the folder tree uses it: IContextMenu with
// HandleMenuMsg after its own slots, so that submenus the shell draws
// itself get their drawing messages.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstddef>

using IContextMenu_2 = IContextMenu2;

// {000214F4-0000-0000-C000-000000000046}
inline constexpr IID IID_IContextMenu_2 = {
    0x000214F4, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The command invocation record as the shell reads it: 36 bytes in a 32-bit
// program, 56 in a 64-bit one.
static_assert(sizeof(CMINVOKECOMMANDINFO) == (sizeof(void*) == 4 ? 36 : 56),
              "CMINVOKECOMMANDINFO must be the shell's record");
