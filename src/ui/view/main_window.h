#pragma once
#include <windows.h>

class ImageDocument;

// The main window's procedure (class D3DFWSampleClass).
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Has the whole main window painted again, erased first, so that a change to the image or
// to the outline shows.
void RepaintMainWindow();
