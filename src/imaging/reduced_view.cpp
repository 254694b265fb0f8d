#include "reduced_view.h"

#include <new>

#include "area_average.h"
#include "locked_pixels.h"

bool ReducedView::Build(const ImageHandle& image, ViewScale scale)
{
    Clear();
    const ImageSize imageSize = image.Size();
    if (image.IsEmpty() || imageSize.width == 0 || imageSize.height == 0 || scale.Enlarges() ||
        scale.IsActualSize())
        return false;
    const ImageSize size = {static_cast<std::uint32_t>(ViewLength(imageSize.width, scale)),
                            static_cast<std::uint32_t>(ViewLength(imageSize.height, scale))};
    try {
        pixels_.resize(std::size_t{size.width} * size.height);
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
    scale_ = scale;
    imageSize_ = imageSize;
    size_ = size;
    if (!Make(image, WholeOf(size))) {
        Clear();
        return false;
    }
    return true;
}

void ReducedView::Update(const ImageHandle& image, const ImageRect& changed)
{
    if (!IsBuilt())
        return;
    const ImageSize imageSize = image.Size();
    if (imageSize.width != imageSize_.width || imageSize.height != imageSize_.height) {
        Build(image, scale_);
        return;
    }
    const ImageRect viewRect = ViewPixelsCovering(changed, imageSize, scale_);
    if (viewRect.width > 0 && viewRect.height > 0)
        Make(image, viewRect);
}

void ReducedView::Clear() noexcept
{
    std::vector<ArgbValue>().swap(pixels_);
    scale_ = {};
    imageSize_ = {};
    size_ = {};
}

bool ReducedView::Make(const ImageHandle& image, const ImageRect& viewRect)
{
    const ImageRect under = ImagePixelsUnder(viewRect, imageSize_, scale_);
    const LockedPixels locked(image.Native(), under, Gdiplus::ImageLockModeRead);
    if (!locked.IsLocked())
        return false;
    const PixelRows source = {locked.Data().Scan0, locked.Data().Stride};
    const PixelRows target = {pixels_.data() + std::size_t{size_.width} * viewRect.y + viewRect.x,
                              static_cast<std::ptrdiff_t>(std::size_t{size_.width} * sizeof(ArgbValue))};
    return AverageAreas(source, imageSize_, scale_, viewRect, target);
}
