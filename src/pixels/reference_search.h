#pragma once
// The search both edge tools make for the subject's colour near an edge pixel: of the pixels
// around it that may be the subject, the one whose colour best explains the edge pixel as a
// mix with the key (or matte); where the subject is thinner than the look, a wider, sparser
// look too; and where the best is itself a mix, a look a little farther for a flat patch.
// Pure C++.
#include <algorithm>
#include <cstdint>

#include "edge_unmix.h"
#include "pixel_rows.h"
#include "stroke_profile.h"

constexpr std::uint32_t kReferenceReach = 3;  // how far an edge pixel looks for the subject's colour
// Where the subject is thinner than that look, how far an edge pixel looks for its colour, at
// every kThinStep-th pixel of every kThinStep-th row: a stroke is better covered somewhere
// along it, and a sparse look finds that as well as a whole one.
constexpr std::uint32_t kThinReach = 16;
constexpr std::uint32_t kThinStep = 2;
// Where the near look's best is itself a mix, as on a soft edge with no fully covered pixel
// near, how far an edge pixel looks for a colour of a flat patch.
constexpr std::uint32_t kFlatReach = kReferenceReach + 2;
// A pixel lies in a flat patch when at least kFlatNeighbours of its 8 neighbours lie within
// kFlatLevels of it in every channel: a subject's own colour covers its pixels alike (a straight
// side of a patch has 5 such neighbours, a corner 3), where a mix on a soft edge or a pixel of
// texture stands apart.
constexpr std::uint32_t kFlatLevels = 2;
constexpr std::uint32_t kFlatNeighbours = 3;
// A colour of a flat patch farther off explains an edge pixel when the pixel lies within this
// many levels of a mix of it with the key.
constexpr double kFlatLineLevels = 2.0;
// A subject is textured near an edge pixel when at least kTexturedDeep pixels within
// kReferenceReach lie deep in it and at most kTexturedFlatMost of them in a flat patch (a
// photograph's texture makes one now and then; a drawing has many). There, a pixel in from
// the outermost ring that a mix explains as at least kLitRimAlpha opaque, while lying more
// than kLitRimOffLine levels off that mix (a drawing's soft edge lies on it), is the subject's
// own lighter rim. A pixel of the outermost ring, off its mix's line too, is lit as the ring
// inside it: where the mean of its neighbours one ring in is such a rim, at least
// kLitInsideAlpha opaque as a mix and off that mix's line, and explains the pixel as a more
// opaque mix, the pixel is that mix.
constexpr std::uint32_t kTexturedDeep = 8;
constexpr std::uint32_t kTexturedFlatMost = 1;
constexpr double kLitRimAlpha = 200.0 / 255.0;
constexpr double kLitRimOffLine = 1.0;
constexpr double kLitInsideAlpha = 230.0 / 255.0;
constexpr int kChannelShifts[3] = {16, 8, 0};
constexpr int kFadeStep = 28;  // the most a fade's alpha (in 8-bit levels) changes from pixel to pixel
// A colour nearer the key than this, in no flat patch, is a soft shadow's or glow's: itself a
// faint mix with the key, not the subject's colour. A shadow's colour, the key darkened (within
// kShadowLineLevels), darkens by up to kFadeStep levels a pixel: within the look's
// kReferenceReach pixels of its faint edge it is still the shadow's up to kShadowFaintReach.
constexpr std::uint32_t kFaintReach = 32;
constexpr std::uint32_t kShadowFaintReach = kReferenceReach * kFadeStep + 1;
constexpr double kShadowLineLevels = 2.0;

// The pixels, in an area of size, around an edge pixel where it looks for the subject's colour.
struct ReferenceWindow {
    std::uint32_t left, top, right, bottom;  // half-open
    std::uint32_t step;                      // every step-th pixel of every step-th row is looked at

    ReferenceWindow(ImageSize size, std::uint32_t x, std::uint32_t y, std::uint32_t reach, std::uint32_t every = 1)
        : left(x >= reach ? x - reach : 0),
          top(y >= reach ? y - reach : 0),
          right(std::min(size.width, x + reach + 1)),
          bottom(std::min(size.height, y + reach + 1)),
          step(every)
    {
    }
};

// What a search found.
struct FoundReference {
    ArgbValue colour = 0;
    double score = 0.0;    // colour's score; 0 when nothing scored above 0
    bool found = false;
    bool thin = true;      // no pixel looked at lay deep in the subject
    std::uint32_t x = 0, y = 0;  // where colour was found
};

