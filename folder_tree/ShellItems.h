// The folder tree's shell helpers, free functions by concern:
//   ShellNames.h    display and parsing names, paths, parsing into lists
//   ShellFolders.h  the desktop, walking a list down, parent folders,
//                   enumerating a folder, identity and renaming
//   ShellIcons.h    system icon indices and overlays
//   ShellSort.h     the tree's sort callbacks
// and ItemIdList.h for the lists themselves.
#pragma once

#include "folder_tree/ShellFolders.h"
#include "folder_tree/ShellIcons.h"
#include "folder_tree/ShellNames.h"
#include "folder_tree/ShellSort.h"
