#pragma once
#include <windows.h>

// The keyboard shortcuts of the main window, the tool panel and the tools' dialogs, all in one
// table of keys held with Ctrl (Alt not held) and the command each runs through RunCommand.
// Read with the keyboard's state as the key message is handled.

// Carries out the shortcut of a key pressed in the main window, the tool panel or a tool;
// false when the key with the keys held is none. A shortcut whose command cannot run now
// does nothing, but is still the shortcut's. In a text field Ctrl+Z, Ctrl+C and Ctrl+V are
// the field's own.
bool RunShortcut(WPARAM key, bool inTextField);

// Has every control of a dialog (the tool panel, a tool's) pass the shortcuts on to
// RunShortcut, since the keys go to the control that has the focus.
void ForwardShortcutsFromControls(HWND dialog);

// Whether control is a text field, whose own keys some shortcuts leave to it.
bool IsTextField(HWND control);
