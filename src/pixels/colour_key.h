#pragma once
// Making one colour transparent: the background of that colour around a subject removed, with
// the background's colour taken out of the subject's anti-aliased edge. Pure C++.
#include <cstdint>
#include <vector>

#include "pixel_rows.h"

// What the colour work is asked to do.
struct ColourKeyOptions {
    ArgbValue key = 0;            // the key colour K: its red, green and blue (alpha ignored)
    std::uint32_t tolerance = 8;  // T, 0 to 255; a larger number counts as 255
    // true: the background is the 4-connected region of pixels within T of K that holds the
    // start pixel; false: every pixel within T of K.
    bool connected = true;
    std::uint32_t startX = 0;
    std::uint32_t startY = 0;
    // Connected only: more starts, for a background the subject cuts in parts. Each adds the
    // region that holds it; one inside a region already taken adds nothing. The key stays
    // the one given above.
    std::vector<ImagePoint> moreStarts;
    // Only the pixels of this rectangle count and change: the whole image, or the range
    // (half-open, clipped to the image by the caller).
    ImageRect area;
    bool cleanEdges = true;    // take K out of the pixels near the background
    bool softShadows = false;  // keep a fade into the background as semi-transparent darkening
};

// What the colour work makes: the new pixels of the smallest rectangle that holds every pixel
// that changes. Pixels inside it that do not change are copied as they were.
struct ColourKeyResult {
    ImageRect changed;               // empty (0 × 0) when nothing changes
    std::vector<ArgbValue> pixels;   // changed.PixelCount() values, row by row
};

// Works out the result of making options.key transparent in image (straight ARGB rows of an
// image of size), leaving image untouched. Uses at most one byte per pixel of the area beyond
// the result, and no recursion. False, with result empty, when there is no memory for it.
bool MakeColourTransparent(const PixelRows& image, ImageSize size, const ColourKeyOptions& options,
                           ColourKeyResult& result);
