#pragma once
#include <windows.h>

class ImageDocument;

// The main window's procedure (class D3DFWSampleClass).
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
