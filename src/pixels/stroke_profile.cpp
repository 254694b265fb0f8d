#include "stroke_profile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <utility>

namespace {

constexpr int kChannelMax = 255;
constexpr int kShifts[3] = {16, 8, 0};
constexpr int kRunReach = 6;             // a cross-section longer than this each way is no thin stroke's
constexpr double kFaintLevels = 2.0;     // a pixel this near the key along the line ends a cross-section
constexpr double kShortestReach = 96.0;  // a colour nearer the key than this is told from it by too few levels
constexpr double kMostStretch = 1.15;     // the colour goes at most this much farther than the reference
constexpr double kNarrowest = 1.0;       // a stroke is taken to be at least this wide
constexpr int kWidthSteps = 24;          // halvings when the width is sought
constexpr double kOffLine = 2.0;         // levels a pixel of one stroke strays from its colour's line
// The best-covered pixel of a stroke nearby (the reference) has its centre up to this far off
// the stroke's.
constexpr double kPeakOffset = 0.08;
constexpr int kBlockReach = 3;           // how far from a pixel a fully covered block's centre is looked for
constexpr int kSlopeReach = 1;           // the normal is judged from the slopes this far around
constexpr int kNearReach = 2;            // how far around a pixel other cross-sections are asked
constexpr int kAgreeing = 2;             // how many of them must move the colour
const double kUnbounded = std::numeric_limits<double>::infinity();

// Lengths along the unit direction from the key to the reference.
struct Along {
    double key[3];
    double unit[3];

