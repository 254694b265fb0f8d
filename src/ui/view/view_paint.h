#pragma once
#include <windows.h>

#include <vector>

#include "image_document.h"

struct ViewState;

// Draws what the main window's client area shows inside areas, in client coordinates, onto
// dc, over what is there (a paint's erase leaves it white): the prompt while no image is
// open, the parts of the image inside areas at the view's zoom with view pixel origin at the
// client area's top-left corner (over a checkerboard when the view asks for one, or with the
// preview of a colour made transparent in the image's place over it), and the
// range outline over them. While a drag chooses a range, dragged holds its pixels, corners
// included, and its rectangle is drawn in the outline's place.
void PaintView(HDC dc, const std::vector<RECT>& areas, const ImageDocument& document, const ViewState& view,
               const ImageRect* dragged = nullptr);
