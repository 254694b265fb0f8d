#pragma once
#include <windows.h>

class ImageDocument;

// Draws what the main window's client area shows inside area, in client coordinates, onto
// dc, over what is there (a paint's erase leaves it white): the prompt while no image is
// open, the part of the image inside area one image pixel to one pixel with image pixel
// origin at the client area's top-left corner, and the range outline over it.
void PaintView(HDC dc, const RECT& area, const ImageDocument& document, POINT origin);
