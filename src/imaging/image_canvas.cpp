#include "image_canvas.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <new>

#include "area_average.h"
#include "gdiplus_api.h"
#include "locked_pixels.h"
#include "pixel_vector.h"
#include "view_pixels.h"

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

// A bitmap over ARGB pixels in memory (locked ones or a buffer), sharing them rather than
// copying; it must go before they do. GDI+ only reads them while it draws the bitmap.
class SharedPixelsBitmap {
public:
    explicit SharedPixelsBitmap(const Gdiplus::BitmapData& pixels) noexcept
        : SharedPixelsBitmap({pixels.Scan0, pixels.Stride}, pixels.Width, pixels.Height)
    {
    }
    SharedPixelsBitmap(const PixelRows& pixels, std::uint32_t width, std::uint32_t height) noexcept
    {
        GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), static_cast<INT>(pixels.stride),
                                  PixelFormat32bppARGB, static_cast<BYTE*>(pixels.first), &bitmap_);
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

// The device context under the graphics, for GDI's own calls, for as long as it lives; GDI+
// draws nothing meanwhile.
class GraphicsDc {
public:
    explicit GraphicsDc(Gdiplus::GpGraphics* graphics) noexcept : graphics_(graphics)
    {
        if (GdipGetDC(graphics_, &dc_) != Gdiplus::Ok)
            dc_ = nullptr;
    }
    ~GraphicsDc()
    {
        if (dc_)
            GdipReleaseDC(graphics_, dc_);
    }
    GraphicsDc(const GraphicsDc&) = delete;
    GraphicsDc& operator=(const GraphicsDc&) = delete;

    HDC Get() const noexcept { return dc_; }

private:
    Gdiplus::GpGraphics* graphics_;
    HDC dc_ = nullptr;
};

// Pixels of a visible part of the view, made for one draw; empty when there is no memory.
class PartBuffer {
public:
    PartBuffer(std::uint32_t width, std::uint32_t height) noexcept : width_(width)
    {
        pixels_.swap(Kept());
        try {
            pixels_.resize(std::size_t{width} * height);
        } catch (const std::bad_alloc&) {
            PixelVector().swap(pixels_);
        }
    }
    ~PartBuffer() { pixels_.swap(Kept()); }
    PartBuffer(const PartBuffer&) = delete;
    PartBuffer& operator=(const PartBuffer&) = delete;

    bool IsEmpty() const noexcept { return pixels_.empty(); }
    const ArgbValue* Pixels() const noexcept { return pixels_.data(); }
    PixelRows Rows() const noexcept
    {
        return {const_cast<ArgbValue*>(pixels_.data()), static_cast<std::ptrdiff_t>(std::size_t{width_} * sizeof(ArgbValue))};
    }

private:
    // The memory of the last paint, lent to the next: a screenful allocated anew for each
    // paint costs more in fresh pages than the composing itself. A buffer made while another
    // holds it simply allocates its own.
    static PixelVector& Kept() noexcept
    {
        static PixelVector kept;
        return kept;
    }

    PixelVector pixels_;
    std::uint32_t width_;
};

ImageSize ViewSizeOf(ImageSize imageSize, ViewScale scale)
{
    return {static_cast<std::uint32_t>(std::min<std::int64_t>(ViewLength(imageSize.width, scale), INT_MAX)),
            static_cast<std::uint32_t>(std::min<std::int64_t>(ViewLength(imageSize.height, scale), INT_MAX))};
}

// The view pixels of a view of viewSize that area of the device shows, the view placed as
// place says; empty when none.
ImageRect VisiblePart(const RECT& area, ImageSize viewSize, const ViewPlace& place)
{
    const ViewPoint& origin = place.origin;
    const std::int64_t left = std::max<std::int64_t>(std::int64_t{area.left} + origin.x, 0);
    const std::int64_t top = std::max<std::int64_t>(std::int64_t{area.top} + origin.y, 0);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{area.right} + origin.x, viewSize.width);
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{area.bottom} + origin.y, viewSize.height);
    if (left >= right || top >= bottom)
        return {};
    return {static_cast<std::uint32_t>(left), static_cast<std::uint32_t>(top), static_cast<std::uint32_t>(right - left),
            static_cast<std::uint32_t>(bottom - top)};
}

