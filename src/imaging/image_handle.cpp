#include "image_handle.h"

#include <algorithm>
#include <atomic>
#include <climits>

#include "gdiplus_api.h"
#include "locked_pixels.h"

using namespace Gdiplus::DllExports;

namespace {

// The diagnostic LiveBitmapCount reads: handles that own a bitmap now. Atomic, so that the
// count stays right whichever thread makes or releases an image.
std::atomic<int> g_liveBitmaps{0};

// GDI+ takes signed coordinates; anything past INT_MAX is outside every image anyway.
INT ToCoordinate(std::uint32_t value)
{
    return value > static_cast<std::uint32_t>(INT_MAX) ? -1 : static_cast<INT>(value);
}

bool IsInside(const ImageRect& rect, ImageSize size)
{
    return rect.width > 0 && rect.height > 0 && rect.x < size.width && rect.y < size.height &&
           rect.width <= size.width - rect.x && rect.height <= size.height - rect.y;
}

}  // namespace

ImageHandle::ImageHandle() noexcept = default;

ImageHandle::ImageHandle(Gdiplus::GpBitmap* bitmap) noexcept : bitmap_(bitmap)
{
    if (bitmap_)
        ++g_liveBitmaps;
}

ImageHandle::~ImageHandle()
{
    if (bitmap_) {
        GdipDisposeImage(bitmap_);
        --g_liveBitmaps;
    }
}

int ImageHandle::LiveBitmapCount() noexcept
{
    return g_liveBitmaps;
}

ImageSize ImageHandle::Size() const noexcept
{
    UINT width = 0;
    UINT height = 0;
    if (bitmap_) {
        if (GdipGetImageWidth(bitmap_, &width) != Gdiplus::Ok)
            width = 0;
        if (GdipGetImageHeight(bitmap_, &height) != Gdiplus::Ok)
            height = 0;
    }
    return {width, height};
}

bool ImageHandle::GetPixel(std::uint32_t x, std::uint32_t y, ArgbValue& colour) const noexcept
{
    if (!bitmap_)
        return false;
    Gdiplus::ARGB value = 0;
    if (GdipBitmapGetPixel(bitmap_, ToCoordinate(x), ToCoordinate(y), &value) != Gdiplus::Ok)
        return false;
    colour = value;
    return true;
}

bool ImageHandle::SetPixel(std::uint32_t x, std::uint32_t y, ArgbValue colour) noexcept
{
    return bitmap_ &&
           GdipBitmapSetPixel(bitmap_, ToCoordinate(x), ToCoordinate(y), colour) == Gdiplus::Ok;
}

bool ImageHandle::ReadPixels(const ImageRect& rect, ArgbValue* pixels) const noexcept
{
    if (!bitmap_ || !IsInside(rect, Size()))
        return false;
    const LockedPixels locked(bitmap_, rect, Gdiplus::ImageLockModeRead);
    if (!locked.IsLocked())
        return false;
    for (std::uint32_t y = 0; y < rect.height; ++y)
        std::copy_n(locked.Row(y), rect.width, pixels + std::size_t{rect.width} * y);
    return true;
}

bool ImageHandle::SwapPixels(const ImageRect& rect, ArgbValue* pixels) noexcept
{
    if (!bitmap_ || !IsInside(rect, Size()))
        return false;
    const LockedPixels locked(bitmap_, rect, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite);
    if (!locked.IsLocked())
        return false;
    for (std::uint32_t y = 0; y < rect.height; ++y)
        std::swap_ranges(locked.Row(y), locked.Row(y) + rect.width, pixels + std::size_t{rect.width} * y);
    return true;
}

bool ImageHandle::EditAllPixels(const std::function<void(const PixelRows&)>& edit)
{
    const ImageSize size = Size();
    if (!bitmap_ || !IsInside(WholeOf(size), size))
        return false;
    const LockedPixels locked(bitmap_, WholeOf(size), Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite);
    if (!locked.IsLocked())
        return false;
    edit({locked.Row(0), std::ptrdiff_t{locked.Data().Stride}});
    return true;
}

ImageRef CreateArgbImage(std::uint32_t width, std::uint32_t height)
{
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (width > INT_MAX || height > INT_MAX ||
        GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0,
                                  PixelFormat32bppARGB, nullptr, &bitmap) != Gdiplus::Ok)
        bitmap = nullptr;
    return std::make_shared<ImageHandle>(bitmap);
}
