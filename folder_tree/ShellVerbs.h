// Shell verbs run on one item through its context menu, without showing
// the menu, and the menu command identifiers the folder tree knows. Every
// menu is filled from identifier 1, so an identifier is the verb offset
// plus 1.
#pragma once

#include "folder_tree/ItemIdList.h"

#include <cstdint>
#include <string>

class TTreeServices;

enum TShellVerb : std::uint8_t { svLink, svDelete, svCut, svCopy, svPaste };

namespace MenuCommand {
inline constexpr UINT Link = 17;
inline constexpr UINT Delete = 18;
inline constexpr UINT Rename = 19;
inline constexpr UINT Cut = 25;
inline constexpr UINT Copy = 26;
inline constexpr UINT Paste = 27;
inline constexpr UINT First = 1;
inline constexpr UINT Last = 0x7FFF;
} // namespace MenuCommand

// What GetAttributesOf is asked before a verb runs: the capabilities, four
// display attributes and whether the item has subfolders.
inline constexpr ULONG kVerbAttributeQuery = SFGAO_CAPABILITYMASK | SFGAO_LINK | SFGAO_SHARE |
                                             SFGAO_READONLY | SFGAO_HIDDEN | SFGAO_HASSUBFOLDER;
static_assert(kVerbAttributeQuery == 0x800F0177, "the shell's attribute bits");

// Runs `verb` on `item` of `folder` through its context menu; true when the
// menu's command reports success, and a refused command reported through
// `services`. Cut, copy, link and delete need the item's matching
// attribute; paste needs an enabled paste item.
bool InvokeItemVerb(TTreeServices& services, HWND wnd, IShellFolder* folder, LPCITEMIDLIST item,
                    TShellVerb verb);
// The same on the item at a file-system path (not one directly below the
// desktop).
bool InvokePathVerb(TTreeServices& services, HWND wnd, const std::wstring& path, TShellVerb verb);
// The 1-based position of the first enabled, non-separator item whose label
// holds `text` first at byte `position` (1-based); -1 when none does.
int FindMenuItemByText(HMENU menu, const char* text, int position);

// The item's context-menu object, asked of its folder with `wnd` as owner;
// null when the folder gives none.
Microsoft::WRL::ComPtr<IContextMenu> GetItemContextMenu(HWND wnd, IShellFolder* folder,
                                                        LPCITEMIDLIST item);
// Fills `menu` from `contextMenu` with identifiers from 1 (CMF_EXPLORE).
HRESULT FillContextMenu(IContextMenu* contextMenu, HMENU menu);
// Invokes the command of identifier `command` as a verb offset.
HRESULT InvokeMenuCommand(IContextMenu* contextMenu, HWND wnd, UINT command);
// Tells the user that the shell refused a command (a message box).
void ReportInvokeFailure(TTreeServices& services, HWND owner);
