#include "colour_key.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>

#include "aliased_edge.h"
#include "edge_unmix.h"
#include "pixel_result.h"
#include "key_fade.h"
#include "key_mask.h"
#include "reference_search.h"
#include "row_bands.h"

namespace {

constexpr std::uint32_t kLargestTolerance = 255;
constexpr std::uint8_t kEdgeBand = 2;       // pixels this near the background are un-mixed
// One ring farther, which a soft edge or the wedge between thin strokes reaches, a pixel of a
// clean picture is un-mixed only where it plainly is a mix: more key than subject, or within
// kPlainMixLevels of a mix of a flat colour with the key. Elsewhere there it is the subject's
// own shading or texture.
constexpr std::uint8_t kPlainMixBand = kEdgeBand + 1;
constexpr double kPlainMixAlpha = 0.5;
constexpr double kPlainMixLevels = 1.0;
constexpr std::uint32_t kCleanTolerance = 16;  // a tolerance up to this means a picture without noise

// In a noisy picture: colours scoring this share of the best are the subject's as a reference;
// an edge pixel whose alpha is within this many tolerances (over the reference's reach) of 1
// is the subject, and one within this many of 0 the background.
constexpr double kPlateauShare = 0.8;
constexpr double kOpaqueNoise = 0.35;
constexpr double kClearNoise = 1.0;
constexpr double kRingingReach = 2.0;  // a JPEG's ringing strays this many tolerances from the key
constexpr std::uint8_t kRim = kPending;  // after the fills: background next to the subject
// In a noisy picture the background's noise is rough, and where it is not, the background is
// its own colour: a JPEG gives a flat patch of it back as it was, within its rounding. That
// colour is found near the start, within kBackgroundColourReach (the pixel clicked may be one
// of the noise). A patch of one colour, a 3 × 3 square within kPaleFlatLevels of it, whose
// luma lies more than kPaleLuma off that colour's, is a pale subject's (a page a few levels off
// white), which the background does not take, however near the key a tolerance for the noise
// lets it lie. Over a saturated key (a green) a JPEG of quality 75 can move a flat patch of
// the background by 3 levels of luma; clean edges clear such a patch next to the subject as a
// mix, while soft fades would keep it as a faint fade: with them a pale patch lies more than
// kPaleLumaWithFades off.
constexpr std::uint32_t kPaleLuma = 2;
constexpr std::uint32_t kPaleLumaWithFades = 4;
constexpr std::uint32_t kPaleFlatLevels = 1;
constexpr std::uint32_t kBackgroundColourReach = 32;
// Nor need a pale body be flat (a silver case, a shaded page, or one the JPEG's noise breaks
// up): it lies off the background's luma all over, and to one side, where the background's
// noise goes up and down about it. Every pixel of a square of kPaleBodyRadius around it more
// than kPaleBodyShare of the tolerance to one side of that colour's luma is a pale body's: the
// background's noise, which the tolerance is measured for, rings that far off only next to the
// subject, and not to one side over a whole square.
constexpr std::uint32_t kPaleBodyRadius = 2;
constexpr double kPaleBodyShare = 0.25;
// But a smooth shade of the background (a gradient, a vignette) is flat everywhere and strays
// from that colour slowly: a pale patch joined to the background's flat part by neighbours
// within kPaleFlatLevels of each other is the background's shade, not a subject, which a rough
// edge parts from it. While the background is found, kPale marks a pale patch's pixels.
constexpr std::uint8_t kPale = kBody;

// What the work knows of the image, the area and its mask.
struct KeyWork {
    const PixelRows& image;
    const ColourKeyOptions& options;
    ImageRect area;
    ArgbValue key;
    KeyMask mask;
    bool aliased = false;  // the subject was drawn without anti-aliasing: its edge stays

    const ArgbValue* ImageRow(std::uint32_t y) const { return image.Row(area.y + y) + area.x; }
    PixelRows AreaRows() const { return PixelRows{image.Row(area.y) + area.x, image.stride}; }
    ImageSize AreaSize() const { return ImageSize{area.width, area.height}; }
    std::uint32_t Tolerance() const { return std::min(options.tolerance, kLargestTolerance); }
    // True for a picture without noise: not a JPEG, and a tolerance that asks for no more.
    bool Clean() const { return !options.noisyPicture && Tolerance() <= kCleanTolerance; }
};

// Per channel, which of its 256 levels lie within the tolerance of the key's: a pixel is
// near the key when all three of its levels are.
struct NearLevels {
    std::array<std::uint8_t, 256> red{}, green{}, blue{};

