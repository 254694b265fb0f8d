#pragma once
// Whether a subject was drawn without anti-aliasing, as much pixel art is: then every colour at
// its edge is its own, and the edge tools leave the edge as it is. Pure C++.
#include <algorithm>
#include <cstdint>

#include "edge_unmix.h"
#include "pixel_rows.h"

// A pixel of the outermost ring is looked at where it differs from the pixel one ring in,
// behind it, by more than kAliasedSameLevels, and that pixel lies at least kAliasedReach
// levels from the key: elsewhere it shows nothing either way. The edge of a sprite drawn
// without anti-aliasing takes its colours from the sprite's palette or texture, where a mix on
// an anti-aliased edge is a colour of its own. Where at least kAliasedShare of the pixels
// looked at are no mix of the key and the pixel behind (not within kAliasedLineLevels of one:
// the mixes of a stroke with the key repeat wherever it meets the key, in a counter too) and
// have exactly the colour of a pixel deep in the subject (kAliasedDeep or more from the
// background) within kAliasedLook, the subject was drawn without anti-aliasing. So it was too
// where at least kAliasedInnerShare of them have the colour of a pixel at least one ring in
// (kAliasedInner) within kAliasedLook: a sprite of thin leaves or bars has few pixels deep,
// and an anti-aliased edge's mixes seldom recur that near. Below kAliasedFewest pixels looked
// at, nothing is decided. At most kAliasedRows rows are looked at, evenly spread, so a large
// image costs no more than a small one.
constexpr std::uint32_t kAliasedSameLevels = 2;
constexpr double kAliasedReach = 24.0;
constexpr double kAliasedLineLevels = 4.0;
constexpr double kAliasedShare = 0.05;
constexpr std::uint8_t kAliasedDeep = 3;
constexpr double kAliasedInnerShare = 0.08;
constexpr std::uint8_t kAliasedInner = 2;
constexpr int kAliasedLook = 3;
constexpr std::uint32_t kAliasedFewest = 16;
constexpr std::uint32_t kAliasedRows = 256;

namespace aliased_edge {

// The pixel behind the outermost-ring pixel (x, y), away from a background neighbour, when
// it lies one ring in; false when there is none.
template <typename Distance>
bool Behind(ImageSize size, std::uint32_t x, std::uint32_t y, Distance distance, std::uint32_t& i, std::uint32_t& j)
{
    constexpr int kSides[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& side : kSides) {
        const std::int64_t nx = std::int64_t{x} + side[0], ny = std::int64_t{y} + side[1];
        const std::int64_t bx = std::int64_t{x} - side[0], by = std::int64_t{y} - side[1];
        const bool backgroundSide = nx < 0 || ny < 0 || nx >= std::int64_t{size.width} ||
                                    ny >= std::int64_t{size.height} ||
                                    distance(static_cast<std::uint32_t>(nx), static_cast<std::uint32_t>(ny)) == 0;
        if (!backgroundSide)
            continue;
        if (bx < 0 || by < 0 || bx >= std::int64_t{size.width} || by >= std::int64_t{size.height})
            return false;
        i = static_cast<std::uint32_t>(bx);
        j = static_cast<std::uint32_t>(by);
        return distance(i, j) == 2;
    }
    return false;
}

// How far from the background, up to kAliasedDeep, the deepest pixel within kAliasedLook of
// (x, y) that has exactly colour lies; 0 when none has it.
template <typename Distance>
std::uint8_t DeepestWith(const PixelRows& pixels, ImageSize size, std::uint32_t x, std::uint32_t y, ArgbValue colour,
                         Distance distance)
{
    std::uint8_t deepest = 0;
    const std::uint32_t left = x >= kAliasedLook ? x - kAliasedLook : 0, top = y >= kAliasedLook ? y - kAliasedLook : 0;
    const std::uint32_t right = std::min(size.width, x + kAliasedLook + 1);
    const std::uint32_t bottom = std::min(size.height, y + kAliasedLook + 1);
    for (std::uint32_t j = top; j < bottom; ++j) {
        const ArgbValue* row = pixels.Row(j);
        for (std::uint32_t i = left; i < right; ++i) {
            if (((row[i] ^ colour) & kColourBits) != 0)
                continue;
            deepest = std::max<std::uint8_t>(deepest, distance(i, j));
            if (deepest >= kAliasedDeep)
                return kAliasedDeep;
        }
    }
    return deepest;
}

inline double SquaredReach(ArgbValue colour, ArgbValue key)
{
    double sum = 0.0;
    for (const int shift : {16, 8, 0}) {
        const double difference = ChannelOf(colour, shift) - ChannelOf(key, shift);
        sum += difference * difference;
    }
    return sum;
}

// True when pixel lies on the way from key to behind, as a mix of the two does.
inline bool Mix(ArgbValue pixel, ArgbValue key, ArgbValue behind)
{
    const double alpha = Projection(pixel, key, behind);
    return alpha > 0.0 && alpha < 1.0 && OnLine(pixel, key, behind, alpha, kAliasedLineLevels);
}

}  // namespace aliased_edge

// True when the subject in the area of size, whose rows pixels holds, was drawn without
// anti-aliasing (see kAliasedShare). distance(i, j) is a pixel's 8-neighbour distance to the
// background (0 for the background itself, at least kAliasedDeep where it is that far); key is
// the colour the background was.
template <typename Distance>
bool DrawnWithoutAntialiasing(const PixelRows& pixels, ImageSize size, ArgbValue key, Distance distance)
{
    const std::uint32_t step = std::max<std::uint32_t>(1, size.height / kAliasedRows);
    std::uint32_t looked = 0, foundDeep = 0, foundInner = 0;
    for (std::uint32_t y = 0; y < size.height; y += step) {
        const ArgbValue* row = pixels.Row(y);
        for (std::uint32_t x = 0; x < size.width; ++x) {
            std::uint32_t i = 0, j = 0;
            if (distance(x, y) != 1 || !aliased_edge::Behind(size, x, y, distance, i, j))
                continue;
            const ArgbValue behind = pixels.Row(j)[i];
            if (ChannelDistance(row[x], behind) <= kAliasedSameLevels ||
                aliased_edge::SquaredReach(behind, key) < kAliasedReach * kAliasedReach)
                continue;
            ++looked;
            if (aliased_edge::Mix(row[x], key, behind))
                continue;
            const std::uint8_t deepest = aliased_edge::DeepestWith(pixels, size, x, y, row[x], distance);
            foundDeep += deepest >= kAliasedDeep;
            foundInner += deepest >= kAliasedInner;
        }
    }
    return looked >= kAliasedFewest && (double(foundDeep) >= kAliasedShare * double(looked) ||
                                        double(foundInner) >= kAliasedInnerShare * double(looked));
}
