// A sprite drawn without anti-aliasing, as pixel art is, through both edge tools: its edge has
// no mix of the key, so neither tool may change it.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "cutout_truth.h"
#include "key_truth.h"
#include "real_cutouts.h"
#include "refine_edge.h"

namespace {

constexpr std::uint32_t kSide = 64;
constexpr int kRadius = 26;
// A rock's texture: a few colours, one per 2 × 2 block, none of them near a key.
constexpr std::array<ArgbValue, 6> kRock = {0x6B5A4Au, 0x8C7B63u, 0x4A3F35u, 0x9E8E76u, 0x5E5247u, 0x7A6A55u};

// The sprite: a textured disc with a hard edge, each pixel fully covered or not at all.
TruthLayer PixelArtRock()
{
    TruthLayer layer;
    layer.name = "pixel-art rock";
    layer.size = ImageSize{kSide, kSide};
    layer.premultiplied.assign(std::size_t{kSide} * kSide, {0.0, 0.0, 0.0, 0.0});
    std::uint32_t seed = 12345;
    std::vector<ArgbValue> blocks(std::size_t{kSide / 2} * (kSide / 2));
    for (ArgbValue& block : blocks) {
        seed = seed * 1103515245u + 12345u;
        block = kRock[(seed >> 16) % kRock.size()];
    }
    for (std::uint32_t y = 0; y < kSide; ++y) {
        for (std::uint32_t x = 0; x < kSide; ++x) {
            const int dx = int(x) - int(kSide / 2), dy = int(y) - int(kSide / 2);
            if (dx * dx + dy * dy > kRadius * kRadius)
                continue;
            const ArgbValue colour = blocks[std::size_t{y / 2} * (kSide / 2) + x / 2];
            layer.premultiplied[std::size_t{y} * kSide + x] = {
                double((colour >> 16) & 0xFF), double((colour >> 8) & 0xFF), double(colour & 0xFF), 1.0};
        }
    }
    return layer;
}

std::size_t Differences(const std::vector<ArgbValue>& a, const std::vector<ArgbValue>& b)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        count += a[i] != b[i];
    return count;
}

}  // namespace

// Made transparent with clean edges, the sprite comes out as a plain flood fill leaves it: the
// background cleared, every pixel of the sprite as it was. Its cut-out, through 縁を整える,
// stays as it is. (Before, the edge's pixels were taken as mixes of the key with the texture's
// darker colours: 311 pixels changed over white and 85 over grey, by either tool.) So does a
// real plant of thin leaves, whose few deep pixels hold too few of its edge's colours: its
// edge's colours recur one ring in. (Before, 3,143 halo pixels over white.)
TEST(AliasedEdge, ASpriteDrawnWithoutAntialiasingKeepsItsEdge)
{
    TruthLayer plant;
    ASSERT_TRUE(LoadCutout("plant_aliased.png", plant));
    for (const TruthLayer& layer : {PixelArtRock(), plant}) {
        for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey}) {
            const TruthCase c = Flattened(layer, key);
            SCOPED_TRACE(c.name);
            std::vector<ArgbValue> keyed;
            ASSERT_TRUE(KeyedImage(c, TruthOptions(c, kFloodTolerance, true, false), keyed));
            EXPECT_EQ(Differences(keyed, PlainFloodFill(c, kFloodTolerance)), 0u);
            EXPECT_EQ(MeasureTruth(c, keyed, true).halo, 0u);

            const CutoutCase cutout = FloodCutout(c);
            EXPECT_EQ(Differences(Refined(cutout, WholeCutout(cutout, kOpaqueBlack | key)), cutout.cutout), 0u);
        }
    }
}

// Such a sprite's rim holds no mix to measure the matte by: the colour its cut-out's
// transparent pixels kept is offered, white as well as any other. A real arrow of three
// colours (before, the lines through its rim met at red, FF0026).
TEST(AliasedEdge, ASpriteDrawnWithoutAntialiasingOffersTheKeptColourAsItsMatte)
{
    TruthLayer arrow;
    ASSERT_TRUE(LoadCutout("arrow_aliased.png", arrow));
    for (const TruthLayer& layer : {PixelArtRock(), arrow}) {
        for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey}) {
            const TruthCase c = Flattened(layer, key);
            SCOPED_TRACE(c.name);
            CutoutCase cutout = FloodCutout(c);
            const PixelRows rows{cutout.cutout.data(), static_cast<std::ptrdiff_t>(c.size.width * sizeof(ArgbValue))};
            EXPECT_EQ(FindMatte(rows, c.size, WholeOf(c.size)) & kColourBits, key);
        }
    }
}
