#pragma once
#include <windows.h>

#include "view_scale.h"

class ImageDocument;

// Fits the main window to the document's image at the view's zoom (0 × 0 asked for an empty
// one). When the system allows a window whose client area is the image's size at the zoom,
// the window is resized to it, without moving it or changing its place in the z-order; the
// resize also activates it. Otherwise the window gets a scroll bar for each direction in
// which the image does not fit, and it is sized, and moved if need be, so that its client area is as large as the
// work area allows; that only happens when the window is not already so. Returns true in
// that second case, when the window shows only part of the image.
bool FitWindowToImage(const ImageDocument& document, HWND window);

// The largest zoom, at most 100%, at which the whole image and the window's frame fit the
// work area of the window's screen; 100% for an image that fits already, or none.
ViewScale FitZoom(const ImageDocument& document, HWND window);

// Moves the window, keeping its size, as far as it must to lie inside the work area.
void MoveIntoWorkArea(HWND window);