    double Of(ArgbValue value) const noexcept
    {
        double along = 0.0;
        for (int c = 0; c < 3; ++c)
            along += (ChannelOf(value, kShifts[c]) - key[c]) * unit[c];
        return along;
    }
    // How far value lies from the line through the key along unit.
    double OffLine(ArgbValue value, double length) const noexcept
    {
        double squares = 0.0;
        for (int c = 0; c < 3; ++c) {
            const double d = ChannelOf(value, kShifts[c]) - key[c];
            squares += d * d;
        }
        return std::sqrt(std::max(0.0, squares - length * length));
    }
    // True when value, length along, lies as near the line as a mix with one colour does.
    bool OnLine(ArgbValue value, double length) const noexcept { return OffLine(value, length) <= kOffLine; }
};

// One cross-section's sum of lengths along, its largest, and how many steps across from the
// lengths' centroid (where a straight stroke's centre line crosses it) the nearest of its
// largest lies.
struct Section {
    double sum = 0.0;
    double most = 0.0;
    double peakOffset = 0.0;
};

// How many steps the nearest of the largest of lengths lies from their centroid: on a plateau
// of fully covered pixels, the one nearest the centre.
double PeakOffset(const double* lengths, int count, double sum, double most)
{
    double moment = 0.0;
    for (int i = 0; i < count; ++i)
        moment += i * lengths[i];
    const double centroid = moment / sum;
    double nearest = kUnbounded;
    for (int i = 0; i < count; ++i) {
        if (lengths[i] >= most - kFaintLevels)
            nearest = std::min(nearest, std::abs(i - centroid));
    }
    return nearest;
}

// The lengths along from (x, y) on by (dx, dy) up to the first faint one, at most kRunReach of
// them, into run; false when none is faint that near, the image ends first or a pixel strays
// from the line, being of another colour.
bool Run(const PixelRows& rows, ImageSize size, const Along& along, std::int64_t x, std::int64_t y, int dx, int dy,
         double* run, int& count)
{
    for (count = 0; count < kRunReach; ++count) {
        x += dx;
        y += dy;
        if (x < 0 || y < 0 || x >= size.width || y >= size.height)
            return false;
        const ArgbValue pixel = rows.Row(static_cast<std::uint32_t>(y))[x];
        const double length = along.Of(pixel);
        if (length <= kFaintLevels)
            return true;
        if (!along.OnLine(pixel, length))
            return false;
        run[count] = length;
    }
    return false;
}

// True when lengths rise to one peak and fall from it (within kFaintLevels), as they do across a
// stroke of one colour.
bool OnePeak(const double* lengths, int count)
{
    const int peak = static_cast<int>(std::max_element(lengths, lengths + count) - lengths);
    double low = lengths[peak];
    for (int i = peak - 1; i >= 0; --i) {
        if (lengths[i] > low + kFaintLevels)
            return false;
        low = std::min(low, lengths[i]);
    }
    low = lengths[peak];
    for (int i = peak + 1; i < count; ++i) {
        if (lengths[i] > low + kFaintLevels)
            return false;
        low = std::min(low, lengths[i]);
    }
    return true;
}

// The cross-section through (x, y) by (dx, dy): its sum is kUnbounded where it runs on or does
// not look like a stroke of one colour.
Section CrossSection(const PixelRows& rows, ImageSize size, const Along& along, std::uint32_t x, std::uint32_t y,
                     int dx, int dy)
{
    // Behind the pixel, the pixel, ahead of it, in order across.
    double lengths[2 * kRunReach + 1];
    double behind[kRunReach];
    int behindCount = 0, aheadCount = 0;
    Section section;
    section.sum = kUnbounded;
    const double centre = along.Of(rows.Row(y)[x]);
    if (centre <= kFaintLevels || !along.OnLine(rows.Row(y)[x], centre) || !Run(rows, size, along, x, y, -dx, -dy, behind, behindCount))
        return section;
    std::reverse_copy(behind, behind + behindCount, lengths);
    lengths[behindCount] = centre;
    if (!Run(rows, size, along, x, y, dx, dy, lengths + behindCount + 1, aheadCount))
        return section;
    const int count = behindCount + 1 + aheadCount;
    if (!OnePeak(lengths, count))
        return section;
    section.sum = std::accumulate(lengths, lengths + count, 0.0);
    section.most = *std::max_element(lengths, lengths + count);
    section.peakOffset = PeakOffset(lengths, count, section.sum, section.most);
    return section;
}

// The stroke's normal at (x, y), a unit vector of non-negative parts, from the slopes of the
// lengths along around it (the structure tensor's first direction); false near the border.
bool StrokeNormal(const PixelRows& rows, ImageSize size, const Along& along, std::uint32_t x, std::uint32_t y,
                  double& normalX, double& normalY)
{
    const std::uint32_t margin = kSlopeReach + 1;
    if (x < margin || y < margin || x + margin >= size.width || y + margin >= size.height)
        return false;
    const auto at = [&](std::uint32_t i, std::uint32_t j) { return along.Of(rows.Row(j)[i]); };
    double xx = 0.0, yy = 0.0, xy = 0.0;
    for (std::uint32_t j = y - kSlopeReach; j <= y + kSlopeReach; ++j) {
        for (std::uint32_t i = x - kSlopeReach; i <= x + kSlopeReach; ++i) {
            const double gx = at(i + 1, j) - at(i - 1, j);
            const double gy = at(i, j + 1) - at(i, j - 1);
            xx += gx * gx;
            yy += gy * gy;
            xy += gx * gy;
        }
    }
    if (xx + yy <= 0.0)
        return false;
    const double angle = 0.5 * std::atan2(2.0 * xy, xx - yy);
    normalX = std::abs(std::cos(angle));
    normalY = std::abs(std::sin(angle));
    return true;
}

// How far from the key a stroke's colour lies whose cross-section integrates to integral and
// peaks at most, its normal at (normalX, normalY): that of the stroke at least kNarrowest wide
// that covers a pixel peakOffset off its centre line just enough to give that peak.
double StrokeReach(double integral, double most, double normalX, double normalY, double peakOffset)
{
    const double ratio = integral / most;  // the width over the centre's coverage
    // From this width on a stroke covers that pixel fully.
    const double widest = normalX + normalY + 2.0 * peakOffset;
    if (ratio >= widest)
        return most;
    double narrow = kNarrowest, wide = widest;
    if (ratio <= narrow / Coverage(narrow, peakOffset, normalX, normalY))
        return std::max(most, integral / narrow);
    for (int step = 0; step < kWidthSteps; ++step) {
        const double middle = 0.5 * (narrow + wide);
        (middle / Coverage(middle, peakOffset, normalX, normalY) < ratio ? narrow : wide) = middle;
    }
    return integral / (0.5 * (narrow + wide));
}

// How far from key along unit the RGB cube ends.
double CubeReach(const Along& along)
{
    double reach = kUnbounded;
    for (int c = 0; c < 3; ++c) {
        if (along.unit[c] > 0.0)
            reach = std::min(reach, (kChannelMax - along.key[c]) / along.unit[c]);
        else if (along.unit[c] < 0.0)
            reach = std::min(reach, -along.key[c] / along.unit[c]);
    }
    return reach;
}

// True when a 3 × 3 block of pixels of exactly colour has its centre within kBlockReach of
// (x, y): no straight-edged stroke too thin to cover a pixel gives three rows and three
// columns alike, so the subject there covers them fully and colour is its own.
bool CoveredBlockNear(const PixelRows& rows, ImageSize size, std::uint32_t x, std::uint32_t y, ArgbValue colour)
{
    const std::int64_t left = std::max<std::int64_t>(1, std::int64_t{x} - kBlockReach);
    const std::int64_t top = std::max<std::int64_t>(1, std::int64_t{y} - kBlockReach);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{size.width} - 1, std::int64_t{x} + kBlockReach + 1);
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{size.height} - 1, std::int64_t{y} + kBlockReach + 1);
    const auto same = [&](std::int64_t i, std::int64_t j) {
        return ((rows.Row(static_cast<std::uint32_t>(j))[i] ^ colour) & kColourBits) == 0;
    };
    for (std::int64_t j = top; j < bottom; ++j) {
        for (std::int64_t i = left; i < right; ++i) {
            bool block = true;
            for (int b = 0; b < 9 && block; ++b)
                block = same(i - 1 + b % 3, j - 1 + b / 3);
            if (block)
                return true;
        }
    }
    return false;
}

}  // namespace

