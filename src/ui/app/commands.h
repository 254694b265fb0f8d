#pragma once
// The one road of the program's commands (the IDM_ ids): the menu bar, the context menu and
// the keys (shortcuts.h) all end in RunCommand, and CanRunCommand says whether a command can
// do anything now, for the context menu's greying and the keys alike.
#include <windows.h>

// Where a command was asked for: the screen point a zoom keeps still, the image pixel a tool
// starts from, and the screen point its dialog keeps clear of.
struct CommandPlace {
    POINT screen = {};
    POINT pixel = {};
    POINT dialogClearOf = {};
};

// The place of a command from the keys or the menu bar: the zooms keep the client area's
// centre, and a tool starts from the last pick's pixel (the top-left pixel before any).
CommandPlace KeyboardPlace();

// The place of a command from the context menu opened at screen point `screen` over image
// pixel `pixel` (the keyboard's pixel when it lies outside the image).
CommandPlace MenuPlace(POINT screen, POINT pixel);

// Whether command can do anything now: an image to zoom, an edit to undo, and so on.
bool CanRunCommand(UINT command);

// Carries out command from place; nothing for a command that cannot run now, or for none.
void RunCommand(UINT command, const CommandPlace& place);

// Whether command is one of the main window's menu bar, the only ones its WM_COMMAND takes.
bool IsMenuBarCommand(UINT command);
