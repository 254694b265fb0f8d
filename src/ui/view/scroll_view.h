#pragma once
// Which part of the image the main window's client area shows. Client point (x, y) shows
// image pixel (x + origin.x, y + origin.y), where the origin is the image pixel at the
// client area's top-left corner: (0, 0) unless the image is larger than the client area
// and the user has scrolled. There is one view, that of the one main window.
#include <windows.h>

#include "image_handle.h"

// The image pixel shown at the client area's top-left corner.
POINT ViewOrigin();

// The image pixel shown at a client point; it may lie outside the image.
POINT ClientToImage(POINT client);

// The client point at which an image pixel is shown; it may lie outside the client area.
POINT ImageToClient(POINT image);

// Puts the view back at the image's top-left corner, where every opened image starts, as a
// new main window's does; the next fit sets its extent.
void ResetView();

// Sets the window's scroll bars for an image of the given size in the client area the
// window has now: a bar for each direction in which the image is larger, none for the
// others. The origin stays inside the image; when it has to move, the window is repainted.
void SetViewExtent(HWND window, ImageSize image);

// Scrolls so that image pixel origin is at the client area's top-left corner, as far as the
// image reaches; the pixels already on screen move with it and only what comes into view is
// painted again.
void ScrollViewTo(HWND window, POINT origin);

// Scrolls as a scroll bar asks: bar is SB_HORZ or SB_VERT, request one of the SB_ codes of
// WM_HSCROLL and WM_VSCROLL (arrows, page areas, thumb, ends).
void ScrollFromBar(HWND window, int bar, WORD request);

// Scrolls by a mouse wheel's turn: down (or right, when horizontal) for a negative delta.
void ScrollFromWheel(HWND window, int delta, bool horizontal);

// Scrolls by a key: the arrows by a step, Page Up and Page Down by a client area's height,
// Home to the image's top-left corner, End to its bottom-right corner. False for any other
// key.
bool ScrollFromKey(HWND window, UINT key);