double ProjectedShare(double t, double normalX, double normalY) noexcept
{
    // A pixel's area projected on the normal spreads as a trapezoid: flat over the difference
    // of the two projected sides, sloping to their sum.
    const double a = std::max(std::abs(normalX), std::abs(normalY));
    const double b = std::min(std::abs(normalX), std::abs(normalY));
    const double outer = 0.5 * (a + b), inner = 0.5 * (a - b);
    if (t <= -outer)
        return 0.0;
    if (t >= outer)
        return 1.0;
    if (t >= -inner && t <= inner)
        return 0.5 + t / a;
    const double beyond = outer - std::abs(t);
    const double tail = beyond * beyond / (2.0 * a * b);
    return t < 0.0 ? tail : 1.0 - tail;
}

double Coverage(double width, double offset, double normalX, double normalY) noexcept
{
    return ProjectedShare(offset + 0.5 * width, normalX, normalY) -
           ProjectedShare(offset - 0.5 * width, normalX, normalY);
}

namespace {

// StrokeColour's work: false when the cross-sections through (x, y) say nothing, both running
// into something else (or one, where the slopes tell no normal).
bool Stroke(const PixelRows& rows, ImageSize size, ArgbValue key, std::uint32_t x, std::uint32_t y,
            ArgbValue reference, ArgbValue& colour) noexcept
{
    colour = reference;
    Along along{};
    double reach = 0.0;
    for (int c = 0; c < 3; ++c) {
        along.key[c] = ChannelOf(key, kShifts[c]);
        along.unit[c] = ChannelOf(reference, kShifts[c]) - along.key[c];
        reach += along.unit[c] * along.unit[c];
    }
    reach = std::sqrt(reach);
    if (reach < kShortestReach || CoveredBlockNear(rows, size, x, y, reference))
        return true;
    for (double& u : along.unit)
        u /= reach;
    const Section row = CrossSection(rows, size, along, x, y, 1, 0);
    const Section column = CrossSection(rows, size, along, x, y, 0, 1);
    if (row.sum == kUnbounded && column.sum == kUnbounded)
        return false;
    // A straight stroke of width w crosses a row over w / |normal x| and a column over
    // w / |normal y|; where one of them runs on, the slopes around tell the normal.
    double normalX = 0.0, normalY = 0.0, integral = 0.0;
    if (row.sum != kUnbounded && column.sum != kUnbounded) {
        integral = 1.0 / std::sqrt(1.0 / (row.sum * row.sum) + 1.0 / (column.sum * column.sum));
        normalX = integral / row.sum;
        normalY = integral / column.sum;
    } else {
        if (!StrokeNormal(rows, size, along, x, y, normalX, normalY))
            return false;
        integral = row.sum != kUnbounded ? row.sum * normalX : column.sum * normalY;
    }
    const double most = std::max({row.most, column.most, reach});
    double stroke = StrokeReach(integral, most, normalX, normalY, kPeakOffset);
    // A stroke that narrow covers no pixel fully, so the reference is itself a mix, and one near
    // the grid's diagonal may pass no pixel's centre for long, the reference's included. Where
    // both cross-sections show where the centre line runs, each tells the colour from its own
    // peak as far off that line as it lies, and the colour goes as far as both agree; not where
    // one reaches the reference itself, which may be covered fully where the subject widens.
    if (integral / stroke < normalX + normalY && row.sum != kUnbounded && column.sum != kUnbounded &&
        std::max(row.most, column.most) < reach - kFaintLevels) {
        const double byRow = StrokeReach(integral, row.most, normalX, normalY, row.peakOffset * normalX);
        const double byColumn = StrokeReach(integral, column.most, normalX, normalY, column.peakOffset * normalY);
        stroke = std::max(stroke, std::min(byRow, byColumn));
    }
    const double stretched = std::min({stroke, kMostStretch * reach, CubeReach(along)});
    if (stretched <= reach)
        return true;
    ArgbValue moved = reference & 0xFF000000u;
    for (int c = 0; c < 3; ++c) {
        const long level = std::lround(along.key[c] + along.unit[c] * stretched);
        moved |= static_cast<ArgbValue>(std::clamp<long>(level, 0, kChannelMax)) << kShifts[c];
    }
    colour = moved;
    return true;
}

}  // namespace

