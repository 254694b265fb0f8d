#pragma once
#include <windows.h>

class ImageDocument;

// Size of the swatch picture, in pixels.
constexpr int kSwatchWidth = 50;
constexpr int kSwatchHeight = 30;

// Reads the image pixel under the mouse cursor, where it is now and counting the scroll
// position, and shows it in the tool panel: a swatch of its red, green and blue, and alpha, red, green and blue as numbers.
// A point outside the image reads as opaque black. Nothing happens without an image.
void PickColourAt(const ImageDocument& document, HWND mainWindow);