    NearLevels(ArgbValue key, std::uint32_t tolerance, std::uint8_t flags)
    {
        for (int level = 0; level < 256; ++level) {
            red[level] = std::abs(level - ChannelOf(key, 16)) <= static_cast<int>(tolerance) ? flags : 0;
            green[level] = std::abs(level - ChannelOf(key, 8)) <= static_cast<int>(tolerance) ? flags : 0;
            blue[level] = std::abs(level - ChannelOf(key, 0)) <= static_cast<int>(tolerance) ? flags : 0;
        }
    }
    std::uint8_t Of(ArgbValue value) const
    {
        return red[(value >> 16) & 0xFFu] & green[(value >> 8) & 0xFFu] & blue[value & 0xFFu];
    }
};

// True when the pixel (x, y) of the area lies in a flat square: its 3 × 3 square within
// kPaleFlatLevels of it.
bool InFlatSquare(const KeyWork& work, std::uint32_t x, std::uint32_t y)
{
    return InFlatSquare(work.AreaRows(), work.AreaSize(), x, y, kPaleFlatLevels);
}

// The background's own colour in a noisy picture: of the flat squares within
// kBackgroundColourReach of the start, the colour nearest the key (the nearest to the start
// among equals), within the tolerance. A JPEG gives the background back as it was there, while
// the pixel clicked, the key, may be one of its noise; a flat part of the subject near the
// start lies farther from the key. Nothing when there is no such square, or the start lies
// outside the area.
std::optional<ArgbValue> BackgroundColour(const KeyWork& work)
{
    const std::uint32_t startX = work.options.startX, startY = work.options.startY;
    if (!Contains(work.area, startX, startY) || work.area.width < 3 || work.area.height < 3)
        return std::nullopt;
    const std::uint32_t x0 = startX - work.area.x, y0 = startY - work.area.y;
    const std::uint32_t left = std::max<std::uint32_t>(1, x0 > kBackgroundColourReach ? x0 - kBackgroundColourReach : 0);
    const std::uint32_t top = std::max<std::uint32_t>(1, y0 > kBackgroundColourReach ? y0 - kBackgroundColourReach : 0);
    const std::uint32_t right = std::min(work.area.width - 1, x0 + kBackgroundColourReach + 1);
    const std::uint32_t bottom = std::min(work.area.height - 1, y0 + kBackgroundColourReach + 1);
    std::optional<ArgbValue> best;
    std::uint32_t bestDistance = work.Tolerance() + 1, bestReach = 0;
    for (std::uint32_t y = top; y < bottom; ++y) {
        const ArgbValue* row = work.ImageRow(y);
        for (std::uint32_t x = left; x < right; ++x) {
            const std::uint32_t distance = ChannelDistance(row[x], work.key);
            const std::uint32_t reach = std::max(x > x0 ? x - x0 : x0 - x, y > y0 ? y - y0 : y0 - y);
            const bool better = distance < bestDistance || (distance == bestDistance && reach < bestReach);
            if (better && InFlatSquare(work, x, y)) {
                best = row[x];
                bestDistance = distance;
                bestReach = reach;
            }
        }
    }
    return best;
}

// What a noisy picture's pale patches are told by: the background's own colour, its luma, how
// far off that luma they lie, and which colours lie within that of it in every channel (no
// pale patch's, as their luma does too).
struct PaleTest {
    bool active = false;
    std::uint32_t levels = kPaleLuma;
    double luma = 0.0;
    NearLevels close;

