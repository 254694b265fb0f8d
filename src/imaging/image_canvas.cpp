#include "image_canvas.h"

#include "gdiplus_api.h"

using namespace Gdiplus::DllExports;

namespace {

// A pen for one outline, deleted when it goes out of scope.
class ScopedPen {
public:
    ScopedPen() noexcept { GdipCreatePen1(kOpaqueWhite, 1.0f, Gdiplus::UnitWorld, &pen_); }
    ~ScopedPen()
    {
        if (pen_)
            GdipDeletePen(pen_);
    }
    ScopedPen(const ScopedPen&) = delete;
    ScopedPen& operator=(const ScopedPen&) = delete;

    Gdiplus::GpPen* Get() const noexcept { return pen_; }

private:
    Gdiplus::GpPen* pen_ = nullptr;
};

}  // namespace

ImageCanvas::ImageCanvas(HDC dc) noexcept
{
    if (GdipCreateFromHDC(dc, &graphics_) != Gdiplus::Ok)
        graphics_ = nullptr;
}

ImageCanvas::~ImageCanvas()
{
    if (graphics_)
        GdipDeleteGraphics(graphics_);
}

void ImageCanvas::DrawImageAtOrigin(const ImageHandle* image)
{
    if (!graphics_ || !image || image->IsEmpty())
        return;
    // Drawn without a size, GDI+ scales by the file's resolution; an explicit size in
    // pixels keeps image pixels on screen pixels, where the outline and the pick expect them.
    // Nearest-neighbour sampling on pixel centres copies each pixel without blending it with
    // its neighbours; the offset mode is put back so that the outline lands where it did.
    const ImageSize size = image->Size();
    Gdiplus::PixelOffsetMode offsetMode = Gdiplus::PixelOffsetModeDefault;
    GdipGetPixelOffsetMode(graphics_, &offsetMode);
    GdipSetInterpolationMode(graphics_, Gdiplus::InterpolationModeNearestNeighbor);
    GdipSetPixelOffsetMode(graphics_, Gdiplus::PixelOffsetModeHalf);
    GdipDrawImageRectI(graphics_, image->Native(), 0, 0, static_cast<INT>(size.width),
                       static_cast<INT>(size.height));
    GdipSetPixelOffsetMode(graphics_, offsetMode);
}

void ImageCanvas::DrawOutline(ArgbValue colour, int x, int y, int width, int height)
{
    if (!graphics_)
        return;
    const ScopedPen pen;
    if (!pen.Get())
        return;
    GdipSetPenColor(pen.Get(), colour);
    GdipDrawRectangleI(graphics_, pen.Get(), x, y, width, height);
}
