#pragma once
#include <windows.h>

// Puts every visible window that owner owns, directly or through another owned window (the
// tool panel, quality dialogs, message boxes and file dialogs), above owner again, keeping
// their order among themselves. Nothing changes on the screen when they are above already.
// Windows keeps owned windows above their owner by itself; Wine does not always, so the
// main window calls this whenever its place in the z-order may have changed.
void KeepOwnedWindowsAbove(HWND owner);

// Tells the window manager once more, for every visible window that owner owns, whose window
// it is. A window shown before its owner was on the screen is taken by a window manager for
// a window of its own, which the owner may then cover; told again once the owner is shown,
// it keeps the window above its owner. Nothing changes on the screen.
void ReannounceOwnedWindows(HWND owner);