// Of the pixels (i, j) of window, in the area whose rows pixels holds, that subject(i, j) says
// may be the subject, the one scoring rates best; deep(i, j) says whether a pixel lies deep
// inside the subject. A subject is mostly flat: a colour just scored is not scored again.
template <typename Subject, typename Deep>
FoundReference FindReferenceIn(const PixelRows& pixels, const ReferenceWindow& window, const ReferenceScore& scoring,
                               Subject subject, Deep deep)
{
    FoundReference best;
    bool scored = false;
    ArgbValue seen = 0;
    for (std::uint32_t j = window.top; j < window.bottom; j += window.step) {
        const ArgbValue* row = pixels.Row(j);
        for (std::uint32_t i = window.left; i < window.right; i += window.step) {
            best.thin = best.thin && !deep(i, j);
            if (!subject(i, j) || (scored && row[i] == seen))
                continue;
            scored = true;
            seen = row[i];
            const double score = scoring.Above(row[i], best.score);
            if (score > best.score) {
                best.score = score;
                best.colour = row[i];
                best.found = true;
                best.x = i;
                best.y = j;
            }
        }
    }
    return best;
}

// The search near (x, y), in an area of size; where the subject is thin there (nothing deep
// within kReferenceReach), the best of the wider look replaces it when it is better, and
// wide says so. thinNear keeps whether the near look was thin.
struct NearOrAlong {
    FoundReference best;
    bool thinNear = false;
    bool wide = false;
};

template <typename Subject, typename Deep>
NearOrAlong FindNearOrAlong(const PixelRows& pixels, ImageSize size, std::uint32_t x, std::uint32_t y,
                            const ReferenceScore& scoring, Subject subject, Deep deep)
{
    NearOrAlong search;
    search.best = FindReferenceIn(pixels, ReferenceWindow(size, x, y, kReferenceReach), scoring, subject, deep);
    search.thinNear = search.best.thin;
    if (!search.thinNear)
        return search;
    const FoundReference farther =
        FindReferenceIn(pixels, ReferenceWindow(size, x, y, kThinReach, kThinStep), scoring, subject, deep);
    if (farther.found && farther.score > search.best.score) {
        search.best = farther;
        search.wide = true;
    }
    return search;
}

// True when the pixel (x, y) of an area of size, whose rows pixels holds, lies in a flat patch
// of its own colour.
inline bool InFlatPatch(const PixelRows& pixels, ImageSize size, std::uint32_t x, std::uint32_t y,
                        std::uint32_t levels = kFlatLevels)
{
    const ArgbValue colour = pixels.Row(y)[x];
    const ReferenceWindow around(size, x, y, 1);
    std::uint32_t alike = 0;  // the pixel itself is counted too
    for (std::uint32_t j = around.top; j < around.bottom; ++j) {
        const ArgbValue* row = pixels.Row(j);
        for (std::uint32_t i = around.left; i < around.right; ++i) {
            alike += row[i] == colour || ChannelDistance(row[i], colour) <= levels;
            if (alike > kFlatNeighbours)
                return true;
        }
    }
    return false;
}

// True when the 3 × 3 pixels around (x, y), in an area of size whose rows pixels holds, all
// lie within levels of it; false on the area's border.
inline bool InFlatSquare(const PixelRows& pixels, ImageSize size, std::uint32_t x, std::uint32_t y,
                         std::uint32_t levels)
{
    if (x == 0 || y == 0 || x + 1 >= size.width || y + 1 >= size.height)
        return false;
    const ArgbValue colour = pixels.Row(y)[x];
    for (std::uint32_t j = y - 1; j <= y + 1; ++j) {
        const ArgbValue* row = pixels.Row(j);
        for (std::uint32_t i = x - 1; i <= x + 1; ++i) {
            if (row[i] != colour && ChannelDistance(row[i], colour) > levels)
                return false;
        }
    }
    return true;
}

// True when every pixel (i, j) of the square of radius around (x, y), in an area of size, lies
// more than levels to one side of a luma, offset(i, j) being how far it lies from it: all above
// it or all below. A pale body lies off the background's luma so, where the background's noise
// goes up and down about it. False where the square leaves the area.
template <typename Offset>
bool OffToOneSide(ImageSize size, std::uint32_t x, std::uint32_t y, std::uint32_t radius, double levels,
                  Offset offset)
{
    if (x < radius || y < radius || x + radius >= size.width || y + radius >= size.height)
        return false;
    const double side = offset(x, y) > 0 ? 1.0 : -1.0;
    for (std::uint32_t j = y - radius; j <= y + radius; ++j) {
        for (std::uint32_t i = x - radius; i <= x + radius; ++i) {
            if (side * offset(i, j) <= levels)
                return false;
        }
    }
    return true;
}

