#pragma once
#include <windows.h>

#include "image_handle.h"
#include "reduced_view.h"
#include "view_scale.h"

namespace Gdiplus {
class GpGraphics;
}

// A GDI+ drawing surface over a device context for the length of one paint.
class ImageCanvas {
public:
    explicit ImageCanvas(HDC dc) noexcept;
    ~ImageCanvas();
    ImageCanvas(const ImageCanvas&) = delete;
    ImageCanvas& operator=(const ImageCanvas&) = delete;

    // Draws the image with its top-left pixel at the origin, one image pixel to one device
    // pixel whatever resolution its file recorded. Nothing for no image or an empty one.
    // Every pixel of the image is drawn, seen or not; DrawImagePart draws only what is asked.
    void DrawImageAtOrigin(const ImageHandle* image);

    // Draws the part of the image that starts at image pixel source and is size pixels large,
    // with that pixel at device point target, one image pixel to one device pixel: the device
    // pixels are those DrawImageAtOrigin gives the part, moved by target - source. The part
    // must lie inside the image; nothing is drawn for an empty one.
    void DrawImagePart(const ImageHandle* image, POINT target, POINT source, SIZE size);

    // Draws the outline of a rectangle with a pen 1.0 wide in colour. Negative widths and
    // heights are passed on as they are.
    void DrawView(const ImageHandle* image, const ReducedView* reduced, ViewScale scale, POINT viewOrigin,
                  const RECT& area, bool checkerboard);
    void DrawOutline(ArgbValue colour, int x, int y, int width, int height);

private:
    Gdiplus::GpGraphics* graphics_ = nullptr;
};
