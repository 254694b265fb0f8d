#pragma once
#include <windows.h>

// The main window's context menu: undo and redo, making a colour transparent, copy and
// paste, the zooms, and the checkerboard. Items that can do nothing now are greyed, and the
// checkerboard's item is checked while it shows.

// Opens the menu at a screen point, from a right click there, and carries out the item
// chosen; the zooms are about that point, and the colour made transparent is that of the
// image pixel under it. Returns once the menu is closed.
void ShowViewMenu(HWND window, POINT screen);

// Opens the menu from the keyboard, at KeyboardMenuPoint; the colour made transparent is that
// of the last colour pick's pixel, or of the top-left pixel when there was none.
void ShowViewMenuFromKeyboard(HWND window);

// The point a menu opened from the keyboard stands at: the client area's top-left corner.
POINT KeyboardMenuPoint(HWND window);
