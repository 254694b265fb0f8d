// The alpha brush measured on a 4000 × 3000 image: the pixel work of one mouse move in a drag
// (the part of "move to shown" that is the brush's own; the repaint of the rectangle it returns
// comes on top), at 100% and at fit in a 1920 × 1080 client area, at sizes 50 and 500; the
// bytes a stroke's history step keeps; and the undo of a stroke across the whole image
// (exchanging its tiles with the image's pixels). Built natively, optimised, by
// "make bench-native".
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "alpha_brush.h"
#include "pixel_tiles.h"

namespace {

constexpr std::uint32_t kWidth = 4000;
constexpr std::uint32_t kHeight = 3000;
constexpr double kClientWidth = 1920;
constexpr double kClientHeight = 1080;
constexpr int kMoves = 120;
constexpr double kSlant = 0.3;  // the drag's direction, in radians
constexpr int kUndoRuns = 9;
constexpr double kMegabyte = 1024.0 * 1024.0;

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Image {
    std::vector<ArgbValue> pixels = std::vector<ArgbValue>(std::size_t{kWidth} * kHeight);
    Image()
    {
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = 0xFF000000u | static_cast<ArgbValue>(i * 2654435761u >> 8);
    }
    PixelRows Rows() { return {pixels.data(), std::ptrdiff_t{kWidth} * 4}; }
};

// The point step further on from point in direction, turned back at the image's edges so
// that every move of the drag paints inside it.
BrushPoint Bounced(BrushPoint point, BrushPoint& direction, double step)
{
    BrushPoint next{point.x + direction.x * step, point.y + direction.y * step};
    if (next.x < 0.0 || next.x > kWidth) {
        direction.x = -direction.x;
        next.x = point.x + direction.x * step;
    }
    if (next.y < 0.0 || next.y > kHeight) {
        direction.y = -direction.y;
        next.y = point.y + direction.y * step;
    }
    return next;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A drag of kMoves moves of step image pixels each, slanted, turning back at the image's edges,
// the restore brush (the heavier of the two) reading original; the median and the slowest move.
void MeasureDrag(const char* view, std::uint32_t diameter, double step, Image& image, Image& original)
{
    BrushStroke stroke({diameter, 50, 0, BrushMode::Restore}, {kWidth, kHeight});
    const BrushCanvas canvas{image.Rows(), original.Rows()};
    BrushPoint point{600.0, 500.0};
    BrushPoint direction{std::cos(kSlant), std::sin(kSlant)};
    stroke.Begin(point, canvas);
    std::vector<double> times;
    std::size_t peak = 0;
    for (int move = 0; move < kMoves; ++move) {
        point = Bounced(point, direction, step);
        const Clock::time_point start = Clock::now();
        stroke.MoveTo(point, canvas);
        times.push_back(MillisecondsSince(start));
        peak = std::max(peak, stroke.Bytes());
    }
    std::vector<PixelTile> tiles = stroke.TakeTilesBefore();
    std::printf("  %-5s size %4u, moves of %6.1f image px: median %6.2f ms, slowest %6.2f ms"
                " (stroke's memory at most %.1f MB, its step %.1f MB)\n",
                view, diameter, step, Median(times), *std::max_element(times.begin(), times.end()),
                peak / kMegabyte, TilesBytes(tiles) / kMegabyte);
    SwapTiles(image.Rows(), tiles);  // the image as it was, for the next drag
}

// A stroke corner to corner (or over every pixel), then its undo: the bytes the step keeps
// and the time to put them back, the median of undos and redos in turn (the same work).
void MeasureUndo(std::uint32_t diameter, bool zigzag, Image& image)
{
    BrushStroke stroke({diameter, 50, 0, BrushMode::PaintAlpha}, {kWidth, kHeight});
    const BrushCanvas canvas{image.Rows(), {}};
    stroke.Begin({0.0, 0.0}, canvas);
    if (zigzag) {
        // Rows of dabs every half diameter: every pixel of the image is painted.
        for (double y = 0.0; y <= kHeight + diameter / 2.0; y += diameter / 2.0) {
            stroke.MoveTo({0.0, y}, canvas);
            stroke.MoveTo({kWidth, y}, canvas);
        }
    } else {
        stroke.MoveTo({kWidth, kHeight}, canvas);
    }
    std::vector<PixelTile> tiles = stroke.TakeTilesBefore();
    std::vector<double> times;
    for (int run = 0; run < kUndoRuns; ++run) {
        const Clock::time_point start = Clock::now();
        SwapTiles(image.Rows(), tiles);
        times.push_back(MillisecondsSince(start));
    }
    std::printf("  %-9s size %4u: step keeps %7.1f MB in %5zu tiles (the image is %.1f MB); undo %6.2f ms\n",
                zigzag ? "all over," : "diagonal,", diameter, TilesBytes(tiles) / kMegabyte, tiles.size(),
                std::size_t{kWidth} * kHeight * sizeof(ArgbValue) / kMegabyte, Median(times));
}

}  // namespace

int main()
{
    Image image;
    Image original;
    // At fit the whole image shows in the client area: one screen pixel is this many image pixels.
    const double fit = std::max(kWidth / kClientWidth, kHeight / kClientHeight);
    std::printf("Alpha brush on %u x %u, hardness 50, restore brush (the paint brush does less).\n", kWidth, kHeight);
    std::printf("One mouse move in a drag, the brush's pixel work (goals for move to shown: 16 ms at size 50,"
                " 33 ms at size 500):\n");
    for (const std::uint32_t diameter : {50u, 500u}) {
        MeasureDrag("100%", diameter, 30.0, image, original);    // a steady drag
        MeasureDrag("100%", diameter, 200.0, image, original);   // a fast flick
        MeasureDrag("fit", diameter, 3.0 * fit, image, original);  // 3 screen px
        MeasureDrag("fit", diameter, 40.0 * fit, image, original);  // 40 screen px
    }
    std::printf("Undo of a stroke across the whole image, exchanging its tiles (goal 100 ms):\n");
    for (const std::uint32_t diameter : {1u, 50u, 500u})
        MeasureUndo(diameter, false, image);
    MeasureUndo(200, true, image);
    return 0;
}
