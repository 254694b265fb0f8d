#include "view_pixels.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr ArgbValue kOpaque = 0xFF000000u;
constexpr std::uint32_t kFullAlpha = 255;

// The image pixel along one direction that view pixel v shows, clipped to the image.
std::uint32_t ShownPixel(std::int64_t view, std::uint32_t imageLength, ViewScale scale)
{
    const std::int64_t image = ViewToImage(view, scale);
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(image, 0, std::int64_t{imageLength} - 1));
}

// round((over * alpha + under * (255 - alpha)) / 255), exactly, for 8-bit channels.
std::uint32_t BlendChannel(std::uint32_t over, std::uint32_t under, std::uint32_t alpha)
{
    const std::uint32_t sum = over * alpha + under * (kFullAlpha - alpha) + 128;
    return (sum + (sum >> 8)) >> 8;
}

ArgbValue Composite(ArgbValue pixel, ArgbValue square)
{
    const std::uint32_t alpha = pixel >> 24;
    if (alpha == kFullAlpha)
        return pixel;
    if (alpha == 0)
        return square;
    const std::uint32_t under = square & 0xFF;  // the squares are grey: one value for all three
    return kOpaque | BlendChannel((pixel >> 16) & 0xFF, under, alpha) << 16 |
           BlendChannel((pixel >> 8) & 0xFF, under, alpha) << 8 | BlendChannel(pixel & 0xFF, under, alpha);
}

ArgbValue SquareAt(std::uint32_t x, std::uint32_t y)
{
    return ((x / kCheckerSquare) ^ (y / kCheckerSquare)) & 1 ? kCheckerGrey : kCheckerWhite;
}

}  // namespace

ImageRect ImagePixelsShown(const ImageRect& viewRect, ImageSize imageSize, ViewScale scale)
{
    if (viewRect.width == 0 || viewRect.height == 0 || imageSize.width == 0 || imageSize.height == 0)
        return {};
    const std::uint32_t left = ShownPixel(viewRect.x, imageSize.width, scale);
    const std::uint32_t top = ShownPixel(viewRect.y, imageSize.height, scale);
    const std::uint32_t right = ShownPixel(std::int64_t{viewRect.x} + viewRect.width - 1, imageSize.width, scale);
    const std::uint32_t bottom = ShownPixel(std::int64_t{viewRect.y} + viewRect.height - 1, imageSize.height, scale);
    return {left, top, right - left + 1, bottom - top + 1};
}

void EnlargeInto(const PixelRows& image, ImageSize imageSize, ViewScale scale, const ImageRect& viewRect,
                 const PixelRows& out)
{
    const ImageRect shown = ImagePixelsShown(viewRect, imageSize, scale);
    if (shown.width == 0)
        return;
    // Which image column each view column shows, worked out once for all rows.
    std::vector<std::uint32_t> columns(viewRect.width);
    for (std::uint32_t i = 0; i < viewRect.width; ++i)
        columns[i] = ShownPixel(std::int64_t{viewRect.x} + i, imageSize.width, scale) - shown.x;
    std::uint32_t previousRow = 0;
    for (std::uint32_t j = 0; j < viewRect.height; ++j) {
        const std::uint32_t row = ShownPixel(std::int64_t{viewRect.y} + j, imageSize.height, scale) - shown.y;
        ArgbValue* target = out.Row(j);
        // View rows that show the same image row are copies of the first of them.
        if (j > 0 && row == previousRow) {
            std::memcpy(target, out.Row(j - 1), std::size_t{viewRect.width} * sizeof(ArgbValue));
            continue;
        }
        const ArgbValue* source = image.Row(row);
        for (std::uint32_t i = 0; i < viewRect.width; ++i)
            target[i] = source[columns[i]];
        previousRow = row;
    }
}

void CompositeOverCheckerboard(const PixelRows& pixels, const ImageRect& viewRect, const PixelRows& out)
{
    for (std::uint32_t j = 0; j < viewRect.height; ++j) {
        const ArgbValue* source = pixels.Row(j);
        ArgbValue* target = out.Row(j);
        const std::uint32_t y = viewRect.y + j;
        for (std::uint32_t i = 0; i < viewRect.width; ++i)
            target[i] = Composite(source[i], SquareAt(viewRect.x + i, y));
    }
}
