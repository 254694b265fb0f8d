#include "alpha_brush.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kHalfPixel = 0.5;
constexpr double kPercent = 100.0;
constexpr double kDabsPerRadius = 4.0;  // dabs at most a quarter of the radius apart
// A bound on the work of one move: 16 million dabs space a move of 16 million pixels, longer
// than any image is wide, at the closest spacing.
constexpr double kMostDabsPerMove = 16.0 * 1024 * 1024;
constexpr ArgbValue kChannelMask = 0xFFu;
constexpr unsigned kAlphaShift = 24;
constexpr unsigned kChannelBits = 8;
constexpr unsigned kChannels = 4;

std::uint32_t Mix(std::uint32_t from, std::uint32_t to, double coverage) noexcept
{
    const double value = from + (static_cast<double>(to) - from) * coverage;
    return static_cast<std::uint32_t>(std::floor(value + kHalfPixel));
}

bool IsEmpty(const ImageRect& rect) noexcept
{
    return rect.width == 0 || rect.height == 0;
}

// The pixels [first, last] of a run, clipped to [0, count); false when none is left.
bool ClipRun(std::int64_t& first, std::int64_t& last, std::uint32_t count) noexcept
{
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, std::int64_t{count} - 1);
    return first <= last;
}

// The pixels whose centres c + 0.5 lie strictly within halfWidth of centre: the run
// (centre − halfWidth − 0.5, centre + halfWidth − 0.5), as first and last.
void RunWithin(double centre, double halfWidth, std::int64_t& first, std::int64_t& last) noexcept
{
    first = static_cast<std::int64_t>(std::floor(centre - halfWidth - kHalfPixel)) + 1;
    last = static_cast<std::int64_t>(std::ceil(centre + halfWidth - kHalfPixel)) - 1;
}

}  // namespace

BrushSettings Clamped(const BrushSettings& settings) noexcept
{
    BrushSettings clamped = settings;
    clamped.diameter = std::clamp(settings.diameter, kMinBrushDiameter, kMaxBrushDiameter);
    clamped.hardness = std::min(settings.hardness, kMaxBrushHardness);
    clamped.alpha = std::min(settings.alpha, kMaxBrushAlpha);
    return clamped;
}

DabShape::DabShape(std::uint32_t diameter, std::uint32_t hardnessPercent) noexcept
    : radius_(std::max(diameter, kMinBrushDiameter) * kHalfPixel),
      full_(radius_ * std::min(hardnessPercent, kMaxBrushHardness) / kPercent),
      radiusSquared_(radius_ * radius_),
      fullSquared_(full_ * full_)
{
}

double DabShape::FallOff(double squared) const noexcept
{
    // Only reached for h·R < r < R, so the width below is never 0.
    const double t = (std::sqrt(squared) - full_) / (radius_ - full_);
    return 1.0 - t * t * (3.0 - 2.0 * t);
}

ArgbValue BrushedPixel(ArgbValue before, ArgbValue original, double coverage, const BrushSettings& settings) noexcept
{
    if (settings.mode == BrushMode::PaintAlpha) {
        const std::uint32_t alpha = Mix(before >> kAlphaShift, std::min(settings.alpha, kMaxBrushAlpha), coverage);
        return (alpha << kAlphaShift) | (before & kColourBits);
    }
    ArgbValue result = 0;
    for (unsigned channel = 0; channel < kChannels; ++channel) {
        const unsigned shift = channel * kChannelBits;
        result |= Mix((before >> shift) & kChannelMask, (original >> shift) & kChannelMask, coverage) << shift;
    }
    return result;
}

