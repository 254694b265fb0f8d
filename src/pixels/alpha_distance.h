#pragma once
// How far each pixel of an area lies from the area's transparent part: the measure the edge
// work and the matte's search share. Pure C++.
#include <cstdint>
#include <vector>

#include "pixel_rows.h"
#include "pixel_vector.h"

// One byte per pixel of an area of width × height, row by row: the 8-neighbour distance of
// each pixel to the nearest pixel of alpha 0 in the area, 0 for those themselves, capped.
struct AlphaDistances {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ByteVector bytes;  // its memory is kept when measured again

    std::uint8_t* Row(std::uint32_t y) noexcept { return bytes.data() + std::size_t{y} * width; }
    const std::uint8_t* Row(std::uint32_t y) const noexcept { return bytes.data() + std::size_t{y} * width; }
};

// Measures the distances of the pixels of area (inside the image image's rows hold) to its
// pixels of alpha 0, capped at cap (at most 254). Bands of rows are measured at once, each
// keeping 2 · cap + 1 rows of its own; no recursion.
// False, with distances empty, when there is no memory for them.
bool MeasureAlphaDistances(const PixelRows& image, const ImageRect& area, std::uint8_t cap,
                           AlphaDistances& distances);
