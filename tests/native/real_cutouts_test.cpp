// The real cut-outs the colour work is measured on: each is read with real anti-aliased
// alpha, and the plain flood fill it is measured beside clears every part of the background.
#include <gtest/gtest.h>

#include <algorithm>

#include "real_cutouts.h"

namespace {

constexpr std::uint32_t kTolerance = 8;
constexpr std::uint8_t kOpaque = 255;

std::uint8_t AlphaOf(ArgbValue value) { return static_cast<std::uint8_t>(value >> 24); }

}  // namespace

// Every cut-out reads, with edges of partial alpha (not a mask of 0 and 255 only), and each
// flattened case is opaque.
TEST(RealCutouts, EveryCutoutHasRealAntiAliasedAlpha)
{
    for (const std::string& file : CutoutFiles()) {
        SCOPED_TRACE(file);
        TruthLayer layer;
        ASSERT_TRUE(LoadCutout(file, layer));
        const TruthCase flat = Flattened(layer, kWhiteKey);
        const std::size_t partial = std::count_if(flat.truth.begin(), flat.truth.end(), [](ArgbValue v) {
            return AlphaOf(v) > 0 && AlphaOf(v) < kOpaque;
        });
        EXPECT_GT(partial, 500u);
        EXPECT_TRUE(std::all_of(flat.input.begin(), flat.input.end(), [](ArgbValue v) { return AlphaOf(v) == kOpaque; }));
        EXPECT_FALSE(flat.starts.empty());
    }
    EXPECT_EQ(RealCases().size(), 3 * CutoutFiles().size());
    EXPECT_EQ(RealJpegCases().size(), 4u);
}

// The plain flood fill clears each part of the background it is given a start in, and
// changes nothing but alpha: on the icon whose corners cut the background in parts, it
// leaves no outside background of exactly the key.
TEST(RealCutouts, PlainFloodFillClearsEveryPartOfTheBackground)
{
    TruthLayer layer;
    ASSERT_TRUE(LoadCutout("penguin_icon.png", layer));
    const TruthCase icon = Flattened(layer, kGreenKey);
    EXPECT_GE(icon.starts.size(), 3u);
    const std::vector<ArgbValue> filled = PlainFloodFill(icon, kTolerance);
    std::size_t left = 0;
    for (std::size_t i = 0; i < filled.size(); ++i) {
        EXPECT_EQ(filled[i] & 0x00FFFFFFu, icon.input[i] & 0x00FFFFFFu);
        left += AlphaOf(icon.truth[i]) == 0 && !icon.hole[i] && AlphaOf(filled[i]) != 0;
    }
    EXPECT_EQ(left, 0u);
}