ImageRect Union(const ImageRect& a, const ImageRect& b) noexcept
{
    if (IsEmpty(a))
        return b;
    if (IsEmpty(b))
        return a;
    const std::uint32_t left = std::min(a.x, b.x);
    const std::uint32_t top = std::min(a.y, b.y);
    const std::uint32_t right = std::max(a.x + a.width, b.x + b.width);
    const std::uint32_t bottom = std::max(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

BrushStroke::BrushStroke(const BrushSettings& settings, ImageSize size)
    : settings_(Clamped(settings)),
      shape_(settings_.diameter, settings_.hardness),
      size_(size),
      spacing_(std::max(1.0, shape_.Radius() / kDabsPerRadius)),
      tilesAcross_((size.width + kTile - 1) / kTile),
      tileIndex_(std::size_t{tilesAcross_} * ((size.height + kTile - 1) / kTile), -1)
{
}

ImageRect BrushStroke::Begin(BrushPoint point, const BrushCanvas& canvas)
{
    begun_ = true;
    last_ = point;
    ImageRect changed;
    PaintDab(point, canvas, changed);
    changed_ = Union(changed_, changed);
    return changed;
}

ImageRect BrushStroke::MoveTo(BrushPoint point, const BrushCanvas& canvas)
{
    if (!begun_)
        return Begin(point, canvas);
    const double dx = point.x - last_.x;
    const double dy = point.y - last_.y;
    const double distance = std::hypot(dx, dy);
    if (!(distance > 0.0) || !std::isfinite(distance))
        return {};
    // Evenly spaced dabs, the last at point: none further apart than the spacing.
    const double dabs = std::min(std::ceil(distance / spacing_), kMostDabsPerMove);
    const BrushPoint from = last_;
    ImageRect changed;
    for (double dab = 1.0; dab < dabs; ++dab)
        PaintDab({from.x + dx * (dab / dabs), from.y + dy * (dab / dabs)}, canvas, changed);
    PaintDab(point, canvas, changed);
    last_ = point;
    changed_ = Union(changed_, changed);
    return changed;
}

ImageRect BrushStroke::Line(BrushPoint from, BrushPoint to, const BrushCanvas& canvas)
{
    const ImageRect first = Begin(from, canvas);
    return Union(first, MoveTo(to, canvas));
}

void BrushStroke::PaintDab(BrushPoint centre, const BrushCanvas& canvas, ImageRect& changed)
{
    const double radius = shape_.Radius();
    // Beyond this a dab reaches no pixel, not even the one under its centre; NaN fails too.
    const double reach = radius + 1.0;
    if (!(centre.x > -reach && centre.y > -reach && centre.x < size_.width + reach && centre.y < size_.height + reach))
        return;
    // The pixel under the centre is painted even when no pixel centre lies within R.
    const std::int64_t underX = static_cast<std::int64_t>(std::floor(centre.x));
    const std::int64_t underY = static_cast<std::int64_t>(std::floor(centre.y));
    std::int64_t top = 0;
    std::int64_t bottom = 0;
    RunWithin(centre.y, radius, top, bottom);
    top = std::min(top, underY);
    bottom = std::max(bottom, underY);
    if (!ClipRun(top, bottom, size_.height))
        return;
    for (std::int64_t y = top; y <= bottom; ++y) {
        const double dy = y + kHalfPixel - centre.y;
        const double across = radius * radius - dy * dy;
        std::int64_t left = underX;
        std::int64_t right = underX - 1;  // no run, unless the centre's pixel or the disc gives one
        if (across > 0.0)
            RunWithin(centre.x, std::sqrt(across), left, right);
        if (y == underY) {
            left = std::min(left, underX);
            right = std::max(right, underX);
        }
        if (ClipRun(left, right, size_.width))
            PaintRun(static_cast<std::uint32_t>(y), static_cast<std::uint32_t>(left),
                     static_cast<std::uint32_t>(right), centre, canvas, changed);
    }
}

void BrushStroke::PaintRun(std::uint32_t y, std::uint32_t left, std::uint32_t right, BrushPoint centre,
                           const BrushCanvas& canvas, ImageRect& changed)
{
    const double dy = y + kHalfPixel - centre.y;
    const bool underRow = std::floor(centre.y) == static_cast<double>(y);
    const double underX = std::floor(centre.x);
    const bool restore = settings_.mode == BrushMode::Restore;
    const ArgbValue fullAlpha = settings_.alpha << kAlphaShift;
    ArgbValue* row = canvas.image.Row(y);
    const ArgbValue* originalRow = restore ? canvas.original.Row(y) : nullptr;
    std::uint32_t first = right + 1;
    std::uint32_t last = 0;
    // One tile at a time: the pixels of one tile's row are side by side in its memory.
    for (std::uint32_t start = left; start <= right;) {
        const std::uint32_t end = std::min(right, (start / kTile + 1) * kTile - 1);
        const std::uint32_t tileLeft = start / kTile * kTile;
        Tile* tile = FindTile(start, y);
        float* coverage = nullptr;  // the tile's row y, from its left column on
        const ArgbValue* before = nullptr;
        for (std::uint32_t x = start; x <= end; ++x) {
            if (!tile) {
                // Nothing of the tile is painted yet: it is kept once a pixel of it is.
                const bool under = underRow && static_cast<double>(x) == underX;
                if (!under && shape_.CoverageAt(x + kHalfPixel - centre.x, dy) <= 0.0)
                    continue;
                tile = &TileAt(x, y, canvas);
            }
            if (!coverage) {
                const std::size_t offset = std::size_t{y - tile->rect.y} * tile->rect.width;
                coverage = tile->coverage.data() + offset;
                before = tile->before.data() + offset;
            }
            float& stored = coverage[x - tileLeft];
            if (stored >= 1.0f)
                continue;  // no dab can cover it more: most of a dab in a steady drag
            const bool under = underRow && static_cast<double>(x) == underX;
            const float c = under ? 1.0f : static_cast<float>(shape_.CoverageAt(x + kHalfPixel - centre.x, dy));
            if (c <= stored)
                continue;
            stored = c;
            const ArgbValue was = before[x - tileLeft];
            if (c < 1.0f)
                row[x] = BrushedPixel(was, restore ? originalRow[x] : 0, c, settings_);
            else
                row[x] = restore ? originalRow[x] : fullAlpha | (was & kColourBits);
            first = std::min(first, x);
            last = x;
        }
        start = end + 1;
    }
    if (first <= last)
        changed = Union(changed, {first, y, last - first + 1, 1});
}

BrushStroke::Tile* BrushStroke::FindTile(std::uint32_t x, std::uint32_t y) noexcept
{
    const std::int32_t index = tileIndex_[std::size_t{y / kTile} * tilesAcross_ + x / kTile];
    return index < 0 ? nullptr : &tiles_[static_cast<std::size_t>(index)];
}

BrushStroke::Tile& BrushStroke::TileAt(std::uint32_t x, std::uint32_t y, const BrushCanvas& canvas)
{
    std::int32_t& index = tileIndex_[std::size_t{y / kTile} * tilesAcross_ + x / kTile];
    if (index >= 0)
        return tiles_[static_cast<std::size_t>(index)];
    const ImageRect rect = Overlap({x / kTile * kTile, y / kTile * kTile, kTile, kTile}, WholeOf(size_));
    Tile tile{rect, std::vector<ArgbValue>(rect.PixelCount()), std::vector<float>(rect.PixelCount(), 0.0f)};
    // No dab of this stroke has touched the tile yet: its pixels are as they were before it.
    for (std::uint32_t row = 0; row < rect.height; ++row)
        std::copy_n(canvas.image.Row(rect.y + row) + rect.x, rect.width,
                    tile.before.data() + std::size_t{rect.width} * row);
    tiles_.push_back(std::move(tile));
    index = static_cast<std::int32_t>(tiles_.size() - 1);
    return tiles_.back();
}

std::size_t BrushStroke::Bytes() const noexcept
{
    std::size_t bytes = tileIndex_.size() * sizeof(std::int32_t) + tiles_.size() * sizeof(Tile);
    for (const Tile& tile : tiles_)
        bytes += tile.before.size() * sizeof(ArgbValue) + tile.coverage.size() * sizeof(float);
    return bytes;
}

std::vector<PixelTile> BrushStroke::TakeTilesBefore()
{
    std::vector<PixelTile> taken;
    taken.reserve(tiles_.size());
    for (Tile& tile : tiles_)
        taken.push_back({tile.rect, std::move(tile.before)});
    tiles_.clear();
    std::fill(tileIndex_.begin(), tileIndex_.end(), -1);
    begun_ = false;
    changed_ = {};
    return taken;
}
