#include "alpha_edit.h"

#include <algorithm>

#include "image_document.h"

ImageRect AlphaEditArea(const ImageDocument& document)
{
    const PixelRange range = document.Range();
    const ImageSize size = document.GetImageSize();
    // Clipping the ends to the image keeps a range reaching far past it from looping over
    // pixels that do not exist; comparisons stay unsigned, so x-from > x-to gives nothing.
    const std::uint32_t columnEnd = std::min(range.xTo, size.width);
    const std::uint32_t rowEnd = std::min(range.yTo, size.height);
    if (range.xFrom >= columnEnd || range.yFrom >= rowEnd)
        return {};
    return {range.xFrom, range.yFrom, columnEnd - range.xFrom, rowEnd - range.yFrom};
}

void ApplyAlphaToRange(ImageDocument& document, std::uint32_t alpha)
{
    ImageHandle* image = document.Image();
    if (!document.HasImage() || !image)
        return;

    const ArgbValue newAlpha = (alpha & 0xFFu) << 24;
    const ImageRect area = AlphaEditArea(document);
    // The colour is carried across pixels and rows: a pixel that cannot be read takes the
    // colour of the last one that could, or opaque black before any.
    ArgbValue carry = kOpaqueBlack;
    for (std::uint32_t y = area.y; y < area.y + area.height; ++y) {
        for (std::uint32_t x = area.x; x < area.x + area.width; ++x) {
            image->GetPixel(x, y, carry);
            image->SetPixel(x, y, newAlpha | (carry & 0x00FFFFFFu));
        }
    }
}
