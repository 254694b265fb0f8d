#pragma once
// The steps of the program's start and its main loop, each on its own so that the tests
// create the same windows without entering the loop.
#include <windows.h>

// True when the command line ends with "/f" in either case, which asks for the borderless
// popup window: "/f", "-x /F" and "abc/f" do, "/f x" and "" do not.
bool WantsPopupWindow(const char* commandLine);

// Registers the main window class D3DFWSampleClass; 0 when registration fails.
ATOM RegisterMainWindowClass(HINSTANCE instance);

// Creates the main window, and with it the tool panel, without showing it: a 400 × 100
// popup at the screen's top-left corner, or an overlapped window with caption, system
// menu and minimise box whose client area is 400 × 100.
HWND CreateMainWindow(HINSTANCE instance, bool popup);

// Polls the message queue, one message a pass with a 1 ms sleep on every pass, until
// the quit message arrives; returns its exit code.
int RunMessageLoop();

// Creates the tool panel, owned by mainWindow and not yet shown: the main window's creation
// does so.
HWND CreateToolPanelOf(HWND mainWindow);
