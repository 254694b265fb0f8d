#pragma once
// Private to imaging: it includes the GDI+ headers, which nothing above this layer sees.
#include <cstddef>

#include "gdiplus_api.h"
#include "image_handle.h"

// A rectangle of a bitmap's pixels locked as 32-bit ARGB rows for the length of a scope, and
// unlocked when it goes. For a bitmap that is itself 32-bit ARGB (as every image of the
// document is) GDI+ hands out its own memory rather than a converted copy, so locking costs
// nothing whatever the size; with ImageLockModeWrite the rows written are the image's pixels.
// The rectangle must lie inside the bitmap, or nothing is locked.
class LockedPixels {
public:
    LockedPixels(Gdiplus::GpBitmap* bitmap, const ImageRect& rect, UINT mode) noexcept : bitmap_(bitmap)
    {
        const Gdiplus::Rect area(static_cast<INT>(rect.x), static_cast<INT>(rect.y), static_cast<INT>(rect.width),
                                 static_cast<INT>(rect.height));
        locked_ = bitmap_ &&
                  Gdiplus::DllExports::GdipBitmapLockBits(bitmap_, &area, mode, PixelFormat32bppARGB, &data_) ==
                      Gdiplus::Ok;
    }
    ~LockedPixels()
    {
        if (locked_)
            Gdiplus::DllExports::GdipBitmapUnlockBits(bitmap_, &data_);
    }
    LockedPixels(const LockedPixels&) = delete;
    LockedPixels& operator=(const LockedPixels&) = delete;

    bool IsLocked() const noexcept { return locked_; }

    // Row y of the rectangle (0 is its top row), rect.width pixels.
    ArgbValue* Row(std::uint32_t y) const noexcept
    {
        return reinterpret_cast<ArgbValue*>(static_cast<BYTE*>(data_.Scan0) + std::ptrdiff_t{data_.Stride} * y);
    }

    // What GDI+ handed out: size, stride and the first row, for a bitmap over these pixels.
    const Gdiplus::BitmapData& Data() const noexcept { return data_; }

private:
    Gdiplus::GpBitmap* bitmap_;
    Gdiplus::BitmapData data_ = {};
    bool locked_ = false;
};
