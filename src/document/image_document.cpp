#include "image_document.h"

#include <utility>

void ImageDocument::SetRangeValue(RangeValue which, std::uint32_t value) noexcept
{
    switch (which) {
    case RangeValue::XFrom: range_.xFrom = value; break;
    case RangeValue::YFrom: range_.yFrom = value; break;
    case RangeValue::XTo:   range_.xTo = value; break;
    case RangeValue::YTo:   range_.yTo = value; break;
    }
}

void ImageDocument::ShowRange(RangePenMode mode) noexcept
{
    showRange_ = 1;
    penMode_ = mode;
}

ImageSize ImageDocument::GetImageSize() const noexcept
{
    return image_ ? image_->Size() : ImageSize{};
}

void ImageDocument::SetImage(ImageRef image) noexcept
{
    image_ = std::move(image);
    hasImage_ = 1;
    fromLossyFile_ = false;
}
