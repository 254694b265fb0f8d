#pragma once
#include <windows.h>

#include "image_handle.h"
#include "pixel_range.h"

// Choosing the range by dragging over the image with the left button held. The press picks
// the colour as a click does; moving past the system's drag threshold starts a drag, which
// captures the mouse, draws the rectangle from the pressed pixel to the pixel under the
// cursor and tells in a tooltip the range it will give. The release writes that range into
// the tool panel's fields and shows its outline. A press and release within the threshold
// is only a click. Points are client points; the pixels they show may lie outside the
// image, and are clipped to it. Held beyond the client area of a large image, the drag
// scrolls towards the cursor.

// The main window's timer that goes on scrolling while the drag is held beyond its edge.
constexpr UINT_PTR kRangeDragTimer = 1;

// The left button went down at a client point.
void PressForRangeDrag(HWND mainWindow, POINT client);
// The mouse moved to a client point, with the left button held or not.
void MoveRangeDrag(HWND mainWindow, POINT client, bool buttonHeld);
// The drag's timer went off.
void ContinueRangeDrag(HWND mainWindow);
// What a drag's release does with the range it chose.
using ShowRangeCall = void (*)(const PixelRange& range);

// The left button went up at a client point; a drag that was on hands its range to
// showRange.
void ReleaseRangeDrag(HWND mainWindow, POINT client, ShowRangeCall showRange);
// The mouse capture went elsewhere: a drag ends without changing the range.
void CancelRangeDrag(HWND mainWindow);

// The pixels of the drag's rectangle, corners included, when a drag is on.
bool DraggedRectangle(ImageRect& rectangle);
