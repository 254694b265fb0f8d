#pragma once
// The alpha brush: strokes of round dabs that paint an alpha value, or paint back the image as
// it was opened. Pure C++: the caller hands over the rows of the image (locked for the length
// of a call) and repaints the rectangle each call returns.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pixel_rows.h"
#include "pixel_tiles.h"

constexpr std::uint32_t kMinBrushDiameter = 1;
constexpr std::uint32_t kMaxBrushDiameter = 1000;
constexpr std::uint32_t kMaxBrushHardness = 100;  // percent
constexpr std::uint32_t kMaxBrushAlpha = 255;

enum class BrushMode {
    PaintAlpha,  // the alpha moves toward the alpha set; red, green and blue stay
    Restore,     // colour and alpha move toward the image as it was opened
};

// What the brush is set to. Out-of-range values are read as the nearest allowed one.
struct BrushSettings {
    std::uint32_t diameter = 20;  // in image pixels, 1 to 1000 (0 counts as 1)
    std::uint32_t hardness = 50;  // the percent of the radius painted at full strength
    std::uint32_t alpha = 0;      // the alpha painted, 0 to 255
    BrushMode mode = BrushMode::PaintAlpha;
};

// The settings with every value brought into its range.
BrushSettings Clamped(const BrushSettings& settings) noexcept;

// A point in image coordinates. Pixel (x, y) covers [x, x + 1) × [y, y + 1), so its centre is
// (x + 0.5, y + 0.5); a point from a zoomed-in view lies anywhere between.
struct BrushPoint {
    double x = 0;
    double y = 0;
};

// The shape of one dab. With R half the diameter, h the hardness and r a pixel centre's
// distance from the dab's centre, the coverage is 1 for r <= h·R, falls along a smoothstep
// (1 − 3t² + 2t³, t going from 0 at h·R to 1 at R) and is 0 from R on. At hardness 100 a pixel
// is covered fully or not at all. The pixel under the dab's centre is always covered fully:
// a dab of size 1 at hardness 100 paints exactly that pixel, wherever in it the centre lies.
class DabShape {
public:
    DabShape(std::uint32_t diameter, std::uint32_t hardnessPercent) noexcept;

    double Radius() const noexcept { return radius_; }

    // The coverage, 0 to 1, of a pixel whose centre lies at (dx, dy) from the dab's centre,
    // not counting the rule for the pixel under the centre.
    double CoverageAt(double dx, double dy) const noexcept
    {
        const double squared = dx * dx + dy * dy;
        if (squared >= radiusSquared_)
            return 0.0;
        if (squared <= fullSquared_)
            return 1.0;
        return FallOff(squared);
    }

private:
    double FallOff(double squared) const noexcept;

    double radius_;
    double full_;  // h·R
    double radiusSquared_;
    double fullSquared_;
};

// The value a pixel takes at coverage c (0 to 1) under settings: from before, the pixel as it
// was before the stroke, alpha a + (A − a)·c rounded with red, green and blue kept; or each
// channel P + (O − P)·c rounded, with O the pixel of the image as it was opened.
ArgbValue BrushedPixel(ArgbValue before, ArgbValue original, double coverage, const BrushSettings& settings) noexcept;

// Where a stroke paints: the rows of the whole image (row y is image row y), written in place,
// and for the restore brush the rows of the image as it was opened, of the same size (unread
// when painting alpha).
struct BrushCanvas {
    PixelRows image;
    PixelRows original;
};

// One stroke of the brush: dabs placed along the path at most Spacing() apart however far a
// move goes, each pixel taking the largest coverage any of the stroke's dabs gave it, applied
// to the pixel as it was before the stroke (so going over a spot twice goes no further than
// once). The stroke keeps, in tiles of kTile × kTile pixels, only the tiles it touched: each
// one's pixels before the stroke and their coverage.
class BrushStroke {
public:
    static constexpr std::uint32_t kTile = 32;

    // A stroke with settings (clamped) on an image of size; nothing is painted yet.
    BrushStroke(const BrushSettings& settings, ImageSize size);

    // Places the first dab at point. Returns the pixels this call changed, for the repaint;
    // empty when none did (a dab wholly outside the image).
    ImageRect Begin(BrushPoint point, const BrushCanvas& canvas);
    // Places dabs from the last point to point, the last one at point; the same return. Before
    // any Begin it is a Begin. Dabs outside the image cost a test each and paint nothing;
    // a move longer than 16 million pixels gets 16 million dabs. Both throw std::bad_alloc when a new tile cannot be kept, every pixel changed
    // so far being in a kept tile.
    ImageRect MoveTo(BrushPoint point, const BrushCanvas& canvas);
    // A straight stroke from from to to (Shift+click from where the last stroke ended): Begin
    // at from and MoveTo to; returns the pixels changed.
    ImageRect Line(BrushPoint from, BrushPoint to, const BrushCanvas& canvas);

    bool HasBegun() const noexcept { return begun_; }
    // The point of the last dab placed: where a straight stroke after this one starts.
    BrushPoint LastPoint() const noexcept { return last_; }
    // The largest distance between two dabs placed one after the other: max(1, R / 4).
    double Spacing() const noexcept { return spacing_; }
    // The pixels the stroke has changed so far; empty before any.
    ImageRect Changed() const noexcept { return changed_; }
    // The bytes the stroke keeps now: its touched tiles' pixels and coverage, and their index.
    std::size_t Bytes() const noexcept;

    // Ends the stroke: the tiles it touched, holding their pixels as they were before it, for
    // the edit history (whose undo exchanges them with the image's). The stroke keeps nothing
    // afterwards and may begin again.
    std::vector<PixelTile> TakeTilesBefore();

private:
    struct Tile {
        ImageRect rect;
        std::vector<ArgbValue> before;
        std::vector<float> coverage;  // the largest so far, to float precision
    };

    void PaintDab(BrushPoint centre, const BrushCanvas& canvas, ImageRect& changed);
    void PaintRun(std::uint32_t y, std::uint32_t left, std::uint32_t right, BrushPoint centre,
                  const BrushCanvas& canvas, ImageRect& changed);
    Tile* FindTile(std::uint32_t x, std::uint32_t y) noexcept;  // null when not kept yet
    Tile& TileAt(std::uint32_t x, std::uint32_t y, const BrushCanvas& canvas);  // kept if new

    BrushSettings settings_;
    DabShape shape_;
    ImageSize size_;
    double spacing_;
    bool begun_ = false;
    BrushPoint last_;
    ImageRect changed_;
    std::uint32_t tilesAcross_;
    std::vector<std::int32_t> tileIndex_;  // per tile of the image: its place in tiles_, or -1
    std::vector<Tile> tiles_;
};

// The smallest rectangle holding a and b, either of which may be empty.
ImageRect Union(const ImageRect& a, const ImageRect& b) noexcept;
