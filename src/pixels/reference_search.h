#pragma once
// The search both edge tools make for the subject's colour near an edge pixel: of the pixels
// around it that may be the subject, the one whose colour best explains the edge pixel as a
// mix with the key (or matte); where the subject is thinner than the look, a wider, sparser
// look too. Pure C++.
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

// The window the search's best came from.
inline ReferenceWindow WindowOf(const NearOrAlong& search, ImageSize size, std::uint32_t x, std::uint32_t y)
{
    return search.wide ? ReferenceWindow(size, x, y, kThinReach, kThinStep) : ReferenceWindow(size, x, y, kReferenceReach);
}

// pixel with key taken out along the line to the search's colour; near a thin stroke, which
// may cover no pixel fully, that colour is first moved as the stroke's cross-sections say.
inline ArgbValue UnmixedAlong(const PixelRows& pixels, ImageSize size, std::uint32_t x, std::uint32_t y,
                              ArgbValue pixel, ArgbValue key, const NearOrAlong& search)
{
    const ArgbValue colour =
        search.thinNear ? StrokeColour(pixels, size, key, x, y, search.best.colour) : search.best.colour;
    return Unmixed(pixel, key, AlphaAlong(pixel, key, colour));
}