// Where best, found near the edge pixel (x, y) of an area of size, does not lie in a flat
// patch, it may itself be a mix: replaces it with the best scored colour within kFlatReach
// that lies in a flat patch, may be the subject (subject(i, j)) and explains the pixel as a
// mix with key within kFlatLineLevels. A lone pixel of texture farther off is no such colour.
// The near look's pixels score no better than best, so only the ring around them is looked at.
template <typename Subject>
void FindFlatFarther(const PixelRows& pixels, ImageSize size, std::uint32_t x, std::uint32_t y, ArgbValue key,
                     const ReferenceScore& scoring, Subject subject, FoundReference& best)
{
    if (!best.found || InFlatPatch(pixels, size, best.x, best.y))
        return;
    const ArgbValue pixel = pixels.Row(y)[x];
    const auto lookAt = [&](std::uint32_t j, std::uint32_t from, std::uint32_t to) {
        const ArgbValue* row = pixels.Row(j);
        for (std::uint32_t i = from; i < to; ++i) {
            const double score = scoring.Above(row[i], best.score);
            if (score <= best.score || !subject(i, j) ||
                !OnLine(pixel, key, row[i], AlphaAlong(pixel, key, row[i]), kFlatLineLevels) ||
                !InFlatPatch(pixels, size, i, j))
                continue;
            best.colour = row[i];
            best.score = score;
            best.x = i;
            best.y = j;
        }
    };
    const ReferenceWindow nearLook(size, x, y, kReferenceReach), farLook(size, x, y, kFlatReach);
    for (std::uint32_t j = farLook.top; j < farLook.bottom; ++j) {
        if (j < nearLook.top || j >= nearLook.bottom) {
            lookAt(j, farLook.left, farLook.right);
        } else {
            lookAt(j, farLook.left, nearLook.left);
            lookAt(j, nearLook.right, farLook.right);
        }
    }
}

// True when colour is faint enough to be a shadow's or glow's mix with key (see kFaintReach).
inline bool Faint(ArgbValue colour, ArgbValue key)
{
    const std::uint32_t distance = ChannelDistance(colour, key);
    return distance < kFaintReach || (distance < kShadowFaintReach && ShadowOfKey(colour, key, kShadowLineLevels));
}

// True when the best colour the search found near an edge pixel, in an area of size, is itself
// a faint mix with key, in no flat patch: the pixel is a fainter part of the same shadow or
// glow, whose colour lies as far from the key as a colour can. Not near a thin stroke, whose
// best-covered pixel may be faint too.
inline bool FadeNear(const PixelRows& pixels, ImageSize size, ArgbValue key, const NearOrAlong& search)
{
    return !search.thinNear && Faint(search.best.colour, key) &&
           !InFlatPatch(pixels, size, search.best.x, search.best.y);
}

// The window the search's best came from.
inline ReferenceWindow WindowOf(const NearOrAlong& search, ImageSize size, std::uint32_t x, std::uint32_t y)
{
    return search.wide ? ReferenceWindow(size, x, y, kThinReach, kThinStep) : ReferenceWindow(size, x, y, kReferenceReach);
}

// True when the subject around the pixel (x, y) of an area of size is textured, as a
// photograph's is: at least kTexturedDeep of the pixels within kReferenceReach lie deep in it
// (deep(i, j)), and at most kTexturedFlatMost of them lie in a flat patch.
template <typename Deep>
bool TexturedAround(const PixelRows& pixels, ImageSize size, std::uint32_t x, std::uint32_t y, Deep deep)
{
    const ReferenceWindow window(size, x, y, kReferenceReach);
    std::uint32_t deepCount = 0, flatCount = 0;
    for (std::uint32_t j = window.top; j < window.bottom; ++j) {
        for (std::uint32_t i = window.left; i < window.right; ++i) {
            if (!deep(i, j))
                continue;
            if (InFlatPatch(pixels, size, i, j) && ++flatCount > kTexturedFlatMost)
                return false;
            ++deepCount;
        }
    }
    return deepCount >= kTexturedDeep;
}

// The mean of the colours added, each channel rounded to the nearest level.
class ColourMean {
public:
    void Add(ArgbValue colour)
    {
        for (int c = 0; c < 3; ++c)
            sums_[c] += ChannelOf(colour, kChannelShifts[c]);
        ++count_;
    }
    // False, with mean untouched, when nothing was added.
    bool Mean(ArgbValue& mean) const
    {
        if (count_ == 0)
            return false;
        mean = kOpaqueBlack;
        for (int c = 0; c < 3; ++c)
            mean |= ((sums_[c] + count_ / 2) / count_) << kChannelShifts[c];
        return true;
    }

private:
    std::uint32_t sums_[3] = {0, 0, 0};
    std::uint32_t count_ = 0;
};