// Whether reduced holds a view of viewSize built at scale.
bool IsViewAt(const ReducedView* reduced, ImageSize viewSize, ViewScale scale)
{
    return reduced && reduced->IsBuilt() && IsSameZoom(reduced->Scale(), scale) &&
           reduced->Size().width == viewSize.width && reduced->Size().height == viewSize.height;
}

// The view pixels that show image pixels of rect at scale (at or above 100%).
ImageRect ViewPixelsShowing(const ImageRect& rect, ViewScale scale)
{
    const std::int64_t left = ImageToView(rect.x, scale);
    const std::int64_t top = ImageToView(rect.y, scale);
    const std::int64_t right = ImageToView(std::int64_t{rect.x} + rect.width, scale);
    const std::int64_t bottom = ImageToView(std::int64_t{rect.y} + rect.height, scale);
    const std::int64_t limit = INT_MAX;
    return {static_cast<std::uint32_t>(std::min(left, limit)), static_cast<std::uint32_t>(std::min(top, limit)),
            static_cast<std::uint32_t>(std::min(right, limit) - std::min(left, limit)),
            static_cast<std::uint32_t>(std::min(bottom, limit) - std::min(top, limit))};
}

// Rows starting at pixel (x, y) of rows.
PixelRows RowsFrom(const PixelRows& rows, std::uint32_t x, std::uint32_t y)
{
    return {rows.Row(y) + x, rows.stride};
}

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

void ImageCanvas::DrawView(const ImageHandle* image, const ReducedView* reduced, const ViewPlace& place,
                           const RECT& area, bool checkerboard)
{
    if (!graphics_ || !image || image->IsEmpty())
        return;
    const ViewScale scale = place.scale;
    const ImageSize imageSize = image->Size();
    const ImageRect part = VisiblePart(area, ViewSizeOf(imageSize, scale), place);
    if (part.width == 0 || part.height == 0)
        return;
    const POINT target = {static_cast<LONG>(part.x - place.origin.x), static_cast<LONG>(part.y - place.origin.y)};
    if (scale.IsActualSize() && !checkerboard)
        DrawImagePart(image, target, {static_cast<LONG>(part.x), static_cast<LONG>(part.y)},
                      {static_cast<LONG>(part.width), static_cast<LONG>(part.height)});
    else if (scale.IsActualSize() || scale.Enlarges())
        DrawEnlarged(*image, scale, part, target, checkerboard);
    else if (IsViewAt(reduced, ViewSizeOf(imageSize, scale), scale))
        DrawReduced(*reduced, part, target, checkerboard);
}

void ImageCanvas::DrawEnlarged(const ImageHandle& image, ViewScale scale, const ImageRect& part, POINT target,
                               bool checkerboard)
{
    const ImageSize imageSize = image.Size();
    const LockedPixels locked(image.Native(), ImagePixelsShown(part, imageSize, scale), Gdiplus::ImageLockModeRead);
    const PartBuffer buffer(part.width, part.height);
    if (!locked.IsLocked() || buffer.IsEmpty())
        return;
    const PixelRows source = {locked.Data().Scan0, locked.Data().Stride};
    if (scale.IsActualSize()) {
        // At 100% only with the checkerboard: composited straight from the image's pixels.
        CompositeOverCheckerboard(source, part, buffer.Rows());
        DrawOpaque(buffer.Pixels(), part.width, part.height, target);
        return;
    }
    EnlargeInto(source, imageSize, scale, part, buffer.Rows());
    if (!checkerboard) {
        DrawBlended(buffer.Rows(), part.width, part.height, target);
        return;
    }
    CompositeOverCheckerboard(buffer.Rows(), part, buffer.Rows());
    DrawOpaque(buffer.Pixels(), part.width, part.height, target);
}

