#pragma once
#include <windows.h>

// The main window's context menu: undo and redo, copy and paste, the zooms, and the
// checkerboard. Items that can do nothing now are greyed, and the checkerboard's item is
// checked while it shows.

// Opens the menu at a screen point and carries out the item chosen; the zooms are about that
// point. Returns once the menu is closed.
void ShowViewMenu(HWND window, POINT screen);

// The point a menu opened from the keyboard stands at: the client area's top-left corner.
POINT KeyboardMenuPoint(HWND window);
