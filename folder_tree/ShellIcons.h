// Icons of shell items: indices into the system small-icon list and the
// shell's overlay of an item.
#pragma once

#include "folder_tree/ItemIdList.h"

// Indices into the system small-icon list: normal and open.
void GetItemIconIndices(LPCITEMIDLIST list, int& normal, int& open);
// One of them, for a node that is drawn before it is ever selected.
int GetItemIconIndex(LPCITEMIDLIST list, bool open);
// The system's own icon of any folder or any file, which reads no item.
int GetDefaultIconIndex(bool folder, bool open);
// The overlay the folder gives the item, counted from 0 as tree nodes count
// them; false (with 0) when the folder has no overlays or none for it.
bool GetItemOverlayIndex(IShellFolder* folder, LPCITEMIDLIST item, int& index);
