#include "refine_edge.h"

#include <algorithm>
#include <new>
#include <vector>

#include "alpha_distance.h"
#include "edge_unmix.h"
#include "pixel_result.h"
#include "stroke_profile.h"

namespace {

constexpr ArgbValue kColourBits = 0x00FFFFFFu;
constexpr int kReferenceReach = 3;  // how far an edge pixel looks for the subject's colour
// Where no pixel near an edge pixel lies more than kThinDepth in from the shrunk edge, the
// subject is a thin stroke: how far the edge pixel then looks for its colour, at every
// kThinStep-th pixel of every kThinStep-th row.
constexpr std::uint8_t kThinDepth = 2;
constexpr int kThinReach = 16;
constexpr int kThinStep = 2;

// What the work knows of the image, the area and the distances.
struct RefineWork {
    const PixelRows& image;
    ImageRect area;
    ArgbValue matte;
    std::uint8_t shrink;  // distances up to this become transparent
    std::uint8_t reach;   // distances up to this may change: shrink plus the edge's width
    AlphaDistances distances;

    const ArgbValue* ImageRow(std::uint32_t y) const { return image.Row(area.y + y) + area.x; }
    PixelRows AreaRows() const { return PixelRows{image.Row(area.y) + area.x, image.stride}; }
    bool MayChange(std::uint8_t distance) const { return distance > 0 && distance <= reach; }
};

// The pixels, in the area, around an edge pixel where it looks for the subject's colour.
struct Window {
    std::uint32_t left, top, right, bottom;  // half-open
    std::uint32_t step;                      // every step-th pixel of every step-th row is looked at

    Window(const AlphaDistances& distances, std::uint32_t x, std::uint32_t y, std::uint32_t reach,
           std::uint32_t every = 1)
        : left(x >= reach ? x - reach : 0),
          top(y >= reach ? y - reach : 0),
          right(std::min(distances.width, x + reach + 1)),
          bottom(std::min(distances.height, y + reach + 1)),
          step(every)
    {
    }
};

// Finds the subject's colour that best explains an edge pixel as a mix with the matte: of the
// pixels of window that stay, the one farthest from the matte along the line from the matte
// through the pixel, and nearest to that line; its score goes to best, and thin is set when
// none of them lies more than kThinDepth past the shrink. The pixel itself is one of them, so
// a pixel that nothing near explains better stays as it is. False when none scores above 0.
bool FindReference(const RefineWork& work, const Window& window, const ReferenceScore& scoring, ArgbValue& reference,
                   double& best, bool& thin)
{
    const AlphaDistances& distances = work.distances;
    best = 0.0;
    thin = true;
    bool found = false;
    // A subject is mostly flat: a colour just scored needs no score again.
    bool scored = false;
    ArgbValue seen = 0;
    for (std::uint32_t j = window.top; j < window.bottom; j += window.step) {
        const std::uint8_t* row = distances.Row(j);
        const ArgbValue* pixels = work.ImageRow(j);
        for (std::uint32_t i = window.left; i < window.right; i += window.step) {
            thin = thin && row[i] <= work.shrink + kThinDepth;
            if (row[i] <= work.shrink || (scored && pixels[i] == seen))
                continue;
            scored = true;
            seen = pixels[i];
            const double score = scoring.Above(pixels[i], best);
            if (score > best) {
                best = score;
                reference = pixels[i];
                found = true;
            }
        }
    }
    return found;
}

// The new value of the area's pixel (x, y), one that may change.
ArgbValue NewPixel(const RefineWork& work, std::uint32_t x, std::uint32_t y, ArgbValue pixel, std::uint8_t distance)
{
    if (distance <= work.shrink)
        return pixel & kColourBits;
    const ReferenceScore scoring(pixel, work.matte);
    ArgbValue reference = 0;
    double best = 0.0;
    bool thin = false;
    bool found = FindReference(work, Window(work.distances, x, y, kReferenceReach), scoring, reference, best, thin);
    const bool thinNear = thin;
    // A stroke that thin may be nowhere near here as fully covered as it is farther along:
    // the best of a wider window, where it is better.
    if (thin) {
        const Window wide(work.distances, x, y, kThinReach, kThinStep);
        ArgbValue farther = 0;
        double fartherBest = 0.0;
        if (FindReference(work, wide, scoring, farther, fartherBest, thin) && fartherBest > best) {
            reference = farther;
            found = true;
        }
    }
    // Where nothing near is farther from the matte, the pixel is as far from it as a colour
    // along that line goes.
    if (!found)
        return Unmixed(pixel, work.matte, SmallestAlpha(pixel, work.matte));
    if (!thinNear)
        return Unmixed(pixel, work.matte, AlphaAlong(pixel, work.matte, reference));
    // Such a stroke may cover no pixel fully, here or farther along.
    const ArgbValue colour = StrokeColour(work.AreaRows(), ImageSize{work.area.width, work.area.height}, work.matte, x,
                                          y, reference);
    return Unmixed(pixel, work.matte, AlphaAlong(pixel, work.matte, colour));
}

// The bounds, in the area, of the pixels that may change; empty when there are none.
ImageRect MayChange(const RefineWork& work)
{
    const AlphaDistances& distances = work.distances;
    std::uint32_t left = distances.width, top = distances.height, right = 0, bottom = 0;
    for (std::uint32_t y = 0; y < distances.height; ++y) {
        const std::uint8_t* row = distances.Row(y);
        std::uint32_t first = 0;
        while (first < distances.width && !work.MayChange(row[first]))
            ++first;
        if (first == distances.width)
            continue;
        std::uint32_t last = distances.width;
        while (!work.MayChange(row[last - 1]))
            --last;
        left = std::min(left, first);
        right = std::max(right, last);
        top = std::min(top, y);
        bottom = y + 1;
    }
    return left < right ? ImageRect{left, top, right - left, bottom - top} : ImageRect{};
}

// Writes the new pixels of rect's rows [top, bottom) (rect in the area) to out, row by row, and
// adds to bounds, in rect's own pixels, those that differ from the image's.
void NewRows(const RefineWork& work, const ImageRect& rect, std::uint32_t top, std::uint32_t bottom, ArgbValue* out,
             ChangedBounds& bounds)
{
    for (std::uint32_t y = top; y < bottom; ++y) {
        const std::uint8_t* row = work.distances.Row(rect.y + y) + rect.x;
        const ArgbValue* pixels = work.ImageRow(rect.y + y) + rect.x;
        // The row is copied as it is, then the pixels that change are changed in place.
        ArgbValue* written = out + std::size_t{y - top} * rect.width;
        std::copy(pixels, pixels + rect.width, written);
        std::uint32_t first = rect.width, last = 0;
        for (std::uint32_t x = 0; x < rect.width; ++x) {
            if (!work.MayChange(row[x]))
                continue;
            written[x] = NewPixel(work, rect.x + x, rect.y + y, pixels[x], row[x]);
            if (written[x] != pixels[x]) {
                first = std::min(first, x);
                last = x;
            }
        }
        if (first < rect.width)
            bounds.Add(first, last, y);
    }
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
    // Distances past the reach all count alike.
    if (MeasureAlphaDistances(image, work.area, static_cast<std::uint8_t>(work.reach + 1), work.distances) &&
        MakeResult(work, result)) {
        result.scratch.swap(work.distances.bytes);
        return true;
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
