#pragma once
// Which part of the image the main window's client area shows, and at which zoom: the one
// owner of the view's state, through which every change to it goes. The view
// is the image at the zoom: view pixel (x, y) shows image pixel (x, y) at 100%, and at any
// zoom the image pixel ViewToImage gives. Client point (x, y) shows view pixel
// (x + origin.x, y + origin.y), where the origin is the view pixel at the client area's
// top-left corner: (0, 0) unless the view is larger than the client area and the user has
// scrolled. Scrolling counts in view pixels. There is one view, that of the one main window.
#include <windows.h>

#include "image_handle.h"
#include "tool_preview.h"
#include "view_scale.h"

struct ViewState;

// The view pixel shown at the client area's top-left corner.
POINT ViewOrigin();

// The zoom and scroll position of a view, for the mapping between client points and image
// pixels (view_scale.h), which every part of the view goes through.
ViewPlace PlaceOf(const ViewState& view);

// Coordinates clamped to those of a LONG, which only cuts points far outside any client area.
LONG ToLong(std::int64_t value);

// The image pixel shown at a client point of the main window's view; it may lie outside the
// image.
POINT ClientToImage(POINT client);

// The client point at which an image pixel begins (its top-left screen pixel at a zoom above
// 100%); it may lie outside the client area.
POINT ImageToClient(POINT image);

// Whether an image pixel, which may lie anywhere, is one of the document image's.
bool IsInImage(POINT pixel);

// The zoom the view shows the image at.
ViewScale ViewZoom();

// The size of an image at the view's zoom: the size the client area takes when it can.
ImageSize ShownSize(ImageSize image);

// Sets the zoom, and the reduced copy of the image that the view shows below 100%; the caller
// fits the window and places the origin. False, with the zoom and copy as they were, when
// there is no memory for the copy.
bool SetViewZoom(ViewScale scale);

// Adds a Ctrl+wheel turn to what was turned short of a notch, and takes the whole notches:
// positive away from the user, negative towards.
int TakeWheelNotches(int delta);

// The changed pixels of the image show at any zoom: the view's reduced copy is made again
// where they are, and the window repainted.
void ShowImageChange(HWND window, const ImageRect& changed);

// Pixels changed as the user watches (a brush stroke) show at once: the reduced copy is made
// again where they are, and only their part of the client area is painted again.
void ShowImagePart(HWND window, const ImageRect& changed);

// The view shows, while the open tool shows a preview and until EndPreview, the image as work
// would make it, over the checkerboard, without changing the image; the caller repaints.
void ShowPreview(const ImageHandle& image, const PreviewWork& work);

// Hands over the previewed result (the changed rectangle and its new pixels), which the view
// then no longer shows; empty when there is none.
ColourKeyResult TakePreviewResult();

// The view shows the image as it is again; the caller repaints. The preview's memory is kept
// for the next preview of the same image.
void EndPreview();

// Starts making the memory a preview of the whole image at the zoom keeps, on a thread of its
// own, unless the preview already holds it: a menu that offers the tools is open.
void PreparePreviewMemory();

// Gives back the memory PreparePreviewMemory made, or is making, unless a preview took it.
void DropPreparedPreviewMemory();

// Gives back the memory the last preview kept: for another image it would be the wrong size.
void ForgetPreviewMemory();

// Turns the checkerboard behind transparent pixels on or off, and repaints.
void ToggleCheckerboard(HWND window);
bool IsCheckerboardShown();

// Puts the view back at 100% and at the image's top-left corner, where every opened image
// starts, as a new main window's does; the next fit sets its extent. The checkerboard stays
// as the user set it.
void ResetView();

// Sets the window's scroll bars for a view of the given size in the client area the window
// has now: a bar for each direction in which the view is larger, none for the others. The
// origin stays inside the view; when it has to move, the window is repainted.
void SetViewExtent(HWND window, ImageSize view);

// Puts the origin at a view pixel without moving what the screen shows: for a new zoom,
// after which the caller fits the window, which keeps the origin inside the view, and has
// everything painted again.
void PlaceViewOrigin(POINT origin);

// Scrolls so that view pixel origin is at the client area's top-left corner, as far as the
// view reaches; the pixels already on screen move with it and only what comes into view is
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
