#include "alpha_distance.h"

#include <algorithm>
#include <new>

namespace {

constexpr std::uint8_t kLargestCap = 254;  // so that a distance plus one still fits a byte

// One step farther than distance, capped.
inline std::uint8_t Farther(std::uint8_t distance, std::uint8_t cap) noexcept
{
    return distance < cap ? static_cast<std::uint8_t>(distance + 1) : cap;
}

// The least of the three bytes at x - 1, x and x + 1 of a row of width bytes.
inline std::uint8_t LeastAround(const std::uint8_t* row, std::uint32_t x, std::uint32_t width) noexcept
{
    std::uint8_t least = row[x];
    if (x > 0)
        least = std::min(least, row[x - 1]);
    if (x + 1 < width)
        least = std::min(least, row[x + 1]);
    return least;
}

// The first pass, from the top-left: each pixel takes the nearest of its own, the row above's
// three and its left neighbour's, plus one.
void PassDown(const PixelRows& image, const ImageRect& area, std::uint8_t cap, AlphaDistances& distances)
{
    const std::uint32_t width = distances.width;
    for (std::uint32_t y = 0; y < distances.height; ++y) {
        const ArgbValue* pixels = image.Row(area.y + y) + area.x;
        std::uint8_t* row = distances.Row(y);
        const std::uint8_t* above = y > 0 ? distances.Row(y - 1) : nullptr;
        std::uint8_t left = cap;
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t distance = 0;
            if (pixels[x] >> 24) {
                distance = Farther(left, cap);
                if (above)
                    distance = std::min(distance, Farther(LeastAround(above, x, width), cap));
            }
            row[x] = distance;
            left = distance;
        }
    }
}

// The second pass, from the bottom-right, with the row below and the right neighbour.
void PassUp(std::uint8_t cap, AlphaDistances& distances)
{
    const std::uint32_t width = distances.width;
    for (std::uint32_t y = distances.height; y-- > 0;) {
        std::uint8_t* row = distances.Row(y);
        const std::uint8_t* below = y + 1 < distances.height ? distances.Row(y + 1) : nullptr;
        std::uint8_t right = cap;
        for (std::uint32_t x = width; x-- > 0;) {
            std::uint8_t distance = std::min(row[x], Farther(right, cap));
            if (below)
                distance = std::min(distance, Farther(LeastAround(below, x, width), cap));
            row[x] = distance;
            right = distance;
        }
    }
}

}  // namespace

bool MeasureAlphaDistances(const PixelRows& image, const ImageRect& area, std::uint8_t cap,
                           AlphaDistances& distances)
{
    cap = std::min(cap, kLargestCap);
    distances.width = area.width;
    distances.height = area.height;
    distances.bytes.reset(new (std::nothrow) std::uint8_t[area.PixelCount()]);
    if (!distances.bytes) {
        distances = AlphaDistances{};
        return false;
    }
    PassDown(image, area, cap, distances);
    PassUp(cap, distances);
    return true;
}
