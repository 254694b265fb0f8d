#pragma once
#include <windows.h>

class ImageDocument;

// Where the prompt is drawn while no image is open, in client coordinates.
constexpr int kPromptX = 70;
constexpr int kPromptY = 40;

// The main window's procedure (class D3DFWSampleClass).
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Composes "Tessarel あるふぁ～ - [ title ]" in the document's caption buffer and returns it.
const char* BuildCaption(ImageDocument& document);