// The mean colour of the pixels next to (x, y), in an area of size whose rows pixels holds,
// that inner(i, j) says lie one ring in from the outermost; false when none does.
template <typename Inner>
bool InnerNeighbourMean(const PixelRows& pixels, ImageSize size, std::uint32_t x, std::uint32_t y, Inner inner,
                        ArgbValue& mean)
{
    const ReferenceWindow around(size, x, y, 1);
    ColourMean colours;
    for (std::uint32_t j = around.top; j < around.bottom; ++j) {
        const ArgbValue* row = pixels.Row(j);
        for (std::uint32_t i = around.left; i < around.right; ++i) {
            if (inner(i, j))
                colours.Add(row[i]);
        }
    }
    return colours.Mean(mean);
}

// True when pixel lies off the line of key's mix with colour at alpha, as a photograph's
// lighter rim does; a drawing's soft edge lies on it.
inline bool OffTheMix(ArgbValue pixel, ArgbValue key, ArgbValue colour, double alpha)
{
    return !OnLine(pixel, key, colour, alpha, kLitRimOffLine);
}

// The alpha of a pixel of the outermost ring, (x, y), that a mix of key with colour explains at
// alpha: where the subject is textured, that of the mix with the ring inside it when that ring
// is the subject's lighter rim (see kLitInsideAlpha).
template <typename Deep, typename Inner>
double OutermostAlpha(const PixelRows& pixels, ImageSize size, std::uint32_t x, std::uint32_t y, ArgbValue pixel,
                      ArgbValue key, ArgbValue colour, double alpha, Deep deep, Inner inner)
{
    ArgbValue inside = 0;
    if (!OffTheMix(pixel, key, colour, alpha) || !InnerNeighbourMean(pixels, size, x, y, inner, inside))
        return alpha;
    const double insideAlpha = AlphaAlong(pixel, key, inside);
    const double insideMix = AlphaAlong(inside, key, colour);
    const bool insideIsLitRim = insideMix >= kLitInsideAlpha && OffTheMix(inside, key, colour, insideMix);
    if (insideAlpha > alpha && insideAlpha < 1.0 && insideIsLitRim && TexturedAround(pixels, size, x, y, deep))
        return insideAlpha;
    return alpha;
}

// The subject's share of pixel, a mix of key with the search's colour; near a thin stroke, which
// may cover no pixel fully, that colour is first moved as the stroke's cross-sections say:
// those through the pixel, or where they move nothing (as where another stroke crosses), those
// through the place the colour was found, and where those move nothing either, those through
// the pixels a step or two around it.
// A photograph's colour varies, and its rim is often lit lighter than its inside: where the
// subject is textured, a pixel not on the outermost ring (outermost false) that is such a rim
// (see kLitRimAlpha) is taken as the subject as it is (a share of 1), and one of the outermost
// ring is lit as the ring inside it. deep(i, j) says whether a pixel lies deep inside the
// subject, inner(i, j) whether it lies one ring in from the outermost.
template <typename Deep, typename Inner>
double ShareAlong(const PixelRows& pixels, ImageSize size, std::uint32_t x, std::uint32_t y, ArgbValue pixel,
                  ArgbValue key, const NearOrAlong& search, bool outermost, Deep deep, Inner inner)
{
    ArgbValue colour =
        search.thinNear ? StrokeColour(pixels, size, key, x, y, search.best.colour) : search.best.colour;
    const bool elsewhere = search.best.x != x || search.best.y != y;
    if (search.thinNear && colour == search.best.colour && elsewhere)
        colour = StrokeColour(pixels, size, key, search.best.x, search.best.y, search.best.colour);
    if (search.thinNear && colour == search.best.colour)
        colour = StrokeColourNear(pixels, size, key, x, y, search.best.colour);
    const double alpha = AlphaAlong(pixel, key, colour);
    if (search.thinNear || alpha >= 1.0)
        return alpha;
    if (outermost)
        return OutermostAlpha(pixels, size, x, y, pixel, key, colour, alpha, deep, inner);
    if (alpha >= kLitRimAlpha && OffTheMix(pixel, key, colour, alpha) && TexturedAround(pixels, size, x, y, deep))
        return 1.0;
    return alpha;
}
