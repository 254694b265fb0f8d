#include "key_fade.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

constexpr int kLevels = 256;
constexpr int kChannelMax = 255;
constexpr int kFadeStep = 28;      // the most a fade's alpha (in 8-bit levels) changes from pixel to pixel
constexpr int kFadeOpaque = 247;   // a pixel of this alpha or more is the subject, not a fade

// The smallest alpha that explains each level of a channel as a mix with the key's level,
// in 8-bit levels, rounded up: the pixel's alpha is the largest of its three channels'.
class AlphaLevels {
public:
    explicit AlphaLevels(ArgbValue key)
    {
        for (int c = 0; c < 3; ++c) {
            const int k = ChannelOf(key, 16 - 8 * c);
            for (int level = 0; level < kLevels; ++level) {
                const int room = level < k ? k : kChannelMax - k;
                const int off = std::abs(level - k);
                tables_[c][level] = static_cast<std::uint8_t>(room > 0 ? (off * kChannelMax + room - 1) / room : 0);
            }
        }
    }
    std::uint8_t Of(ArgbValue value) const
    {
        return std::max({tables_[0][(value >> 16) & 0xFFu], tables_[1][(value >> 8) & 0xFFu], tables_[2][value & 0xFFu]});
    }

private:
    std::array<std::array<std::uint8_t, kLevels>, 3> tables_{};
};

// The alpha of each pixel of a row.
void RowAlpha(const AlphaLevels& levels, const ArgbValue* pixels, std::uint32_t width, std::uint8_t* out)
{
    for (std::uint32_t x = 0; x < width; ++x)
        out[x] = levels.Of(pixels[x]);
}

bool Near(std::uint8_t a, std::uint8_t b) { return std::abs(int{a} - int{b}) <= kFadeStep; }

// True when the pixel at x of the middle row may be part of a fade: not opaque, not the key,
// and its alpha near each of its 8 neighbours' (above and below are null at the area's edge).
bool Smooth(const std::uint8_t* above, const std::uint8_t* row, const std::uint8_t* below, std::uint32_t x,
            std::uint32_t width)
{
    const std::uint8_t alpha = row[x];
    if (alpha == 0 || alpha >= kFadeOpaque)
        return false;
    const std::uint32_t first = x > 0 ? x - 1 : 0;
    const std::uint32_t last = x + 1 < width ? x + 1 : x;
    for (const std::uint8_t* line : {above, row, below}) {
        if (!line)
            continue;
        for (std::uint32_t i = first; i <= last; ++i) {
            if (!Near(alpha, line[i]))
                return false;
        }
    }
    return true;
}

}  // namespace

bool FindFades(KeyMask& mask, const PixelRows& image, std::uint32_t left, ArgbValue key)
{
    const AlphaLevels levels(key);
    std::vector<std::uint8_t> ring;
    try {
        ring.resize(std::size_t{3} * mask.width);
    } catch (const std::bad_alloc&) {
        return false;
    }
    auto slot = [&](std::uint32_t y) { return ring.data() + std::size_t{y % 3} * mask.width; };
    if (mask.height > 0)
        RowAlpha(levels, image.Row(0) + left, mask.width, slot(0));
    for (std::uint32_t y = 0; y < mask.height; ++y) {
        if (y + 1 < mask.height)
            RowAlpha(levels, image.Row(y + 1) + left, mask.width, slot(y + 1));
        const std::uint8_t* above = y > 0 ? slot(y - 1) : nullptr;
        const std::uint8_t* below = y + 1 < mask.height ? slot(y + 1) : nullptr;
        std::uint8_t* row = mask.Row(y);
        for (std::uint32_t x = 0; x < mask.width; ++x) {
            const std::uint8_t distance = KeyMask::Distance(row[x]);
            if (distance == 0 || !Smooth(above, slot(y), below, x, mask.width))
                continue;
            row[x] |= kMayFade;
            // A pixel next to the background starts a fade.
            if (distance == 1)
                row[x] |= kFade | kPending;
        }
    }
    return FillFromPending(mask, kMayFade, kFade);
}
