#pragma once
#include <windows.h>

#include "tool_preview.h"
#include "image_handle.h"
#include "pixel_rows.h"
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

    // Draws what the view shows inside area (device coordinates): the image at scale, with
    // view pixel viewOrigin at device (0, 0), so device point p shows view pixel
    // p + viewOrigin. Only the part of the zoomed image inside area is drawn. Above 100% each
    // image pixel is an exact square of scale device pixels (nearest neighbour); below 100%
    // the pixels come from reduced, which the caller built for this image and scale (nothing
    // is drawn when it is missing or was built at another zoom or size); at 100% they are the
    // image's own. With checkerboard, the area under the image is first a checkerboard of
    // 8 × 8 device-pixel squares, white (255, 255, 255) and light grey (204, 204, 204),
    // anchored at the zoomed image's top-left pixel (view pixel (0, 0) is the top-left of a
    // white square), and the image is composited over it with its alpha (alpha 0 shows the
    // checkerboard, 128 half of it). Without it the image is drawn over whatever is there
    // with its alpha, as DrawImagePart draws it; at 100% it is DrawImagePart. Nothing is
    // drawn outside the image, and nothing for no image or an empty one.
    void DrawView(const ImageHandle* image, const ReducedView* reduced, const ViewPlace& place, const RECT& area,
                  bool checkerboard);

    // Draws what DrawView with the checkerboard draws, but with the preview's new pixels in
    // the image's place where they would replace it: the view of the image as the preview
    // would leave it. The image is drawn only where the new pixels do not cover all of area.
    // Below 100% the preview's reduced view must have been made at scale, and reduced built
    // as for DrawView, or the part of each that is missing is not drawn.
    void DrawPreviewView(const ImageHandle* image, const ReducedView* reduced, const ToolPreview& preview,
                         const ViewPlace& place, const RECT& area);

    // Draws the outline of a rectangle with a pen 1.0 wide in colour. Negative widths and
    // heights are passed on as they are.
    void DrawOutline(ArgbValue colour, int x, int y, int width, int height);

private:
    void DrawEnlarged(const ImageHandle& image, ViewScale scale, const ImageRect& part, POINT target,
                      bool checkerboard);
    void DrawPreview(const ToolPreview& preview, ImageSize imageSize, ViewScale scale, POINT viewOrigin,
                     const ImageRect& part, const ImageRect& shown);
    void DrawReduced(const ReducedView& reduced, const ImageRect& part, POINT target, bool checkerboard);
    // Draws rows of straight ARGB pixels one to one at target, blended with their alpha.
    void DrawBlended(const PixelRows& pixels, std::uint32_t width, std::uint32_t height, POINT target);
    // Draws a contiguous buffer of opaque pixels one to one at target, copying them.
    void DrawOpaque(const ArgbValue* pixels, std::uint32_t width, std::uint32_t height, POINT target);

    Gdiplus::GpGraphics* graphics_ = nullptr;
};
