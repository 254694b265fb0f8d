#include "pixel_tiles.h"

#include <algorithm>

void SwapTiles(const PixelRows& image, std::vector<PixelTile>& tiles) noexcept
{
    for (PixelTile& tile : tiles) {
        const ImageRect& rect = tile.rect;
        for (std::uint32_t row = 0; row < rect.height; ++row) {
            ArgbValue* pixels = image.Row(rect.y + row) + rect.x;
            std::swap_ranges(pixels, pixels + rect.width, tile.pixels.data() + std::size_t{rect.width} * row);
        }
    }
}

void CopyTilesInto(const std::vector<PixelTile>& tiles, const PixelRows& image) noexcept
{
    for (const PixelTile& tile : tiles) {
        const ImageRect& rect = tile.rect;
        for (std::uint32_t row = 0; row < rect.height; ++row)
            std::copy_n(tile.pixels.data() + std::size_t{rect.width} * row, rect.width,
                        image.Row(rect.y + row) + rect.x);
    }
}

ImageRect TilesBounds(const std::vector<PixelTile>& tiles) noexcept
{
    if (tiles.empty())
        return {};
    std::uint32_t left = tiles.front().rect.x;
    std::uint32_t top = tiles.front().rect.y;
    std::uint32_t right = left;
    std::uint32_t bottom = top;
    for (const PixelTile& tile : tiles) {
        left = std::min(left, tile.rect.x);
        top = std::min(top, tile.rect.y);
        right = std::max(right, tile.rect.x + tile.rect.width);
        bottom = std::max(bottom, tile.rect.y + tile.rect.height);
    }
    return {left, top, right - left, bottom - top};
}

std::size_t TilesBytes(const std::vector<PixelTile>& tiles) noexcept
{
    std::size_t bytes = tiles.size() * sizeof(PixelTile);
    for (const PixelTile& tile : tiles)
        bytes += tile.pixels.size() * sizeof(ArgbValue);
    return bytes;
}
