#pragma once
#include <windows.h>

#include "image_handle.h"

// Choosing the range by dragging over the image with the left button held. The press picks
// the colour as a click does; moving past the system's drag threshold starts a drag, which
// captures the mouse, draws the rectangle from the pressed pixel to the pixel under the
// cursor and tells in a tooltip the range it will give. The release writes that range into
// the tool panel's fields and shows its outline. A press and release within the threshold
// is only a click. Points are image pixels; they may lie outside the image, and are clipped.

// The left button went down at a client point over an image pixel.
void PressForRangeDrag(HWND mainWindow, POINT client, POINT pixel);
// The mouse moved to a client point over an image pixel; true while a drag is on.
bool MoveRangeDrag(HWND mainWindow, POINT client, POINT pixel);
// The left button went up over an image pixel.
void ReleaseRangeDrag(HWND mainWindow, POINT pixel);
// The mouse capture went elsewhere: a drag ends without changing the range.
void CancelRangeDrag(HWND mainWindow);

// The pixels of the drag's rectangle, corners included, when a drag is on.
bool DraggedRectangle(ImageRect& rectangle);
