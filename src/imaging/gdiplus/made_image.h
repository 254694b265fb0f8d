#pragma once
// The bitmap a GDI+ call made, as an image of the program's.
#include <memory>

#include "gdiplus_api.h"
#include "image_handle.h"

// The image owning bitmap when the call that made it succeeded; otherwise an empty image,
// with whatever the call left behind disposed of.
inline ImageRef MadeImage(Gdiplus::GpStatus status, Gdiplus::GpBitmap* bitmap)
{
    if (status == Gdiplus::Ok)
        return std::make_shared<ImageHandle>(bitmap);
    if (bitmap)
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
    return std::make_shared<ImageHandle>();
}
