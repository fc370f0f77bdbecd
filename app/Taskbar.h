// Where the taskbar is, and the screen corner beside it that the window comes back to.
#pragma once
#include <windows.h>

// The taskbar's edge (ABE_LEFT, ABE_TOP, ABE_RIGHT, ABE_BOTTOM; -1 when the shell cannot say)
// and rectangle. Raises the system's error when there is no taskbar window.
int TaskbarEdge(RECT& Rect);
// Where a window of size w x h goes on a W x H screen: the corner beside the taskbar.
POINT TaskbarCorner(int edge, const RECT& taskbar, int W, int H, int w, int h);
// Moves the window just enough to lie inside the work area of its monitor (the nearest one when
// it is off them all); one larger than that keeps its top left inside, its title bar reachable.
void KeepInsideWorkArea(HWND window);
