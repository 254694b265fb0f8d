#include "image_loader.h"

#include "gdiplus_api.h"
#include "made_image.h"
#include "image_header.h"

using namespace Gdiplus::DllExports;

ImageRef CopyToArgbImage(const ImageHandle& decoded)
{
    // Decoders give 24-bit, 32-bit RGB or palette bitmaps for many files; setting a pixel's
    // alpha on those silently drops it. A copy in 32-bit ARGB keeps every colour exactly
    // and takes any alpha.
    const ImageSize size = decoded.Size();
    if (size.width == 0 || size.height == 0 || !IsWithinDecodeLimits(size.width, size.height))
        return std::make_shared<ImageHandle>();
    Gdiplus::GpBitmap* copy = nullptr;
    const Gdiplus::GpStatus status = GdipCloneBitmapAreaI(0, 0, static_cast<INT>(size.width),
                                                          static_cast<INT>(size.height), PixelFormat32bppARGB,
                                                          decoded.Native(), &copy);
    return MadeImage(status, copy);
}

ImageRef LoadImageFile(const wchar_t* path)
{
    if (!path || !*path)
        return std::make_shared<ImageHandle>();

    // Some decoders crash or take gigabytes on files claiming huge sizes, and allocate or
    // inflate whatever a chunk claims; refuse such files unread.
    if (!IsSafeToDecode(path))
        return std::make_shared<ImageHandle>();

    Gdiplus::GpBitmap* bitmap = nullptr;
    // The file-backed bitmap is released at the end of this scope, which frees the file.
    const Gdiplus::GpStatus status = GdipCreateBitmapFromFile(path, &bitmap);
    const ImageRef decoded = MadeImage(status, bitmap);
    return decoded->IsEmpty() ? decoded : CopyToArgbImage(*decoded);
}
