#include "refine_edge.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "aliased_edge.h"
#include "alpha_distance.h"
#include "edge_unmix.h"
#include "pixel_result.h"
#include "reference_search.h"

namespace {

// Where no pixel near an edge pixel lies more than kThinDepth in from the shrunk edge, the
// subject is a thin stroke, and the edge pixel looks for its colour farther.
constexpr std::uint8_t kThinDepth = 2;

// A pixel already part transparent whose colour is the subject's mixed with the matte at the
// pixel's own alpha, as an automatic remover or a soft selection leaves it (the colour of the
// picture it was cut from, the alpha its coverage), holds the matte's share in its alpha
// already: where the subject's share measured from its colour lies nearer its alpha than 1 (a
// colour of its own, straight) or 0 (the matte itself, as a feathered selection's outer pixels
// are), and its colour un-mixed at that alpha lies within kGamutSlack levels of the RGB cube,
// as a true mix's does, only the colour is un-mixed and the alpha stays. (Else the share would
// go into the alpha twice, and the edge thin to alpha squared.)
constexpr double kGamutSlack = 4.0;
constexpr int kChannelMax = 255;

// A fill or a wand leaves the outermost ring opaque, mixed with the matte. Where at least
// kSoftRimShare of that ring is part transparent, the cut-out's edge is soft already, as a
// remover or a careful hand leaves it: its opaque pixels are the subject's own, and only the
// part-transparent ones are un-mixed. A ring pixel within kFeatherLevels of the matte is no
// such edge but a feathered fill's matte itself, with the fill's opaque rim behind it. At most
// kSoftRimRows rows are looked at, evenly spread.
constexpr double kSoftRimShare = 0.5;
constexpr std::uint32_t kFeatherLevels = 8;
constexpr std::uint32_t kSoftRimRows = 256;

// What the work knows of the image, the area and the distances.
struct RefineWork {
    const PixelRows& image;
    ImageRect area;
    ArgbValue matte;
    std::uint8_t shrink;  // distances up to this become transparent
    std::uint8_t reach;   // distances up to this may change: shrink plus the edge's width
    AlphaDistances distances;
    bool aliased = false;  // the subject was drawn without anti-aliasing: its edge stays
    bool softRim = false;  // the outermost ring is soft already: the opaque pixels stay

