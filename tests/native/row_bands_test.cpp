// The passes that run in bands of rows give what one pass over the whole would: every row
// once, and distances equal to those counted pixel by pixel, across the bands' seams.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <random>
#include <vector>

#include "alpha_distance.h"
#include "key_mask.h"
#include "row_bands.h"

namespace {

// The 8-neighbour distance from (x, y) to the nearest marked pixel, capped, counted directly.
std::uint8_t CountedDistance(const std::vector<bool>& marked, std::uint32_t width, std::uint32_t height,
                             std::uint32_t x, std::uint32_t y, std::uint8_t cap)
{
    int best = cap;
    for (int j = std::max(0, int(y) - cap); j <= std::min(int(height) - 1, int(y) + cap); ++j)
        for (int i = std::max(0, int(x) - cap); i <= std::min(int(width) - 1, int(x) + cap); ++i)
            if (marked[std::size_t(j) * width + std::size_t(i)])
                best = std::min(best, std::max(std::abs(i - int(x)), std::abs(j - int(y))));
    return static_cast<std::uint8_t>(best);
}

// Scattered pixels, as the transparent part or the background, on sizes that take several bands.
struct Scatter {
    std::uint32_t width, height;
    std::vector<bool> marked;
};

Scatter MakeScatter(std::mt19937& random, std::uint32_t width, std::uint32_t height, unsigned perThousand)
{
    Scatter scatter{width, height, std::vector<bool>(std::size_t{width} * height)};
    for (std::size_t i = 0; i < scatter.marked.size(); ++i)
        scatter.marked[i] = random() % 1000 < perThousand;
    return scatter;
}

}  // namespace

TEST(RowBands, EveryRowIsWorkedOnceAndAFailedBandIsReported)
{
    for (const std::uint32_t rows : {0u, 1u, 63u, 64u, 200u, 3001u}) {
        std::vector<std::atomic<int>> seen(rows);
        EXPECT_TRUE(ForEachRowBand(rows, [&](std::uint32_t top, std::uint32_t bottom) {
            for (std::uint32_t y = top; y < bottom; ++y)
                ++seen[y];
            return true;
        }));
        EXPECT_TRUE(ForEachRowBandApart(rows, 7, [&](std::uint32_t top, std::uint32_t bottom) {
            for (std::uint32_t y = top; y < bottom; ++y)
                ++seen[y];
            return true;
        }));
        EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](const std::atomic<int>& count) { return count == 2; }))
            << rows << " rows";
    }
    EXPECT_FALSE(ForEachRowBand(3001, [](std::uint32_t top, std::uint32_t) { return top != 0; }));
}

TEST(RowBands, DistancesAreTheNearestPixelsAcrossTheBandsSeams)
{
    std::mt19937 random(7);
    for (const std::uint8_t cap : {std::uint8_t{1}, std::uint8_t{3}, std::uint8_t{7}, std::uint8_t{21}}) {
        const Scatter scatter = MakeScatter(random, 37, 300, cap > 7 ? 2 : 20);
        // As alpha: the marked pixels transparent, inside an area one pixel in from the image's edge.
        const std::uint32_t width = scatter.width + 2, height = scatter.height + 2;
        std::vector<ArgbValue> image(std::size_t{width} * height, kOpaqueBlack);
        for (std::uint32_t y = 0; y < scatter.height; ++y)
            for (std::uint32_t x = 0; x < scatter.width; ++x)
                if (scatter.marked[std::size_t{y} * scatter.width + x])
                    image[std::size_t{y + 1} * width + x + 1] = 0x00FFFFFFu;
        AlphaDistances alpha;
        ASSERT_TRUE(MeasureAlphaDistances({image.data(), static_cast<std::ptrdiff_t>(width * sizeof(ArgbValue))},
                                          {1, 1, scatter.width, scatter.height}, cap, alpha));
        // As the colour work's background, its distances capped at most at seven.
        KeyMask mask;
        mask.width = scatter.width;
        mask.height = scatter.height;
        mask.bytes.resize(std::size_t{mask.width} * mask.height);
        for (std::size_t i = 0; i < scatter.marked.size(); ++i)
            mask.bytes[i] = scatter.marked[i] ? kBackground : kNearKey;
        const std::uint8_t maskCap = std::min(cap, kFarthestDistance);
        ASSERT_TRUE(MeasureDistances(mask, maskCap));
        int wrong = 0;
        for (std::uint32_t y = 0; y < scatter.height; ++y)
            for (std::uint32_t x = 0; x < scatter.width; ++x) {
                const std::size_t at = std::size_t{y} * scatter.width + x;
                wrong += alpha.Row(y)[x] != CountedDistance(scatter.marked, scatter.width, scatter.height, x, y, cap);
                wrong += KeyMask::Distance(mask.bytes[at]) !=
                         CountedDistance(scatter.marked, scatter.width, scatter.height, x, y, maskCap);
                wrong += (mask.bytes[at] & kFlagBits) != (scatter.marked[at] ? kBackground : kNearKey);
            }
        EXPECT_EQ(0, wrong) << "cap " << int(cap);
    }
}
