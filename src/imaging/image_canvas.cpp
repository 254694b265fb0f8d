#include "image_canvas.h"

#include "gdiplus_api.h"
#include "locked_pixels.h"

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

// A bitmap over locked pixels, sharing them rather than copying; it must go before the lock.
class SharedPixelsBitmap {
public:
    explicit SharedPixelsBitmap(const Gdiplus::BitmapData& pixels) noexcept
    {
        GdipCreateBitmapFromScan0(static_cast<INT>(pixels.Width), static_cast<INT>(pixels.Height),
                                  pixels.Stride, PixelFormat32bppARGB, static_cast<BYTE*>(pixels.Scan0),
                                  &bitmap_);
    }
    ~SharedPixelsBitmap()
    {
        if (bitmap_)
            GdipDisposeImage(bitmap_);
    }
    SharedPixelsBitmap(const SharedPixelsBitmap&) = delete;
    SharedPixelsBitmap& operator=(const SharedPixelsBitmap&) = delete;

    Gdiplus::GpBitmap* Get() const noexcept { return bitmap_; }

private:
    Gdiplus::GpBitmap* bitmap_ = nullptr;
};

// Nearest-neighbour sampling on pixel centres for as long as it lives: each image pixel is
// copied without blending it with its neighbours. The offset mode is put back afterwards so
// that the outline lands where it did.
class NearestPixelSampling {
public:
    explicit NearestPixelSampling(Gdiplus::GpGraphics* graphics) noexcept : graphics_(graphics)
    {
        GdipGetPixelOffsetMode(graphics_, &offsetMode_);
        GdipSetInterpolationMode(graphics_, Gdiplus::InterpolationModeNearestNeighbor);
        GdipSetPixelOffsetMode(graphics_, Gdiplus::PixelOffsetModeHalf);
    }
    ~NearestPixelSampling() { GdipSetPixelOffsetMode(graphics_, offsetMode_); }
    NearestPixelSampling(const NearestPixelSampling&) = delete;
    NearestPixelSampling& operator=(const NearestPixelSampling&) = delete;

private:
    Gdiplus::GpGraphics* graphics_;
    Gdiplus::PixelOffsetMode offsetMode_ = Gdiplus::PixelOffsetModeDefault;
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
    const ImageSize size = image->Size();
    const NearestPixelSampling sampling(graphics_);
    GdipDrawImageRectI(graphics_, image->Native(), 0, 0, static_cast<INT>(size.width),
                       static_cast<INT>(size.height));
}

void ImageCanvas::DrawImagePart(const ImageHandle* image, POINT target, POINT source, SIZE size)
{
    if (!graphics_ || !image || image->IsEmpty() || size.cx <= 0 || size.cy <= 0)
        return;
    // The part is drawn as a bitmap of its own over the image's pixels: GDI+ prepares every
    // pixel of the bitmap it is given for the device (Wine converts all of it to premultiplied
    // alpha on each call, whatever is clipped away), so a bitmap of the part costs only the
    // part. Drawn at its own size it is one image pixel to one device pixel.
    const ImageRect rect = {static_cast<std::uint32_t>(source.x), static_cast<std::uint32_t>(source.y),
                            static_cast<std::uint32_t>(size.cx), static_cast<std::uint32_t>(size.cy)};
    const LockedPixels lock(image->Native(), rect, Gdiplus::ImageLockModeRead);
    if (!lock.IsLocked())
        return;
    const SharedPixelsBitmap part(lock.Data());
    if (!part.Get())
        return;
    const NearestPixelSampling sampling(graphics_);
    GdipDrawImageRectI(graphics_, part.Get(), target.x, target.y, size.cx, size.cy);
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