    explicit PaleTest(const KeyWork& work, std::optional<ArgbValue> background)
        : active(work.options.noisyPicture && background.has_value()),
          levels(work.options.softShadows ? kPaleLumaWithFades : kPaleLuma),
          luma(background ? LumaOf(*background) : 0.0),
          close(background.value_or(work.key), levels, 1)
    {
    }
};

// True when the pixel (x, y) of the area lies in a pale body that need not be flat: every pixel
// of its square of kPaleBodyRadius more than kPaleBodyShare of the tolerance to one side of
// luma, the background's own; false where the square leaves the area.
bool InPaleBody(const KeyWork& work, std::uint32_t x, std::uint32_t y, double luma)
{
    return OffToOneSide(work.AreaSize(), x, y, kPaleBodyRadius, kPaleBodyShare * work.Tolerance(),
                        [&work, luma](std::uint32_t i, std::uint32_t j) { return LumaOf(work.ImageRow(j)[i]) - luma; });
}

// Marks kPale, in place of near the key, the pixels of row y (of the area) that lie in a pale
// patch; true when there is one.
bool SetPalePatchesApart(const KeyWork& work, const PaleTest& pale, std::uint32_t y, std::uint8_t* row)
{
    if (y == 0 || y + 1 >= work.area.height)
        return false;
    const ArgbValue* pixels = work.ImageRow(y);
    bool marked = false;
    for (std::uint32_t x = 1; x + 1 < work.area.width; ++x) {
        if (row[x] && !pale.close.Of(pixels[x]) && std::abs(LumaOf(pixels[x]) - pale.luma) > pale.levels &&
            (InFlatSquare(work, x, y) || InPaleBody(work, x, y, pale.luma))) {
            row[x] = kPale;
            marked = true;
        }
    }
    return marked;
}

// Calls visit(i, j) for each 8-neighbour (i, j) of the area's pixel (x, y).
template <typename Visit>
void ForEachNeighbour(const KeyWork& work, std::uint32_t x, std::uint32_t y, Visit visit)
{
    for (std::uint32_t j = y > 0 ? y - 1 : 0; j <= y + 1 && j < work.area.height; ++j) {
        for (std::uint32_t i = x > 0 ? x - 1 : 0; i <= x + 1 && i < work.area.width; ++i) {
            if (i != x || j != y)
                visit(i, j);
        }
    }
}

// True when the pale pixel (x, y) touches the background's flat part gently: a neighbour near
// the key, not pale, in a flat square, within kPaleFlatLevels of it.
bool TouchesFlatBackground(const KeyWork& work, std::uint32_t x, std::uint32_t y)
{
    const ArgbValue colour = work.ImageRow(y)[x];
    // A pale pixel lies off the area's border, so its neighbours lie in the area.
    for (std::uint32_t j = y - 1; j <= y + 1; ++j) {
        const std::uint8_t* flags = work.mask.Row(j);
        const ArgbValue* pixels = work.ImageRow(j);
        for (std::uint32_t i = x - 1; i <= x + 1; ++i) {
            if ((flags[i] & (kNearKey | kPale)) != kNearKey || ChannelDistance(pixels[i], colour) > kPaleFlatLevels)
                continue;
            if (InFlatSquare(work, i, j))
                return true;
        }
    }
    return false;
}

// Gives the pixels of pale patches that are the background's smooth shade back to the near
// key (flags), and clears kPale from the rest; false when there is no memory for it.
bool ReleaseShades(KeyWork& work, std::uint8_t flags)
{
    std::vector<std::uint32_t> queue;
    const std::uint32_t width = work.area.width;
    try {
        for (std::uint32_t y = 0; y < work.area.height; ++y) {
            std::uint8_t* row = work.mask.Row(y);
            for (std::uint32_t x = 0; x < width; ++x) {
                if ((row[x] & kPale) && TouchesFlatBackground(work, x, y)) {
                    row[x] = flags;
                    queue.push_back(y * width + x);
                }
            }
        }
        for (std::size_t next = 0; next < queue.size(); ++next) {
            const std::uint32_t x = queue[next] % width, y = queue[next] / width;
            const ArgbValue colour = work.ImageRow(y)[x];
            ForEachNeighbour(work, x, y, [&](std::uint32_t i, std::uint32_t j) {
                std::uint8_t& neighbour = work.mask.Row(j)[i];
                if ((neighbour & kPale) && ChannelDistance(work.ImageRow(j)[i], colour) <= kPaleFlatLevels) {
                    neighbour = flags;
                    queue.push_back(j * width + i);
                }
            });
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::uint32_t y = 0; y < work.area.height; ++y) {
        std::uint8_t* row = work.mask.Row(y);
        for (std::uint32_t x = 0; x < width; ++x) {
            if (row[x] & kPale)
                row[x] = 0;
        }
    }
    return true;
}

// Marks the pixels within the tolerance of the key, but for a noisy picture's pale patches,
// and, unless the background must be connected, makes them the background; false when there
// is no memory for it.
bool MarkNearKey(KeyWork& work)
{
    const std::uint8_t flags = work.options.connected ? kNearKey : static_cast<std::uint8_t>(kNearKey | kBackground);
    const NearLevels near(work.key, work.Tolerance(), flags);
    const PaleTest pale(work, work.options.noisyPicture ? BackgroundColour(work) : std::nullopt);
    std::atomic<bool> anyPale{false};
    ForEachRowBand(work.area.height, [&work, &near, &pale, &anyPale](std::uint32_t top, std::uint32_t bottom) {
        for (std::uint32_t y = top; y < bottom; ++y) {
            const ArgbValue* pixels = work.ImageRow(y);
            std::uint8_t* row = work.mask.Row(y);
            for (std::uint32_t x = 0; x < work.area.width; ++x)
                row[x] = near.Of(pixels[x]);
            if (pale.active && SetPalePatchesApart(work, pale, y, row))
                anyPale.store(true, std::memory_order_relaxed);
        }
        return true;
    });
    return !anyPale.load() || ReleaseShades(work, flags);
}

// Adds to the background the region of pixels near the key that holds start (in the image),
// if start lies in the area; false when there is no memory for it.
bool FillStart(KeyWork& work, const ImagePoint& start)
{
    if (!Contains(work.area, start.x, start.y))
        return true;
    return FillFrom(work.mask, start.x - work.area.x, start.y - work.area.y, kNearKey, kBackground);
}

// Finds the background; false when there is no memory for it.
bool FindBackground(KeyWork& work)
{
    if (!MarkNearKey(work))
        return false;
    const ColourKeyOptions& options = work.options;
    if (!options.connected)
        return true;
    if (!FillStart(work, ImagePoint{options.startX, options.startY}))
        return false;
    for (const ImagePoint& start : options.moreStarts) {
        if (!FillStart(work, start))
            return false;
    }
    return true;
}

// The band of pixels near the background that may change besides it: none without clean edges
// (and then the mask holds no distances), and in a clean picture one ring more where a pixel
// plainly is a mix.
std::uint8_t EdgeBand(const KeyWork& work)
{
    if (!work.options.cleanEdges)
        return 0;
    return work.Clean() ? kPlainMixBand : kEdgeBand;
}

// True when the pixel of this mask value may change.
bool MayChange(std::uint8_t value, std::uint8_t band)
{
    if (value & (kBackground | kFade))
        return true;
    return band > 0 && !(value & kNearKey) && KeyMask::Distance(value) <= band;
}

// The bounds, in the area, of the pixels that may change; empty when there are none.
ImageRect MayChange(const KeyWork& work)
{
    const KeyMask& mask = work.mask;
    const std::uint8_t band = EdgeBand(work);
    return BoundsWhere(
        mask.width, mask.height, [&mask](std::uint32_t y) { return mask.Row(y); },
        [band](std::uint8_t value) { return MayChange(value, band); });
}

// Says whether a pixel of the mask lies deep in the subject: beyond the edge band.
auto DeepIn(const KeyMask& mask)
{
    return [&mask](std::uint32_t i, std::uint32_t j) { return KeyMask::Distance(mask.Row(j)[i]) > kEdgeBand; };
}

// True when the pixel of this mask value may be the subject's colour for an edge pixel near it.
bool MayBeSubject(std::uint8_t value) { return !(value & (kBackground | kNearKey | kFade)); }

// The search for the subject's colour that best explains the edge pixel (x, y) as a mix with
// the key, among the pixels that are neither background, key nor fade; thin where none of
// them lies beyond the edge band.
NearOrAlong FindReference(const KeyWork& work, std::uint32_t x, std::uint32_t y, const ReferenceScore& scoring)
{
    const KeyMask& mask = work.mask;
    return FindNearOrAlong(
        work.AreaRows(), work.AreaSize(), x, y, scoring,
        [&mask](std::uint32_t i, std::uint32_t j) { return MayBeSubject(mask.Row(j)[i]); }, DeepIn(mask));
}

// In a noisy picture the best-scored colour, reference, is the subject's plus the noise that
// took it farthest: the mean of the colours of window that score near its best is the
// subject's.
ArgbValue PlateauReference(const KeyWork& work, const ReferenceWindow& window, const ReferenceScore& scoring,
                           ArgbValue reference, double best)
{
    const double floor = kPlateauShare * best;
    ColourMean colours;
    for (std::uint32_t j = window.top; j < window.bottom; j += window.step) {
        const std::uint8_t* row = work.mask.Row(j);
        const ArgbValue* pixels = work.ImageRow(j);
        for (std::uint32_t i = window.left; i < window.right; i += window.step) {
            if (MayBeSubject(row[i]) && scoring.Of(pixels[i]) >= floor)
                colours.Add(pixels[i]);
        }
    }
    ArgbValue mean = reference;
    colours.Mean(mean);
    return mean;
}

// The new value of an edge pixel of a noisy picture, with the subject's colour reference. A
// JPEG that halves its colour bleeds it a pixel or two into the background but keeps luma
// sharp, so the alpha is measured on luma where it can be, and the colour is the reference's.
// Within the noise of the subject's colour the pixel is the subject, within it of the key the
// background. referenceDeep says whether the best-scored colour lay deep in the subject, and
// outermost whether the pixel lies on the outermost ring of the edge.
ArgbValue NoisyEdgePixel(const KeyWork& work, ArgbValue pixel, ArgbValue reference, bool referenceDeep, bool outermost)
{
    const double tolerance = work.Tolerance();
    // The background's noise strays beyond the tolerance next to the subject, where a JPEG
    // rings and bleeds its colour: where nothing near lies farther from the key than that,
    // there is no subject near to mix with. Nor is there where the best colour near is only the
    // bleed, found on the edge with the key's luma: a subject that pale lies deep as well.
    if (ChannelDistance(reference, work.key) <= kRingingReach * tolerance ||
        (!referenceDeep && std::abs(LumaOf(reference) - LumaOf(work.key)) <= tolerance))
        return pixel & kColourBits;
    double alpha = 0.0, reach = 0.0;
    const bool byLuma = LumaAlpha(pixel, work.key, reference, alpha, reach);
    // Where luma cannot tell the subject from the key, the colour is all that differs from
    // the key, and that is what a JPEG smears into the background next to the subject: a
    // pixel of the outermost ring with the key's luma (within the tolerance) is background.
    // Farther in, such a pixel is the subject's own.
    if (outermost && !byLuma && std::abs(LumaOf(pixel) - LumaOf(work.key)) <= tolerance)
        return pixel & kColourBits;
    if (!byLuma) {
        alpha = AlphaAlong(pixel, work.key, reference);
        reach = std::max<double>(1.0, ChannelDistance(reference, work.key));
    }
    if (alpha >= 1.0 - kOpaqueNoise * tolerance / reach)
        return pixel;
    if (alpha <= kClearNoise * tolerance / reach)
        return pixel & kColourBits;
    if (byLuma || OnLine(pixel, work.key, reference, alpha, tolerance))
        return Coloured(pixel, reference, alpha);
    return Unmixed(pixel, work.key, alpha);
}

// True when pixel, beyond the edge band, plainly is a mix of the key with best, the colour
// found near it (see kPlainMixBand).
bool PlainMix(const KeyWork& work, ArgbValue pixel, const FoundReference& best)
{
    if (!best.found)
        return false;
    const double alpha = AlphaAlong(pixel, work.key, best.colour);
    return alpha < kPlainMixAlpha || (OnLine(pixel, work.key, best.colour, alpha, kPlainMixLevels) &&
                                      InFlatPatch(work.AreaRows(), work.AreaSize(), best.x, best.y));
}

// The new value of a pixel of the background away from the subject: clear, but with soft
// fades in a clean picture the faint tail of a fade, which the tolerance took, keeps its
// faint alpha.
ArgbValue BackgroundPixel(const KeyWork& work, ArgbValue pixel)
{
    if (!work.options.softShadows || !work.Clean() || (pixel & kColourBits) == work.key)
        return pixel & kColourBits;
    return Unmixed(pixel, work.key, SmallestAlpha(pixel, work.key));
}

// The new value of a pixel at the edge: with rim, one of the background next to the subject.
// The subject's colour is taken from a reference near it; where the subject is too thin to
// give one, or where the pixel lies in a soft shadow or glow, the alpha is the smallest, which
// takes the colour as far from the key as it goes (and a pixel of the background is as the
// background away from the subject: with soft fades, a shadow's faintest pixels next to the
// subject, which the tolerance takes, are the same shadow's).
ArgbValue EdgePixel(const KeyWork& work, std::uint32_t x, std::uint32_t y, ArgbValue pixel, bool rim)
{
    const bool beyondBand = !rim && KeyMask::Distance(work.mask.Row(y)[x]) > kEdgeBand;
    if (beyondBand && InFlatPatch(work.AreaRows(), work.AreaSize(), x, y))
        return pixel;
    const ReferenceScore scoring(pixel, work.key);
    const NearOrAlong search = FindReference(work, x, y, scoring);
    if (beyondBand && !PlainMix(work, pixel, search.best))
        return pixel;
    if (!search.best.found ||
        (work.Clean() && FadeNear(work.AreaRows(), work.AreaSize(), work.key, search)))
        return rim ? BackgroundPixel(work, pixel) : Unmixed(pixel, work.key, SmallestAlpha(pixel, work.key));
    const bool outermost = rim || KeyMask::Distance(work.mask.Row(y)[x]) <= 1;
    if (!work.Clean())
        return NoisyEdgePixel(work, pixel,
                              PlateauReference(work, WindowOf(search, work.AreaSize(), x, y), scoring,
                                               search.best.colour, search.best.score),
                              DeepIn(work.mask)(search.best.x, search.best.y), outermost);
    const KeyMask& mask = work.mask;
    const auto inner = [&mask](std::uint32_t i, std::uint32_t j) {
        const std::uint8_t value = mask.Row(j)[i];
        return MayBeSubject(value) && KeyMask::Distance(value) > 1;
    };
    const double share =
        ShareAlong(work.AreaRows(), work.AreaSize(), x, y, pixel, work.key, search, outermost, DeepIn(mask), inner);
    return Unmixed(pixel, work.key, share);
}

// The new value of the area's pixel (x, y).
ArgbValue NewPixel(const KeyWork& work, std::uint32_t x, std::uint32_t y)
{
    const std::uint8_t value = work.mask.Row(y)[x];
    const ArgbValue pixel = work.ImageRow(y)[x];
    // Background of exactly the key is clear whatever is next to it.
    if (value & kBackground)
        return (value & kRim) && !work.aliased && (pixel & kColourBits) != work.key ? EdgePixel(work, x, y, pixel, true)
                                                                                    : BackgroundPixel(work, pixel);
    if (value & kFade)
        return Unmixed(pixel, work.key, SmallestAlpha(pixel, work.key));
    if (!work.options.cleanEdges || work.aliased || (value & kNearKey) || KeyMask::Distance(value) > EdgeBand(work))
        return pixel;
    return EdgePixel(work, x, y, pixel, false);
}

// Marks kRim on the background pixels next to those of the rest in rows [firstRow, endRow).
void MarkRimOf(KeyMask& mask, std::uint32_t firstRow, std::uint32_t endRow)
{
    for (std::uint32_t y = firstRow; y < endRow; ++y) {
        std::uint8_t* row = mask.Row(y);
        for (std::uint32_t x = 0; x < mask.width; ++x) {
            if (KeyMask::Distance(row[x]) != 1)
                continue;
            const std::uint32_t top = y > 0 ? y - 1 : 0, bottom = std::min(mask.height, y + 2);
            const std::uint32_t left = x > 0 ? x - 1 : 0, right = std::min(mask.width, x + 2);
            for (std::uint32_t j = top; j < bottom; ++j) {
                std::uint8_t* around = mask.Row(j);
                for (std::uint32_t i = left; i < right; ++i) {
                    if (around[i] & kBackground)
                        around[i] |= kRim;
                }
            }
        }
    }
}

// Marks kRim on the background pixels next to the rest.
void MarkRim(KeyMask& mask)
{
    // A band marks the rows one beyond its own.
    ForEachRowBandApart(mask.height, 1, [&mask](std::uint32_t top, std::uint32_t bottom) {
        MarkRimOf(mask, top, bottom);
        return true;
    });
}

// Writes the new pixels of rect's rows [top, bottom) (rect in the area) to out, row by row, and
// adds to bounds, in rect's own pixels, those that differ from the image's.
void NewRows(const KeyWork& work, const ImageRect& rect, std::uint32_t top, std::uint32_t bottom, ArgbValue* out,
             ChangedBounds& bounds)
{
    const std::uint8_t band = EdgeBand(work);
    for (std::uint32_t y = top; y < bottom; ++y) {
        const std::uint8_t* row = work.mask.Row(rect.y + y) + rect.x;
        WriteNewRow(work.ImageRow(rect.y + y) + rect.x, rect.width, y, out + std::size_t{y - top} * rect.width, bounds,
                    [&](std::uint32_t x, ArgbValue& value) {
                        // Most pixels are the background or far from it: those need no look around.
                        const std::uint8_t flags = row[x];
                        if ((flags & (kBackground | kRim)) == kBackground)
                            value = BackgroundPixel(work, value);
                        else if (MayChange(flags, band))
                            value = NewPixel(work, rect.x + x, rect.y + y);
                        else
                            return false;
                        return true;
                    });
    }
}

// Makes the result from the finished mask; false when there is no memory for it.
bool MakeResult(const KeyWork& work, ColourKeyResult& result)
{
    const auto newRows = [&work](const ImageRect& rect, std::uint32_t top, std::uint32_t bottom, ArgbValue* out,
                                 ChangedBounds& bounds) { NewRows(work, rect, top, bottom, out, bounds); };
    return MakeChangedResult(work.area, MayChange(work), newRows, result);
}

// Finds the background, the edges and the fades in the mask; false when out of memory.
bool MarkMask(KeyWork& work)
{
    if (!FindBackground(work))
        return false;
    if (!work.options.cleanEdges && !work.options.softShadows)
        return true;
    if (!MeasureDistances(work.mask, kPlainMixBand + 1))
        return false;
    const PixelRows areaRows{work.image.Row(work.area.y), work.image.stride};
    if (work.options.softShadows && !FindFades(work.mask, areaRows, work.area.x, work.key, !work.Clean()))
        return false;
    // With a small tolerance the picture is clean, and the background's pixels next to the
    // subject are the faintest part of its edge; with a large one they are noise, and cleared.
    // A clean picture's subject drawn without anti-aliasing has no mix at its edge.
    if (work.options.cleanEdges && work.Clean()) {
        MarkRim(work.mask);
        const KeyMask& mask = work.mask;
        work.aliased = DrawnWithoutAntialiasing(work.AreaRows(), work.AreaSize(), work.key,
                                                [&mask](std::uint32_t i, std::uint32_t j) {
                                                    return KeyMask::Distance(mask.Row(j)[i]);
                                                });
    }
    return true;
}

}  // namespace

bool MakeColourTransparent(const PixelRows& image, ImageSize size, const ColourKeyOptions& options,
                           ColourKeyResult& result)
{
    // The pixels' memory is kept: a preview that asks again and again reuses it.
    result.changed = ImageRect{};
    result.pixels.clear();
    KeyWork work{image, options, Overlap(options.area, WholeOf(size)), options.key & kColourBits, KeyMask{}};
    if (work.area.PixelCount() == 0)
        return true;
    work.mask.width = work.area.width;
    work.mask.height = work.area.height;
    work.mask.bytes.swap(result.scratch);
    try {
        work.mask.bytes.resize(work.area.PixelCount());
    } catch (const std::bad_alloc&) {
        result = ColourKeyResult{};
        return false;
    }
    if (MarkMask(work) && MakeResult(work, result)) {
        result.scratch.swap(work.mask.bytes);
        return true;
    }
    result = ColourKeyResult{};
    return false;
}

bool InClearedBackground(const ColourKeyResult& result, const PixelRows& image, const ColourKeyOptions& options,
                         std::uint32_t x, std::uint32_t y)
{
    const ImageRect& changed = result.changed;
    if (!Contains(changed, x, y))
        return false;
    const ArgbValue now = result.pixels[std::size_t{y - changed.y} * changed.width + (x - changed.x)];
    return (now >> 24) == 0 &&
           ChannelDistance(image.Row(y)[x], options.key) <= std::min(options.tolerance, kLargestTolerance);
}