ArgbValue StrokeColour(const PixelRows& rows, ImageSize size, ArgbValue key, std::uint32_t x, std::uint32_t y,
                       ArgbValue reference) noexcept
{
    ArgbValue colour = reference;
    Stroke(rows, size, key, x, y, reference, colour);
    return colour;
}

ArgbValue StrokeColourNear(const PixelRows& rows, ImageSize size, ArgbValue key, std::uint32_t x, std::uint32_t y,
                           ArgbValue reference) noexcept
{
    ArgbValue colour = reference;
    if (Stroke(rows, size, key, x, y, reference, colour))
        return colour;
    // Their distances from the key, and the colours.
    std::pair<double, ArgbValue> moved[(2 * kNearReach + 1) * (2 * kNearReach + 1)];
    int count = 0;
    const auto distance = [key](ArgbValue value) {
        double squares = 0.0;
        for (const int shift : kShifts) {
            const double d = ChannelOf(value, shift) - ChannelOf(key, shift);
            squares += d * d;
        }
        return squares;
    };
    for (std::int64_t j = std::int64_t{y} - kNearReach; j <= std::int64_t{y} + kNearReach; ++j) {
        for (std::int64_t i = std::int64_t{x} - kNearReach; i <= std::int64_t{x} + kNearReach; ++i) {
            if (i < 0 || j < 0 || i >= size.width || j >= size.height)
                continue;
            if (Stroke(rows, size, key, static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j), reference,
                       colour) &&
                colour != reference)
                moved[count++] = {distance(colour), colour};
        }
    }
    if (count < kAgreeing)
        return reference;
    std::nth_element(moved, moved + count / 2, moved + count);
    return moved[count / 2].second;
}
