#pragma once
// "アルファブラシ": the modeless dialog of the alpha brush. While it is open a left drag on the
// image paints a stroke (a click one dab, Shift+click a straight stroke from where the last
// ended) that either sets the alpha or paints back the image as it was opened; each stroke
// shows as it is painted and is one step of the edit history. Over the image the cursor shows
// the brush as a circle. It is a tool behind the tools' door (image_tools.h).
#include <windows.h>

// Opens the dialog, owned by mainWindow, where it covers the least of the image; when it is
// open already, brings it forward. Nothing without an image with pixels.
void OpenAlphaBrushDialog(HWND mainWindow);
