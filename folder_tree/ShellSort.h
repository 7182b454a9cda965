// The two callbacks with which the tree sorts sibling nodes
// (PFNTVCOMPARE): each lParam is a node object whose data is its
// TTVITEMDATA. Files above folders in CompareFilesFirst.
#pragma once

#include <windows.h>

int CALLBACK CompareByShell(LPARAM node1, LPARAM node2, LPARAM sortDatum);
int CALLBACK CompareFilesFirst(LPARAM node1, LPARAM node2, LPARAM sortDatum);
