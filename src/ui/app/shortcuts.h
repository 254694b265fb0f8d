#pragma once
#include <windows.h>

// The keyboard shortcuts of the main window and the tool panel: Ctrl+O opens, Ctrl+S saves
// as, Ctrl+Z undoes the last edit, Ctrl+Y and Ctrl+Shift+Z redo; Ctrl and plus (the main
// keyboard's or the keypad's) zooms in, Ctrl and minus out, Ctrl+0 fits the image to the
// screen and Ctrl+1 shows it at 100%; Ctrl+C copies the image to the clipboard and Ctrl+V
// pastes one from it. Read with the keyboard's state as the key message is
// handled.

// Carries out the shortcut of a key pressed in the main window or the tool panel; false
// when the key with the keys held is none. In a text field Ctrl+Z, Ctrl+C and Ctrl+V are the
// field's own.
bool RunShortcut(WPARAM key, bool inTextField);

// Has every control of the tool panel pass the shortcuts on to RunShortcut, since the keys
// go to the control that has the focus.
void ForwardShortcutsFromControls(HWND panel);
