#pragma once
// Pixels kept in tiles: the parts of an image an edit touched, each tile a rectangle with its
// pixels row by row, so that an edit spread thinly over the image keeps only what it touched.
// Pure C++.
#include <cstddef>
#include <vector>

#include "pixel_rows.h"

struct PixelTile {
    ImageRect rect;
    std::vector<ArgbValue> pixels;  // rect.PixelCount() values, row by row
};

// Exchanges each tile's pixels with the image's pixels of its rectangle: image holds the rows
// of the whole image (row y is image row y), and every tile lies inside it. Tiles must not
// overlap, so that the exchange is its own inverse.
void SwapTiles(const PixelRows& image, std::vector<PixelTile>& tiles) noexcept;

// Copies each tile's pixels into image (the rows of the whole image), the later tiles last.
void CopyTilesInto(const std::vector<PixelTile>& tiles, const PixelRows& image) noexcept;

// The smallest rectangle that holds every tile; empty when there are none.
ImageRect TilesBounds(const std::vector<PixelTile>& tiles) noexcept;

// The bytes the tiles take: their pixels, and the record of each tile.
std::size_t TilesBytes(const std::vector<PixelTile>& tiles) noexcept;
