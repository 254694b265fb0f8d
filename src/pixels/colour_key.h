#pragma once
// Making one colour transparent: the background of that colour around a subject removed, with
// the background's colour taken out of the subject's anti-aliased edge. Pure C++.
#include <cstdint>
#include <vector>

#include "pixel_rows.h"
#include "pixel_vector.h"

// The tolerance for a clean picture, and the most a picture's noise starts it at.
constexpr std::uint32_t kDefaultTolerance = 8;
constexpr std::uint32_t kLargestStartingTolerance = 64;
// The least a JPEG starts at: it rings next to its subject, where the noise is not measured,
// and it is noisy however quiet its background is away from the subject.
constexpr std::uint32_t kLeastLossyTolerance = kDefaultTolerance + 1;

// What the colour work is asked to do.
struct ColourKeyOptions {
    ArgbValue key = 0;                             // the key colour K: its red, green and blue (alpha ignored)
    std::uint32_t tolerance = kDefaultTolerance;  // T, 0 to 255; a larger number counts as 255
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
    // The picture is noisy, as a JPEG is, whatever the tolerance: its starting tolerance
    // (StartingTolerance, measured where the key was chosen) is above kDefaultTolerance. A
    // JPEG can be nearly clean away from the subject and still ring next to it.
    bool noisyPicture = false;
};

// What the colour work makes: the new pixels of the smallest rectangle that holds every pixel
// that changes. Pixels inside it that do not change are copied as they were.
struct ColourKeyResult {
    ImageRect changed;               // empty (0 × 0) when nothing changes
    PixelVector pixels;              // changed.PixelCount() values, row by row
    // The work's own memory, a byte per pixel of the area: kept with the result, so that a
    // preview asking again does not make it anew.
    ByteVector scratch;
};

// Works out the result of making options.key transparent in image (straight ARGB rows of an
// image of size), leaving image untouched. Uses at most one byte per pixel of the area beyond
// the result, and no recursion. False, with result empty, when there is no memory for it.
bool MakeColourTransparent(const PixelRows& image, ImageSize size, const ColourKeyOptions& options,
                           ColourKeyResult& result);

// True when (x, y) lies in the background result has cleared: a pixel near options.key made
// fully transparent. What a Shift+click there would add is already taken, so the caller
// need not add it. (False on the background's rim where its colour was kept at a faint
// alpha: a start added there adds nothing either.) result must be the one made from image
// with options.
bool InClearedBackground(const ColourKeyResult& result, const PixelRows& image, const ColourKeyOptions& options,
                         std::uint32_t x, std::uint32_t y);

// How the picture was last saved: a JPEG's noise is sparse as well as spread.
enum class PictureSaved { Lossless, Lossy };

// The tolerance a picture needs for the background around (x, y) to be taken whole: the
// noise of the pixels near key there (within kLargestStartingTolerance of it, and away from
// anything farther than 32 levels, a pale subject included), rounded up with a margin, from
// kDefaultTolerance for a clean picture (kLeastLossyTolerance for a JPEG) to
// kLargestStartingTolerance for a noisy JPEG; in a picture saved without loss, a level only a
// few stray pixels reach is no noise. Looks at
// most 1025 × 1025 pixels; kDefaultTolerance when (x, y) lies outside the image or there is
// no memory.
std::uint32_t StartingTolerance(const PixelRows& image, ImageSize size, ArgbValue key, std::uint32_t x,
                                std::uint32_t y, PictureSaved saved);
