#pragma once
#include <windows.h>

#include <initializer_list>
#include <vector>

// Child order is GetTopWindow for the first child, then GetWindow(GW_HWNDNEXT);
// positions count from 1. Nothing but position is looked at.

// Child #position of parent, or null when parent is null or has fewer children.
HWND ChildAt(HWND parent, int position);

// Follows child positions from root; null as soon as a step is missing.
HWND WalkChildPath(HWND root, std::initializer_list<int> positions);

// Children #1..#count of parent; positions beyond the last child hold null.
std::vector<HWND> FirstChildren(HWND parent, int count);
