#pragma once
// The zoom commands of the main window's view. Every
// zoom goes through the steps 1/16, 1/12, 1/8, 1/6, 1/4, 1/3, 1/2, 2/3, 100%, 2, 3, 4, 6, 8,
// 12, 16, 24 and 32 times, or to the fit zoom; the window is fitted to the image at the new
// zoom, as at 100%, and the image point under the anchor stays under it as far as the scroll
// range allows. Without an image with pixels, no zoom does anything.
#include <windows.h>

// Whether there is an image to zoom, and whether a step in or out is left.
bool CanZoom();
bool CanZoomIn();
bool CanZoomOut();

// One step in or out, about a screen point.
void ZoomIn(HWND window, POINT anchor);
void ZoomOut(HWND window, POINT anchor);

// The largest zoom, at most 100%, at which the whole image and the frame fit the work area;
// the window is moved into the work area with it.
void ZoomToFit(HWND window);

// Back to 100%, about the client area's centre.
void ZoomToActualSize(HWND window);

// A turn of the mouse wheel with Ctrl held, at a screen point: a step in for each notch away
// from the user, a step out for each towards, about that point.
void ZoomByWheel(HWND window, int delta, POINT cursor);

// The screen point at the centre of the client area, the anchor of the keys' zooms.
POINT ClientCentre(HWND window);
