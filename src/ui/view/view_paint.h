#pragma once
#include <windows.h>

#include <vector>

#include "image_document.h"

// Draws what the main window's client area shows inside areas, in client coordinates, onto
// dc, over what is there (a paint's erase leaves it white): the prompt while no image is
// open, the parts of the image inside areas one image pixel to one pixel with image pixel
// origin at the client area's top-left corner, and the range outline over them. While a
// drag chooses a range, dragged holds its pixels, corners included, and its rectangle is
// drawn in the outline's place.
void PaintView(HDC dc, const std::vector<RECT>& areas, const ImageDocument& document, POINT origin,
               const ImageRect* dragged = nullptr);