void ImageCanvas::DrawReduced(const ReducedView& reduced, const ImageRect& part, POINT target, bool checkerboard)
{
    // The view's own rows, read in place.
    const PixelRows shown = {const_cast<ArgbValue*>(reduced.Row(part.y) + part.x),
                             static_cast<std::ptrdiff_t>(std::size_t{reduced.Size().width} * sizeof(ArgbValue))};
    if (!checkerboard) {
        DrawBlended(shown, part.width, part.height, target);
        return;
    }
    const PartBuffer buffer(part.width, part.height);
    if (buffer.IsEmpty())
        return;
    CompositeOverCheckerboard(shown, part, buffer.Rows());
    DrawOpaque(buffer.Pixels(), part.width, part.height, target);
}

void ImageCanvas::DrawBlended(const PixelRows& pixels, std::uint32_t width, std::uint32_t height, POINT target)
{
    // As DrawImagePart draws: a bitmap of just these pixels, drawn at its own size.
    const SharedPixelsBitmap bitmap(pixels, width, height);
    if (!bitmap.Get())
        return;
    const NearestPixelSampling sampling(graphics_);
    GdipDrawImageRectI(graphics_, bitmap.Get(), target.x, target.y, static_cast<INT>(width), static_cast<INT>(height));
}

void ImageCanvas::DrawOpaque(const ArgbValue* pixels, std::uint32_t width, std::uint32_t height, POINT target)
{
    // Opaque pixels need no blending, and GDI copies them many times faster than GDI+ draws
    // a bitmap (Wine's GDI+ takes tens of milliseconds for a screenful, GDI about one).
    const GraphicsDc dc(graphics_);
    if (!dc.Get())
        return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as the rows are
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(dc.Get(), target.x, target.y, static_cast<int>(width), static_cast<int>(height), 0, 0,
                  static_cast<int>(width), static_cast<int>(height), pixels, &info, DIB_RGB_COLORS, SRCCOPY);
}

void ImageCanvas::DrawPreviewView(const ImageHandle* image, const ReducedView* reduced,
                                  const ToolPreview& preview, const ViewPlace& place, const RECT& area)
{
    if (!graphics_ || !image || image->IsEmpty())
        return;
    const ViewScale scale = place.scale;
    const POINT viewOrigin = {static_cast<LONG>(place.origin.x), static_cast<LONG>(place.origin.y)};
    const ImageSize imageSize = image->Size();
    const ImageRect visible = VisiblePart(area, ViewSizeOf(imageSize, scale), place);
    const bool reduces = !scale.IsActualSize() && !scale.Enlarges();
    ImageRect shown = reduces ? preview.ReducedArea() : ViewPixelsShowing(preview.Changed(), scale);
    if (preview.Changed().PixelCount() == 0 || (reduces && !preview.HasReducedAt(scale)))
        shown = {};
    const ImageRect part = Overlap(visible, shown);
    if (part.width != visible.width || part.height != visible.height)
        DrawView(image, reduced, place, area, true);
    DrawPreview(preview, imageSize, scale, viewOrigin, part, shown);
}

void ImageCanvas::DrawPreview(const ToolPreview& preview, ImageSize imageSize, ViewScale scale,
                              POINT viewOrigin, const ImageRect& part, const ImageRect& shown)
{
    const PartBuffer buffer(part.width, part.height);
    if (part.PixelCount() == 0 || buffer.IsEmpty())
        return;
    if (!scale.IsActualSize() && !scale.Enlarges()) {
        CompositeOverCheckerboard(RowsFrom(preview.ReducedRows(), part.x - shown.x, part.y - shown.y), part,
                                  buffer.Rows());
    } else {
        const ImageRect& changed = preview.Changed();
        const ImageRect pixels = ImagePixelsShown(part, imageSize, scale);
        EnlargeInto(RowsFrom(preview.Rows(), pixels.x - changed.x, pixels.y - changed.y), imageSize, scale, part,
                    buffer.Rows());
        CompositeOverCheckerboard(buffer.Rows(), part, buffer.Rows());
    }
    DrawOpaque(buffer.Pixels(), part.width, part.height,
               {static_cast<LONG>(part.x - viewOrigin.x), static_cast<LONG>(part.y - viewOrigin.y)});
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
