#pragma once
#include <windows.h>

#include "pixel_rows.h"

class ImageDocument;

// Reads the image pixel under the mouse cursor, where it is now and counting the scroll
// position, and shows it in the tool panel: a swatch of its red, green and blue, and alpha,
// red, green and blue as numbers. A point outside the image reads as opaque black. Nothing
// happens without an image. The pixel is kept as the last pick.
void PickColourAt(const ImageDocument& document, HWND mainWindow);
