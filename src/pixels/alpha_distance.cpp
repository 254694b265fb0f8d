#include "alpha_distance.h"

#include <algorithm>
#include <new>
#include <vector>

#include "row_bands.h"

namespace {

constexpr std::uint8_t kLargestCap = 254;  // so that a distance plus one still fits a byte

// The distance of each pixel of an area's row to the nearest pixel of alpha 0 along that row,
// capped.
void RowDistances(const ArgbValue* pixels, std::uint32_t width, std::uint8_t cap, std::uint8_t* out) noexcept
{
    std::uint8_t distance = cap;
    for (std::uint32_t x = 0; x < width; ++x) {
        distance = (pixels[x] >> 24) == 0 ? 0 : static_cast<std::uint8_t>(std::min<int>(cap, distance + 1));
        out[x] = distance;
    }
    distance = cap;
    for (std::uint32_t x = width; x-- > 0;) {
        distance = (pixels[x] >> 24) == 0 ? 0 : static_cast<std::uint8_t>(std::min<int>(cap, distance + 1));
        out[x] = std::min(out[x], distance);
    }
}

// The distances along the rows within cap of the one being written, kept in a ring.
class AlongRows {
public:
    AlongRows(const PixelRows& image, const ImageRect& area, std::uint8_t cap)
        : image_(image), area_(area), cap_(cap), rows_(std::size_t{2} * cap + 1), ring_(rows_.size() * area.width)
    {
    }

    const std::uint8_t* Along(std::uint32_t y) noexcept
    {
        const std::size_t slot = y % rows_.size();
        std::uint8_t* row = ring_.data() + slot * area_.width;
        if (rows_[slot] != y + 1) {
            RowDistances(image_.Row(area_.y + y) + area_.x, area_.width, cap_, row);
            rows_[slot] = y + 1;
        }
        return row;
    }

private:
    const PixelRows& image_;
    ImageRect area_;
    std::uint8_t cap_;
    std::vector<std::uint32_t> rows_;  // per ring slot: the row it holds, plus one (0: none)
    std::vector<std::uint8_t> ring_;
};

// Writes the distances of rows [top, bottom). The nearest pixel of alpha 0 within a square of
// side 2k + 1 is k away: each row takes, for k up to the cap, the nearer of the rows k above
// and below, no nearer than k.
bool MeasureBand(const PixelRows& image, const ImageRect& area, std::uint8_t cap, AlphaDistances& distances,
                 std::uint32_t top, std::uint32_t bottom) noexcept
{
    try {
        AlongRows along(image, area, cap);
        const std::uint32_t width = area.width;
        for (std::uint32_t y = top; y < bottom; ++y) {
            std::uint8_t* row = distances.Row(y);
            const std::uint8_t* own = along.Along(y);
            std::copy(own, own + width, row);
            for (std::uint8_t k = 1; k < cap; ++k) {
                const std::uint8_t* above = y >= k ? along.Along(y - k) : nullptr;
                const std::uint8_t* below = y + k < area.height ? along.Along(y + k) : nullptr;
                if (above && below)
                    for (std::uint32_t x = 0; x < width; ++x)
                        row[x] = std::min(row[x], std::max(k, std::min(above[x], below[x])));
                else if (above || below) {
                    const std::uint8_t* other = above ? above : below;
                    for (std::uint32_t x = 0; x < width; ++x)
                        row[x] = std::min(row[x], std::max(k, other[x]));
                }
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace

bool MeasureAlphaDistances(const PixelRows& image, const ImageRect& area, std::uint8_t cap,
                           AlphaDistances& distances)
{
    cap = std::min(cap, kLargestCap);
    distances.width = area.width;
    distances.height = area.height;
    try {
        distances.bytes.resize(area.PixelCount());
    } catch (const std::bad_alloc&) {
        distances = AlphaDistances{};
        return false;
    }
    // Each band reads the image and writes only its own rows.
    if (!ForEachRowBand(area.height, [&](std::uint32_t top, std::uint32_t bottom) {
            return MeasureBand(image, area, cap, distances, top, bottom);
        })) {
        distances = AlphaDistances{};
        return false;
    }
    return true;
}
