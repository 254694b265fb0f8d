// The alpha brush: the shape of a dab, where dabs land, the largest coverage per stroke, no
// gaps however far one move goes, painting and restoring, and the stroke's undo data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "alpha_brush.h"
#include "pixel_tiles.h"

namespace {

constexpr ArgbValue kOpaqueGrey = 0xFF808080u;

// An image in memory, row by row, every pixel one value.
struct TestImage {
    ImageSize size;
    std::vector<ArgbValue> pixels;

    TestImage(std::uint32_t width, std::uint32_t height, ArgbValue fill)
        : size{width, height}, pixels(std::size_t{width} * height, fill)
    {
    }
    PixelRows Rows() { return {pixels.data(), std::ptrdiff_t{size.width} * 4}; }
    BrushCanvas Canvas() { return {Rows(), {}}; }
    ArgbValue At(std::uint32_t x, std::uint32_t y) const { return pixels[std::size_t{y} * size.width + x]; }
    // The pixels that are no longer fill.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> Changed(ArgbValue fill) const
    {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> changed;
        for (std::uint32_t y = 0; y < size.height; ++y)
            for (std::uint32_t x = 0; x < size.width; ++x)
                if (At(x, y) != fill)
                    changed.emplace_back(x, y);
        return changed;
    }
};

BrushSettings Brush(std::uint32_t diameter, std::uint32_t hardness, std::uint32_t alpha = 0)
{
    return {diameter, hardness, alpha, BrushMode::PaintAlpha};
}

// The distance from (px, py) to the segment from a to b.
double DistanceToSegment(double px, double py, BrushPoint a, BrushPoint b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double t = std::clamp(((px - a.x) * dx + (py - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(px - a.x - t * dx, py - a.y - t * dy);
}

}  // namespace

TEST(AlphaBrush, CoverageIsAllOrNothingAtFullHardnessAndFallsSmoothlyBelow)
{
    const DabShape hard(10, 100);
    EXPECT_EQ(1.0, hard.CoverageAt(4.999, 0.0));
    EXPECT_EQ(0.0, hard.CoverageAt(3.0, 4.0)) << "0 at r = R";
    for (double r = 0.0; r < 7.0; r += 0.01)
        EXPECT_TRUE(hard.CoverageAt(r, 0.0) == 0.0 || hard.CoverageAt(r, 0.0) == 1.0) << r;

    const DabShape soft(10, 50);  // full strength to 2.5, nothing from 5
    EXPECT_EQ(1.0, soft.CoverageAt(1.5, 2.0));
    EXPECT_NEAR(0.5, soft.CoverageAt(3.75, 0.0), 1e-12);
    EXPECT_EQ(0.0, soft.CoverageAt(5.0, 0.0));
    double previous = 1.0;
    for (double r = 0.0; r <= 5.0; r += 0.001) {
        const double c = soft.CoverageAt(0.0, r);
        EXPECT_LE(c, previous) << r;
        EXPECT_LT(previous - c, 0.001) << "no step at " << r;
        previous = c;
    }
    EXPECT_NEAR(0.5, DabShape(10, 0).CoverageAt(2.5, 0.0), 1e-12) << "hardness 0 falls from the centre";
}

TEST(AlphaBrush, DabCentresBetweenPixelsLandWhereTheyPoint)
{
    // Size 1 at hardness 100 paints exactly the pixel under the point, wherever in it.
    for (const BrushPoint point : {BrushPoint{3.0, 4.0}, BrushPoint{3.999, 4.999}, BrushPoint{3.5, 4.5},
                                   BrushPoint{3.01, 4.99}}) {
        TestImage image(8, 8, kOpaqueGrey);
        BrushStroke(Brush(1, 100), image.size).Begin(point, image.Canvas());
        const auto changed = image.Changed(kOpaqueGrey);
        ASSERT_EQ(1u, changed.size()) << point.x << ", " << point.y;
        EXPECT_EQ(std::make_pair(3u, 4u), changed[0]);
    }
    // Size 2: a corner between four pixels paints all four, a pixel's centre only that pixel,
    // a quarter pixel to the left its left neighbour too.
    const std::pair<BrushPoint, std::size_t> cases[] = {{{5.0, 5.0}, 4}, {{5.5, 5.5}, 1}, {{5.25, 5.5}, 2}};
    for (const auto& [point, count] : cases) {
        TestImage image(10, 10, kOpaqueGrey);
        BrushStroke(Brush(2, 100), image.size).Begin(point, image.Canvas());
        EXPECT_EQ(count, image.Changed(kOpaqueGrey).size()) << point.x << ", " << point.y;
    }
    // Points far outside the image, or no number at all, paint nothing.
    TestImage outside(10, 10, kOpaqueGrey);
    BrushStroke far(Brush(5, 100), outside.size);
    EXPECT_EQ(0u, far.Begin({-1e30, 5.0}, outside.Canvas()).width);
    EXPECT_EQ(0u, far.MoveTo({5.0, std::nan("")}, outside.Canvas()).width);
    EXPECT_EQ(0u, far.MoveTo({5.0, 1e300}, outside.Canvas()).width);
    EXPECT_EQ(0u, outside.Changed(kOpaqueGrey).size());
    // A soft dab on a corner is symmetric about it; moved by a quarter pixel it is not.
    TestImage corner(20, 20, kOpaqueGrey);
    BrushStroke(Brush(9, 0), corner.size).Begin({10.0, 10.0}, corner.Canvas());
    EXPECT_EQ(corner.At(7, 8), corner.At(12, 11));
    EXPECT_EQ(corner.At(7, 8), corner.At(8, 7));
    TestImage shifted(20, 20, kOpaqueGrey);
    BrushStroke(Brush(9, 0), shifted.size).Begin({10.25, 10.0}, shifted.Canvas());
    EXPECT_LT(shifted.At(12, 9) >> 24, shifted.At(7, 9) >> 24) << "the right side is painted more";
}

TEST(AlphaBrush, EachPixelTakesTheLargestCoverageOfTheStroke)
{
    // Two soft dabs overlapping: each pixel as one dab of the larger coverage would make it.
    TestImage image(120, 100, kOpaqueGrey);
    const BrushSettings settings = Brush(100, 20, 0);
    BrushStroke stroke(settings, image.size);
    stroke.Begin({50.0, 50.0}, image.Canvas());
    stroke.MoveTo({60.0, 50.0}, image.Canvas());  // nearer than the spacing: one more dab
    const DabShape shape(100, 20);
    for (std::uint32_t y = 0; y < 100; ++y)
        for (std::uint32_t x = 0; x < 120; ++x) {
            const double dy = y + 0.5 - 50.0;
            const float c = static_cast<float>(
                std::max(shape.CoverageAt(x + 0.5 - 50.0, dy), shape.CoverageAt(x + 0.5 - 60.0, dy)));
            ASSERT_EQ(BrushedPixel(kOpaqueGrey, 0, c, settings), image.At(x, y)) << x << ", " << y;
        }

    // Back and forth over one path gives exactly what going once gives (the dabs, 4 apart,
    // land on the same points both ways).
    TestImage once(200, 60, kOpaqueGrey), thrice(200, 60, kOpaqueGrey);
    BrushStroke(Brush(32, 0, 40), once.size).Line({20.0, 30.0}, {148.0, 30.0}, once.Canvas());
    BrushStroke back(Brush(32, 0, 40), thrice.size);
    back.Line({20.0, 30.0}, {148.0, 30.0}, thrice.Canvas());
    back.MoveTo({20.0, 30.0}, thrice.Canvas());
    back.MoveTo({148.0, 30.0}, thrice.Canvas());
    EXPECT_EQ(once.pixels, thrice.pixels);
}

TEST(AlphaBrush, OneLongMoveLeavesNoGapAlongItsPath)
{
    const BrushPoint from{5.3, 7.7}, to{390.1, 288.4};
    for (const std::uint32_t diameter : {9u, 60u}) {
        TestImage image(400, 300, kOpaqueGrey);
        BrushStroke stroke(Brush(diameter, 100), image.size);
        stroke.Line(from, to, image.Canvas());
        // Dabs at most s apart cover every pixel centre within sqrt(R² − s²/4) of the path.
        const double radius = diameter / 2.0;
        const double sure = std::sqrt(radius * radius - stroke.Spacing() * stroke.Spacing() / 4) - 1e-9;
        for (std::uint32_t y = 0; y < 300; ++y)
            for (std::uint32_t x = 0; x < 400; ++x) {
                const double distance = DistanceToSegment(x + 0.5, y + 0.5, from, to);
                if (distance < sure)
                    ASSERT_EQ(0u, image.At(x, y) >> 24) << diameter << ": " << x << ", " << y;
                else if (distance >= radius)
                    ASSERT_EQ(kOpaqueGrey, image.At(x, y)) << diameter << ": " << x << ", " << y;
            }
    }
    // Size 1: a chain of pixels, each touching the next, from the first pixel to the last.
    TestImage image(400, 300, kOpaqueGrey);
    BrushStroke(Brush(1, 100), image.size).Line(from, to, image.Canvas());
    std::vector<bool> reached(400 * 300, false);
    std::deque<std::pair<int, int>> queue{{5, 7}};
    reached[7 * 400 + 5] = true;
    while (!queue.empty()) {
        const auto [x, y] = queue.front();
        queue.pop_front();
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if (nx >= 0 && ny >= 0 && nx < 400 && ny < 300 && !reached[ny * 400 + nx] &&
                    image.At(nx, ny) != kOpaqueGrey) {
                    reached[ny * 400 + nx] = true;
                    queue.emplace_back(nx, ny);
                }
            }
    }
    EXPECT_TRUE(reached[288 * 400 + 390]);
}

TEST(AlphaBrush, PaintSetsAlphaOnlyAndRestoreBringsBackColourAndAlpha)
{
    const BrushSettings paint = Brush(1, 100, 0);
    EXPECT_EQ(0x96102030u, BrushedPixel(0xC8102030u, 0, 0.25, paint)) << "200 + (0 − 200)·0.25";
    EXPECT_EQ(0x00102030u, BrushedPixel(0xC8102030u, 0, 1.0, paint));
    EXPECT_EQ(0x80102030u, BrushedPixel(0x00102030u, 0, 0.5, Brush(1, 100, 255))) << "127.5 rounds up";
    BrushSettings restore = paint;
    restore.mode = BrushMode::Restore;
    EXPECT_EQ(0x80102030u, BrushedPixel(0x00000000u, 0xFF204060u, 0.5, restore));
    EXPECT_EQ(0xFF204060u, BrushedPixel(0x12345678u, 0xFF204060u, 1.0, restore));

    // A hard restore stroke over a cut-out puts back exactly the opened pixels under it.
    TestImage opened(60, 40, 0xFF336699u);
    opened.pixels[20 * 60 + 30] = 0xFFABCDEFu;
    TestImage current(60, 40, 0x00336699u);
    restore.diameter = 11;
    BrushStroke(restore, current.size).Line({25.5, 20.5}, {35.5, 20.5}, {current.Rows(), opened.Rows()});
    EXPECT_EQ(0xFFABCDEFu, current.At(30, 20));
    EXPECT_EQ(0xFF336699u, current.At(25, 25));
    EXPECT_EQ(0x00336699u, current.At(25, 26)) << "beyond the radius";
}

TEST(AlphaBrush, UndoTilesGiveBackExactPixelsAndKeepOnlyWhatWasTouched)
{
    TestImage image(1000, 800, kOpaqueGrey);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = static_cast<ArgbValue>(i * 2654435761u);
    const std::vector<ArgbValue> before = image.pixels;
    BrushStroke stroke(Brush(5, 30, 7), image.size);
    ImageRect reported = stroke.Begin({1.0, 1.0}, image.Canvas());
    for (int step = 1; step <= 40; ++step)
        reported = Union(reported, stroke.MoveTo({step * 25.0, step * 20.0}, image.Canvas()));
    const std::vector<ArgbValue> after = image.pixels;
    ASSERT_NE(before, after);
    for (std::uint32_t y = 0; y < 800; ++y)
        for (std::uint32_t x = 0; x < 1000; ++x)
            if (before[y * 1000 + x] != after[y * 1000 + x])
                ASSERT_TRUE(Contains(reported, x, y)) << "changed but not reported: " << x << ", " << y;
    const ImageRect changed = stroke.Changed();
    EXPECT_TRUE(changed.x == reported.x && changed.y == reported.y && changed.width == reported.width &&
                changed.height == reported.height);

    std::vector<PixelTile> tiles = stroke.TakeTilesBefore();
    EXPECT_LT(TilesBytes(tiles), before.size() * sizeof(ArgbValue) / 8) << "a thin diagonal keeps little";
    SwapTiles(image.Rows(), tiles);
    EXPECT_EQ(before, image.pixels);
    SwapTiles(image.Rows(), tiles);
    EXPECT_EQ(after, image.pixels);
    EXPECT_EQ(0u, stroke.Changed().width) << "the stroke kept nothing";
}
