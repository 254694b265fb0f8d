// The colour of strokes too thin to cover any pixel fully, judged from their cross-sections.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "stroke_profile.h"

namespace {

constexpr std::uint32_t kSide = 32;
constexpr int kSamples = 16;  // samples per pixel along each direction
constexpr ArgbValue kWhite = 0xFFFFFFu;
constexpr ArgbValue kInk = 0x1932AAu;  // a dark blue stroke

// A straight stroke of width at angle, its centre line across pixels off (kSide / 2, kSide / 2)
// along its normal, colour over key, drawn with each pixel's covered share; the second colour,
// if any, on the stroke's left half.
struct StrokePicture {
    std::vector<ArgbValue> pixels = std::vector<ArgbValue>(kSide * kSide);

    StrokePicture(double width, double angle, ArgbValue colour, ArgbValue key, ArgbValue leftColour,
                  double offset = 0.0)
    {
        const double normalX = -std::sin(angle), normalY = std::cos(angle);
        for (std::uint32_t y = 0; y < kSide; ++y) {
            for (std::uint32_t x = 0; x < kSide; ++x) {
                double right = 0.0, left = 0.0;
                for (int j = 0; j < kSamples; ++j) {
                    for (int i = 0; i < kSamples; ++i) {
                        const double across = (x + (i + 0.5) / kSamples - kSide / 2.0) * normalX +
                                              (y + (j + 0.5) / kSamples - kSide / 2.0) * normalY - offset;
                        if (std::abs(across) < width / 2)
                            (across < 0.0 ? left : right) += 1.0 / (kSamples * kSamples);
                    }
                }
                pixels[y * kSide + x] = Mix(colour, leftColour, key, right, left);
            }
        }
    }

    static ArgbValue Mix(ArgbValue colour, ArgbValue leftColour, ArgbValue key, double right, double left)
    {
        ArgbValue mixed = kOpaqueBlack;
        for (const int shift : {16, 8, 0}) {
            const double level = ChannelOf(colour, shift) * right + ChannelOf(leftColour, shift) * left +
                                 ChannelOf(key, shift) * (1.0 - right - left);
            mixed |= static_cast<ArgbValue>(std::lround(level)) << shift;
        }
        return mixed;
    }
    PixelRows Rows() { return PixelRows{pixels.data(), std::ptrdiff_t{kSide * sizeof(ArgbValue)}}; }
    // The pixel farthest from key: the reference a look along the stroke finds.
    ArgbValue Farthest(ArgbValue key) const
    {
        return *std::max_element(pixels.begin(), pixels.end(), [key](ArgbValue a, ArgbValue b) {
            return ChannelDistance(a, key) < ChannelDistance(b, key);
        }) & 0xFFFFFFu;
    }
    ArgbValue At(std::uint32_t x, std::uint32_t y) const { return pixels[y * kSide + x]; }
};

int LevelsApart(ArgbValue a, ArgbValue b) { return static_cast<int>(ChannelDistance(a, b)); }

}  // namespace

// A stroke at least as wide as a pixel's projection on its normal covers the pixel on its
// centre line fully; a pixel-wide one at an angle never does, and a narrow one along the grid
// covers its width.
TEST(StrokeProfile, CoverageOfAPixelByAStraightStroke)
{
    const double diagonal = std::sqrt(0.5);
    EXPECT_DOUBLE_EQ(Coverage(2.0 * diagonal, 0.0, diagonal, diagonal), 1.0);
    EXPECT_NEAR(Coverage(1.0, 0.0, diagonal, diagonal), 0.914, 0.001);
    EXPECT_LT(Coverage(1.0, 0.2, diagonal, diagonal), Coverage(1.0, 0.0, diagonal, diagonal));
    EXPECT_DOUBLE_EQ(Coverage(0.6, 0.0, 1.0, 0.0), 0.6);
    EXPECT_DOUBLE_EQ(ProjectedShare(0.0, 0.6, 0.8), 0.5);
}

// A pixel-wide stroke at an angle, whose darkest pixel is itself a mix: the colour found from
// its cross-sections lies nearer the stroke's own than its darkest pixel does, on white and on
// a saturated green.
TEST(StrokeProfile, PixelWideStrokeAtAnAngleFindsItsOwnColour)
{
    for (const ArgbValue key : {kWhite, ArgbValue{0x00B140u}}) {
        for (const double angle : {0.5, 0.8, 1.2}) {
            StrokePicture picture(1.0, angle, kInk, key, kInk);
            const ArgbValue darkest = picture.Farthest(key);
            SCOPED_TRACE(angle);
            const ArgbValue found =
                StrokeColour(picture.Rows(), ImageSize{kSide, kSide}, key, kSide / 2, kSide / 2, darkest) & 0xFFFFFFu;
            EXPECT_LT(LevelsApart(found, kInk), LevelsApart(darkest, kInk));
            EXPECT_LE(LevelsApart(found, kInk), 4);
        }
    }
}

