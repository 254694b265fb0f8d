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
// A fade grows more opaque away from the background: a pixel joins it only if its alpha is at
// least the most any pixel on its way in from the background had, less kFadeSlack levels (their
// own rounding) and a kFadeSlackShare-th of that most (a glow's grain and aliased rays). A
// light subject without an outline, whose colour nears the key inwards, is no fade.
constexpr int kFadeSlack = 4;
constexpr int kFadeSlackShare = 8;

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

bool Near(std::uint8_t a, std::uint8_t b) { return std::abs(int{a} - int{b}) <= kFadeStep; }

// Tells which pixels may be part of a fade, looking at the image only where asked: a fade
// is found from the background's rim outwards, and most of an image is never asked about.
class FadeTest {
public:
    FadeTest(const KeyMask& mask, const PixelRows& image, std::uint32_t left, ArgbValue key)
        : mask_(mask), image_(image), left_(left), levels_(key)
    {
    }

    // True when pixel (x, y) is not opaque, not the key, and its alpha is near each of its 8
    // neighbours'.
    bool Smooth(std::uint32_t x, std::uint32_t y) const
    {
        const std::uint8_t alpha = AlphaAt(x, y);
        if (alpha == 0 || alpha >= kFadeOpaque)
            return false;
        const std::uint32_t firstX = x > 0 ? x - 1 : 0, lastX = x + 1 < mask_.width ? x + 1 : x;
        const std::uint32_t firstY = y > 0 ? y - 1 : 0, lastY = y + 1 < mask_.height ? y + 1 : y;
        for (std::uint32_t j = firstY; j <= lastY; ++j) {
            for (std::uint32_t i = firstX; i <= lastX; ++i) {
                if (!Near(alpha, AlphaAt(i, j)))
                    return false;
            }
        }
        return true;
    }

    std::uint8_t AlphaAt(std::uint32_t x, std::uint32_t y) const { return levels_.Of(image_.Row(y)[left_ + x]); }

private:
    const KeyMask& mask_;
    const PixelRows& image_;
    std::uint32_t left_;
    AlphaLevels levels_;
};

// The pixels of a fade waiting to be looked around, by the most alpha on their way in.
using Waiting = std::array<std::vector<std::size_t>, kLevels>;

// Adds pixel (x, y) to the fade when it is open and smooth, and not fainter (beyond the slack)
// than the most alpha on the way to it, most.
void Join(KeyMask& mask, const FadeTest& test, std::uint32_t x, std::uint32_t y, int most, Waiting& waiting)
{
    std::uint8_t& value = mask.Row(y)[x];
    if (value & (kBackground | kFade))
        return;
    const int alpha = test.AlphaAt(x, y);
    if (alpha < most - kFadeSlack - most / kFadeSlackShare || !test.Smooth(x, y))
        return;
    value |= kFade;
    waiting[std::max(most, alpha)].push_back(std::size_t{y} * mask.width + x);
}

}  // namespace

bool FindFades(KeyMask& mask, const PixelRows& image, std::uint32_t left, ArgbValue key)
{
    const FadeTest test(mask, image, left, key);
    Waiting waiting;
    try {
        // A smooth pixel next to the background starts a fade.
        for (std::uint32_t y = 0; y < mask.height; ++y) {
            const std::uint8_t* row = mask.Row(y);
            for (std::uint32_t x = 0; x < mask.width; ++x) {
                if (KeyMask::Distance(row[x]) == 1)
                    Join(mask, test, x, y, 0, waiting);
            }
        }
        // Taken faintest way first, each pixel joins by the way in whose most alpha is least.
        for (int most = 0; most < kLevels; ++most) {
            std::vector<std::size_t>& level = waiting[most];
            while (!level.empty()) {
                const std::size_t at = level.back();
                level.pop_back();
                const auto x = static_cast<std::uint32_t>(at % mask.width), y = static_cast<std::uint32_t>(at / mask.width);
                if (x > 0)
                    Join(mask, test, x - 1, y, most, waiting);
                if (x + 1 < mask.width)
                    Join(mask, test, x + 1, y, most, waiting);
                if (y > 0)
                    Join(mask, test, x, y - 1, most, waiting);
                if (y + 1 < mask.height)
                    Join(mask, test, x, y + 1, most, waiting);
            }
            level.shrink_to_fit();
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
