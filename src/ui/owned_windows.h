#pragma once
#include <windows.h>

// Puts every visible window that owner owns, directly or through another owned window (the
// tool panel, quality dialogs, message boxes and file dialogs), above owner again, keeping
// their order among themselves. Nothing changes on the screen when they are above already.
// Windows keeps owned windows above their owner by itself; Wine does not always, so the
// main window calls this whenever its place in the z-order may have changed.
void KeepOwnedWindowsAbove(HWND owner);
