#include <algorithm>
#include <array>
#include <cstdlib>
#include <new>
#include <vector>

#include "colour_key.h"

namespace {

constexpr std::uint32_t kNoiseReach = 512;     // the noise is measured this far around the start, each way
constexpr std::uint32_t kAwayFromSubject = 3;  // pixels this near a pixel far from the key may be its edge
constexpr double kQuietShare = 0.9999;         // the share of the background the tolerance takes in
constexpr double kNoiseMargin = 3.0;          // the tolerance over the noise measured
constexpr std::uint8_t kSeen = 2;               // in the mask of the subject: a pixel the fill has reached

// How far pixel (i, j) of rect strays from the mean of its 4-neighbours in rect, the largest
// over red, green and blue: a JPEG's noise is rough, a glow or a fade is smooth.
std::uint32_t Roughness(const PixelRows& image, const ImageRect& rect, std::uint32_t i, std::uint32_t j)
{
    const std::uint32_t x = rect.x + i, y = rect.y + j;
    const ArgbValue* row = image.Row(y);
    const ArgbValue around[] = {i > 0 ? row[x - 1] : row[x], i + 1 < rect.width ? row[x + 1] : row[x],
                                j > 0 ? image.Row(y - 1)[x] : row[x], j + 1 < rect.height ? image.Row(y + 1)[x] : row[x]};
    int worst = 0;
    for (const int shift : {16, 8, 0}) {
        int sum = 0;
        for (const ArgbValue value : around)
            sum += ChannelOf(value, shift);
        worst = std::max(worst, std::abs(4 * ChannelOf(row[x], shift) - sum));
    }
    return static_cast<std::uint32_t>((worst + 3) / 4);
}

// How many pixels have each level of a measure, 0 to kLargestStartingTolerance.
using Counts = std::array<std::size_t, kLargestStartingTolerance + 1>;

// The level at or below which kQuietShare of total pixels lie.
std::uint32_t Quiet(const Counts& counts, std::size_t total)
{
    std::size_t taken = 0;
    std::uint32_t level = 0;
    while (level < kLargestStartingTolerance && taken + counts[level] < kQuietShare * total)
        taken += counts[level++];
    return level;
}

// The rectangle within reach of (x, y) each way, clipped to the image.
ImageRect AroundStart(ImageSize size, std::uint32_t x, std::uint32_t y)
{
    const std::uint32_t left = x > kNoiseReach ? x - kNoiseReach : 0;
    const std::uint32_t top = y > kNoiseReach ? y - kNoiseReach : 0;
    return Overlap(ImageRect{left, top, 2 * kNoiseReach + 1, 2 * kNoiseReach + 1}, WholeOf(size));
}

// Marks in near (one byte per pixel of rect) the pixels within kAwayFromSubject of a pixel
// farther from key than the largest starting tolerance: the subject and its edge.
void MarkSubject(const PixelRows& image, const ImageRect& rect, ArgbValue key, std::vector<std::uint8_t>& near)
{
    std::vector<std::uint8_t> far(rect.PixelCount());
    for (std::uint32_t y = 0; y < rect.height; ++y) {
        const ArgbValue* pixels = image.Row(rect.y + y) + rect.x;
        for (std::uint32_t x = 0; x < rect.width; ++x)
            far[std::size_t{y} * rect.width + x] = ChannelDistance(pixels[x], key) > kLargestStartingTolerance;
    }
    // Grown along the rows, then along the columns: a square of kAwayFromSubject each way.
    std::vector<std::uint8_t> along(rect.PixelCount());
    const int reach = static_cast<int>(kAwayFromSubject);
    for (std::uint32_t y = 0; y < rect.height; ++y) {
        for (std::uint32_t x = 0; x < rect.width; ++x) {
            const std::uint32_t first = x >= kAwayFromSubject ? x - kAwayFromSubject : 0;
            const std::uint32_t last = std::min(rect.width - 1, x + reach);
            const std::uint8_t* row = far.data() + std::size_t{y} * rect.width;
            along[std::size_t{y} * rect.width + x] = std::any_of(row + first, row + last + 1, [](std::uint8_t v) { return v; });
        }
    }
    near.assign(rect.PixelCount(), 0);
    for (std::uint32_t y = 0; y < rect.height; ++y) {
        const std::uint32_t first = y >= kAwayFromSubject ? y - kAwayFromSubject : 0;
        const std::uint32_t last = std::min(rect.height - 1, y + reach);
        for (std::uint32_t x = 0; x < rect.width; ++x) {
            for (std::uint32_t j = first; j <= last && !near[std::size_t{y} * rect.width + x]; ++j)
                near[std::size_t{y} * rect.width + x] = along[std::size_t{j} * rect.width + x];
        }
    }
}

}  // namespace

std::uint32_t StartingTolerance(const PixelRows& image, ImageSize size, ArgbValue key, std::uint32_t x, std::uint32_t y)
{
    const ImageRect rect = AroundStart(size, x, y);
    if (!Contains(rect, x, y))
        return kDefaultTolerance;
    std::vector<std::uint8_t> near;
    try {
        MarkSubject(image, rect, key, near);
    } catch (const std::bad_alloc&) {
        return kDefaultTolerance;
    }
    // How many pixels of the background lie at each distance from the key: the pixels near
    // the key that the start reaches through such pixels, away from the subject.
    Counts offKey{}, rough{};
    std::size_t total = 0;
    std::vector<std::size_t> stack;
    auto visit = [&](std::uint32_t i, std::uint32_t j) {
        const std::size_t at = std::size_t{j} * rect.width + i;
        const std::uint32_t distance = ChannelDistance(image.Row(rect.y + j)[rect.x + i], key);
        if (near[at] == kSeen || distance > kLargestStartingTolerance)
            return;
        if (!near[at]) {
            ++offKey[distance];
            ++rough[std::min(Roughness(image, rect, i, j), kLargestStartingTolerance)];
            ++total;
        }
        near[at] = kSeen;
        stack.push_back(at);
    };
    try {
        visit(x - rect.x, y - rect.y);
        while (!stack.empty()) {
            const std::size_t at = stack.back();
            stack.pop_back();
            const auto i = static_cast<std::uint32_t>(at % rect.width), j = static_cast<std::uint32_t>(at / rect.width);
            if (i > 0)
                visit(i - 1, j);
            if (i + 1 < rect.width)
                visit(i + 1, j);
            if (j > 0)
                visit(i, j - 1);
            if (j + 1 < rect.height)
                visit(i, j + 1);
        }
    } catch (const std::bad_alloc&) {
        return kDefaultTolerance;
    }
    // Noise is both off the key and rough: a glow near the key is smooth, and a faint thin
    // stroke is rough but rarely counted far from the key.
    const std::uint32_t noise = std::min(Quiet(offKey, total), Quiet(rough, total));
    const auto tolerance = static_cast<std::uint32_t>(noise * kNoiseMargin + 0.999);
    return std::clamp(tolerance, kDefaultTolerance, kLargestStartingTolerance);
}