    const ArgbValue* ImageRow(std::uint32_t y) const { return image.Row(area.y + y) + area.x; }
    PixelRows AreaRows() const { return PixelRows{image.Row(area.y) + area.x, image.stride}; }
    bool MayChange(std::uint8_t distance) const { return distance > 0 && distance <= reach; }
};

// Says whether a pixel lies deep in the subject: more than kThinDepth past the shrink.
auto DeepIn(const RefineWork& work)
{
    const AlphaDistances& distances = work.distances;
    const std::uint8_t depth = static_cast<std::uint8_t>(work.shrink + kThinDepth);
    return [&distances, depth](std::uint32_t i, std::uint32_t j) { return distances.Row(j)[i] > depth; };
}

// The search for the subject's colour that best explains the edge pixel (x, y) as a mix with
// the matte, among the pixels that stay; thin where none of them lies more than kThinDepth
// past the shrink. The pixel itself is one of them, so a pixel that nothing near explains
// better stays as it is. Where the near look's best is itself a mix, a colour of a flat patch
// a little farther may explain the pixel better: a soft edge is mixed over more pixels than a
// crisp one.
NearOrAlong FindReference(const RefineWork& work, std::uint32_t x, std::uint32_t y, const ReferenceScore& scoring)
{
    const AlphaDistances& distances = work.distances;
    const std::uint8_t shrink = work.shrink;
    const auto subject = [&distances, shrink](std::uint32_t i, std::uint32_t j) {
        return distances.Row(j)[i] > shrink;
    };
    const ImageSize size{work.area.width, work.area.height};
    NearOrAlong search = FindNearOrAlong(work.AreaRows(), size, x, y, scoring, subject, DeepIn(work));
    if (!search.wide)
        FindFlatFarther(work.AreaRows(), size, x, y, work.matte, scoring, subject, search.best);
    return search;
}

// True when pixel's colour, un-mixed from matte at the pixel's own alpha (above 0), lies in the
// RGB cube, within kGamutSlack.
bool UnmixesAtOwnAlpha(ArgbValue pixel, ArgbValue matte)
{
    const double scale = static_cast<double>(kChannelMax) / (pixel >> 24);
    for (const int shift : {16, 8, 0}) {
        const double m = ChannelOf(matte, shift);
        const double colour = m + (ChannelOf(pixel, shift) - m) * scale;
        if (colour < -kGamutSlack || colour > kChannelMax + kGamutSlack)
            return false;
    }
    return true;
}

// pixel with matte taken out, share being the subject's share of its colour: into the alpha, or
// where the pixel's own alpha already holds it, out of the colour only (see kGamutSlack).
ArgbValue MatteTakenOut(ArgbValue pixel, ArgbValue matte, double share)
{
    const ArgbValue alpha = pixel >> 24;
    const bool partTransparent = alpha > 0 && alpha < kChannelMax;
    const double levels = share * kChannelMax;
    const double fromOwn = std::abs(levels - alpha);
    const bool ownAlpha = partTransparent && fromOwn < std::abs(levels - kChannelMax) && fromOwn < levels &&
                          UnmixesAtOwnAlpha(pixel, matte);
    if (!ownAlpha)
        return Unmixed(pixel, matte, share);
    return (Unmixed(pixel, matte, static_cast<double>(alpha) / kChannelMax) & kColourBits) | (pixel & ~kColourBits);
}

// The new value of the area's pixel (x, y), one that may change.
ArgbValue NewPixel(const RefineWork& work, std::uint32_t x, std::uint32_t y, ArgbValue pixel, std::uint8_t distance)
{
    if (distance <= work.shrink)
        return pixel & kColourBits;
    if (work.aliased || (work.softRim && (pixel >> 24) == kChannelMax))
        return pixel;
    const ReferenceScore scoring(pixel, work.matte);
    const NearOrAlong search = FindReference(work, x, y, scoring);
    // Where nothing near is farther from the matte, or where the pixel lies in a soft shadow or
    // glow, the pixel is as far from the matte as a colour along that line goes.
    const ImageSize size{work.area.width, work.area.height};
    if (!search.best.found || FadeNear(work.AreaRows(), size, work.matte, search))
        return MatteTakenOut(pixel, work.matte, SmallestAlpha(pixel, work.matte));
    const std::uint8_t outermostRing = static_cast<std::uint8_t>(work.shrink + 1);
    const AlphaDistances& distances = work.distances;
    const auto inner = [&distances, outermostRing](std::uint32_t i, std::uint32_t j) {
        return distances.Row(j)[i] > outermostRing;
    };
    return MatteTakenOut(pixel, work.matte,
                         ShareAlong(work.AreaRows(), size, x, y, pixel, work.matte, search, distance <= outermostRing,
                                    DeepIn(work), inner));
}

// The bounds, in the area, of the pixels that may change; empty when there are none.
ImageRect MayChange(const RefineWork& work)
{
    const AlphaDistances& distances = work.distances;
    return BoundsWhere(
        distances.width, distances.height, [&distances](std::uint32_t y) { return distances.Row(y); },
        [&work](std::uint8_t distance) { return work.MayChange(distance); });
}

// Writes the new pixels of rect's rows [top, bottom) (rect in the area) to out, row by row, and
// adds to bounds, in rect's own pixels, those that differ from the image's.
void NewRows(const RefineWork& work, const ImageRect& rect, std::uint32_t top, std::uint32_t bottom, ArgbValue* out,
             ChangedBounds& bounds)
{
    for (std::uint32_t y = top; y < bottom; ++y) {
        const std::uint8_t* row = work.distances.Row(rect.y + y) + rect.x;
        WriteNewRow(work.ImageRow(rect.y + y) + rect.x, rect.width, y, out + std::size_t{y - top} * rect.width, bounds,
                    [&](std::uint32_t x, ArgbValue& value) {
                        if (!work.MayChange(row[x]))
                            return false;
                        value = NewPixel(work, rect.x + x, rect.y + y, value, row[x]);
                        return true;
                    });
    }
}

// True when the subject was drawn without anti-aliasing, measured from the picture, the matte
// and the distances.
bool Aliased(const RefineWork& work)
{
    const AlphaDistances& distances = work.distances;
    const auto distance = [&distances](std::uint32_t i, std::uint32_t j) { return distances.Row(j)[i]; };
    return DrawnWithoutAntialiasing(work.AreaRows(), ImageSize{work.area.width, work.area.height}, work.matte,
                                    distance);
}

// True when at least kSoftRimShare of the outermost ring left after the shrink is part
// transparent, beyond kFeatherLevels of the matte.
bool SoftRim(const RefineWork& work)
{
    const auto outermost = static_cast<std::uint8_t>(work.shrink + 1);
    std::size_t ring = 0, soft = 0;
    const std::uint32_t step = std::max<std::uint32_t>(1, work.area.height / kSoftRimRows);
    for (std::uint32_t y = 0; y < work.area.height; y += step) {
        const std::uint8_t* distances = work.distances.Row(y);
        const ArgbValue* pixels = work.ImageRow(y);
        for (std::uint32_t x = 0; x < work.area.width; ++x) {
            if (distances[x] != outermost)
                continue;
            ++ring;
            soft += (pixels[x] >> 24) < kChannelMax && ChannelDistance(pixels[x], work.matte) > kFeatherLevels;
        }
    }
    return ring > 0 && soft >= kSoftRimShare * ring;
}

// Makes the result from the measured distances; false when there is no memory for it.
bool MakeResult(const RefineWork& work, ColourKeyResult& result)
{
    const auto newRows = [&work](const ImageRect& rect, std::uint32_t top, std::uint32_t bottom, ArgbValue* out,
                                 ChangedBounds& bounds) { NewRows(work, rect, top, bottom, out, bounds); };
    return MakeChangedResult(work.area, MayChange(work), newRows, result);
}

}  // namespace

