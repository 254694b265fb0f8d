#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "pixel_rows.h"

namespace Gdiplus {
class GpBitmap;
}

// Owns one GDI+ bitmap, or none when a file could not be decoded. Every operation on an
// empty handle fails and changes nothing.
class ImageHandle {
public:
    ImageHandle() noexcept;
    explicit ImageHandle(Gdiplus::GpBitmap* bitmap) noexcept;  // takes ownership
    ~ImageHandle();
    ImageHandle(const ImageHandle&) = delete;
    ImageHandle& operator=(const ImageHandle&) = delete;

    bool IsEmpty() const noexcept { return bitmap_ == nullptr; }

    // Size in pixels; 0 × 0 for an empty image or when GDI+ cannot tell.
    ImageSize Size() const noexcept;

    // Reads one pixel; false (colour untouched) outside the image or on an empty one.
    bool GetPixel(std::uint32_t x, std::uint32_t y, ArgbValue& colour) const noexcept;

    // Writes one pixel in place; false when GDI+ refuses.
    bool SetPixel(std::uint32_t x, std::uint32_t y, ArgbValue colour) noexcept;

    // Copies the pixels of rect, row by row, into pixels, which holds rect.PixelCount()
    // values. False, with pixels untouched, when rect is empty or not wholly inside the
    // image, or GDI+ refuses.
    bool ReadPixels(const ImageRect& rect, ArgbValue* pixels) const noexcept;

    // Exchanges the pixels of rect with the rect.PixelCount() values in pixels, row by row:
    // the image takes them and pixels takes what the image held. False, with both as they
    // were, on the same conditions as ReadPixels.
    bool SwapPixels(const ImageRect& rect, ArgbValue* pixels) noexcept;

    // Locks every pixel for reading and writing and hands their rows to edit (row y is image
    // row y, the image's width wide); what edit writes there is the image's once it returns.
    // False, with edit not called, on an empty image or when GDI+ refuses.
    bool EditAllPixels(const std::function<void(const PixelRows&)>& edit);

    Gdiplus::GpBitmap* Native() const noexcept { return bitmap_; }

    // A diagnostic that exists for the tests' leak checks; nothing in the program reads it.
    // Counts the handles that own a GDI+ bitmap at this moment, on every thread: a handle
    // counts from the moment it takes a bitmap until its destructor disposes of it, and an
    // empty one never counts. Every one must be gone before GDI+ shuts down.
    static int LiveBitmapCount() noexcept;

private:
    Gdiplus::GpBitmap* bitmap_ = nullptr;
};

// Images are shared: the document and pending saves can hold the same one, and the
// bitmap is released when the last holder lets go.
using ImageRef = std::shared_ptr<ImageHandle>;

// A new image of the given size in 32-bit ARGB with every pixel 0; empty on failure.
ImageRef CreateArgbImage(std::uint32_t width, std::uint32_t height);