// A stroke wide enough to cover its centre, and one whose two halves differ in colour, keep
// the reference as it is: their darkest pixel is already the stroke's colour, or no one
// colour explains them.
TEST(StrokeProfile, WideOrTwoColouredStrokesKeepTheReference)
{
    StrokePicture wide(3.0, 0.7, kInk, kWhite, kInk);
    const ArgbValue darkest = wide.Farthest(kWhite);
    EXPECT_EQ(StrokeColour(wide.Rows(), ImageSize{kSide, kSide}, kWhite, kSide / 2, kSide / 2, darkest), darkest);
    StrokePicture twoColours(1.0, 0.7, kInk, kWhite, 0xC8192Du);
    const ArgbValue reference = twoColours.At(kSide / 2, kSide / 2) & 0xFFFFFFu;
    EXPECT_EQ(StrokeColour(twoColours.Rows(), ImageSize{kSide, kSide}, kWhite, kSide / 2, kSide / 2, reference),
              reference);
}

// A pixel-wide stroke along the grid's diagonal whose centre line runs midway between pixel
// centres covers two pixels of each row equally and none well; the reference, found farther
// along where the line passes nearer a centre, is a better mix but still a mix. Each pair's
// cross-sections show where the line runs, and the colour found lies far nearer the stroke's
// own than the reference does, on white and on a saturated green.
TEST(StrokeProfile, StrokeBetweenPixelCentresFindsItsColourFromWhereItsLineRuns)
{
    const double diagonal = std::atan(1.0);
    const double midway = 0.5 * std::sqrt(0.5);  // half a pixel's diagonal step across the line
    const double nearer = 0.2;                      // where the reference was found
    for (const ArgbValue key : {kWhite, ArgbValue{0x00B140u}}) {
        SCOPED_TRACE(key);
        StrokePicture picture(1.0, diagonal, kInk, key, kInk, midway);
        const ArgbValue reference = StrokePicture(1.0, diagonal, kInk, key, kInk, nearer).Farthest(key);
        const ArgbValue pair = picture.Farthest(key);
        ASSERT_GT(LevelsApart(pair, kInk), LevelsApart(reference, kInk));
        int worst = 0, pixels = 0;
        for (std::uint32_t y = kSide / 4; y < 3 * kSide / 4; ++y) {
            for (std::uint32_t x = kSide / 4; x < 3 * kSide / 4; ++x) {
                if ((picture.At(x, y) & 0xFFFFFFu) != pair)
                    continue;
                const ArgbValue found = StrokeColour(picture.Rows(), ImageSize{kSide, kSide}, key, x, y, reference);
                worst = std::max(worst, LevelsApart(found & 0xFFFFFFu, kInk));
                ++pixels;
            }
        }
        EXPECT_GT(pixels, 0);
        EXPECT_LE(worst, LevelsApart(reference, kInk) / 2);
    }
}

// The round end of a stroke 4 pixels wide: its rows and columns there are short, as a thin
// stroke's are, but it covers a block of pixels fully nearby, whose colour is the stroke's
// own, and every pixel of the end keeps that colour, at any angle and on any key.
TEST(StrokeProfile, RoundEndOfAWideStrokeKeepsTheColourItCoversFully)
{
    constexpr double kHalfWidth = 2.0;
    const double startX = kSide / 2.0 + 0.3, startY = kSide / 2.0 + 0.1;  // off the pixel grid
    for (const ArgbValue key : {kWhite, ArgbValue{0x00B140u}}) {
        for (const double angle : {0.2, 1.4, 2.8}) {
            SCOPED_TRACE(angle);
            const double dx = std::cos(angle), dy = std::sin(angle);
            // The stroke from the start on along (dx, dy), its end round.
            std::vector<ArgbValue> pixels(kSide * kSide);
            for (std::uint32_t y = 0; y < kSide; ++y) {
                for (std::uint32_t x = 0; x < kSide; ++x) {
                    double covered = 0.0;
                    for (int s = 0; s < kSamples * kSamples; ++s) {
                        const double px = x + (s % kSamples + 0.5) / kSamples - startX;
                        const double py = y + (s / kSamples + 0.5) / kSamples - startY;
                        const double t = std::max(0.0, px * dx + py * dy);
                        covered += std::hypot(px - t * dx, py - t * dy) < kHalfWidth ? 1.0 : 0.0;
                    }
                    pixels[y * kSide + x] = StrokePicture::Mix(kInk, kInk, key, covered / (kSamples * kSamples), 0.0);
                }
            }
            const PixelRows rows{pixels.data(), std::ptrdiff_t{kSide * sizeof(ArgbValue)}};
            int ends = 0;
            for (std::uint32_t y = kSide / 4; y < 3 * kSide / 4; ++y) {
                for (std::uint32_t x = kSide / 4; x < 3 * kSide / 4; ++x) {
                    const ArgbValue pixel = pixels[y * kSide + x];
                    const bool behindStart = (x + 0.5 - startX) * dx + (y + 0.5 - startY) * dy < 0.5;
                    if (!behindStart || (pixel & 0xFFFFFFu) == kInk || 2 * ChannelDistance(pixel, key) < ChannelDistance(kInk, key))
                        continue;
                    ++ends;
                    const ArgbValue found = StrokeColour(rows, ImageSize{kSide, kSide}, key, x, y, kInk) & 0xFFFFFFu;
                    EXPECT_LE(LevelsApart(found, kInk), 2) << x << ", " << y;
                }
            }
            EXPECT_GT(ends, 0);
        }
    }
}