bool RefineEdge(const PixelRows& image, ImageSize size, const RefineEdgeOptions& options, ColourKeyResult& result)
{
    // The pixels' memory is kept: a preview that asks again and again reuses it.
    result.changed = ImageRect{};
    result.pixels.clear();
    const std::uint32_t width = std::clamp(options.width, kSmallestEdgeWidth, kLargestEdgeWidth);
    const std::uint32_t shrink = std::min(options.shrink, kLargestEdgeShrink);
    RefineWork work{image,
                    Overlap(options.area, WholeOf(size)),
                    options.matte & kColourBits,
                    static_cast<std::uint8_t>(shrink),
                    static_cast<std::uint8_t>(shrink + width),
                    AlphaDistances{}};
    if (work.area.PixelCount() == 0)
        return true;
    work.distances.bytes.swap(result.scratch);
    // Distances past the reach all count alike, but the look for a subject drawn without
    // anti-aliasing needs to tell its deep pixels.
    const auto cap = static_cast<std::uint8_t>(std::max<std::uint32_t>(work.reach + 1u, kAliasedDeep));
    if (MeasureAlphaDistances(image, work.area, cap, work.distances)) {
        work.aliased = Aliased(work);
        work.softRim = SoftRim(work);
        if (MakeResult(work, result)) {
            result.scratch.swap(work.distances.bytes);
            return true;
        }
    }
    result = ColourKeyResult{};
    return false;
}

bool HasTransparency(const PixelRows& image, ImageSize size)
{
    for (std::uint32_t y = 0; y < size.height; ++y) {
        const ArgbValue* row = image.Row(y);
        if (std::any_of(row, row + size.width, [](ArgbValue pixel) { return pixel < kOpaqueBlack; }))
            return true;
    }
    return false;
}
