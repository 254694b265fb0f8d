#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <new>
#include <vector>

#include "colour_key.h"
#include "key_mask.h"
#include "reference_search.h"

namespace {

constexpr std::uint32_t kNoiseReach = 512;     // the noise is measured this far around the start, each way
constexpr std::uint32_t kAwayFromSubject = 3;  // pixels this near a pixel far from the key may be its edge
// A pixel this far from the key is the subject's: a JPEG's noise stays nearer away from the
// subject's edge, while a pale subject (a light grey disc, chalk on white) lies farther, and
// its own anti-aliased edge is no noise of the background.
constexpr std::uint32_t kSubjectLevels = 32;
// So is a pixel whose luma lies more than this off the key's: faint grey text or a ruled line on
// a light page lies nearer the key in colour. Away from the subject's edge a JPEG's noise moves
// luma less (over a saturated key it moves some channel by far more than the luma).
constexpr int kSubjectLuma = 20;
// So is a pixel of a flat patch farther than this from the key: a pale body's (a light frame,
// a page), which a clean picture's background never holds, and a JPEG's only within the
// rounding of its colour, a level or two.
constexpr std::uint32_t kPaleLevels = 4;
// So is a pixel of a pale body that is not flat (a page's gradient, grain or a JPEG's noise):
// a page stays off the key's luma, to one side, all over, where a JPEG's noise goes up and down
// about it and rings off it only within a pixel or two of the subject. Every pixel of a 3 × 3
// square more than 6 levels of luma to one side of the key's, or of a 5 × 5 square more than 2.
// Luma, not the colour: over a saturated key a JPEG moves the colour of the background near
// the subject by several levels, and its luma by a level or two.
struct PaleSquare {
    std::uint32_t radius;
    int levels;
};
constexpr PaleSquare kPaleSquares[] = {{1, 6}, {2, 2}};
constexpr std::uint32_t kWidestPaleSquare = std::max(kPaleSquares[0].radius, kPaleSquares[1].radius);
constexpr double kQuietShare = 0.9999;         // the share of the background the tolerance takes in
// A picture saved without loss holds noise only as its own grain, spread over its background:
// a level that fewer than kStrayPixels of the background's pixels reach is no noise but a few
// stray pixels of the subject (the grain of a shadow where it fades out, a texture touching the
// background). A JPEG's ringing is sparse too, and a few specks of it left would show: in a
// lossy picture every pixel counts.
constexpr std::size_t kStrayPixels = 256;
// Where the start reaches fewer than this many pixels of the background away from the subject
// (a corner cut off by the subject, a strip between it and the image's side), a JPEG's noise
// is measured on every pixel near the key away from the subject: the start's own part is too
// small to show it.
constexpr std::size_t kFewPixels = 256;
constexpr double kNoiseMargin = 3.0;          // the tolerance over the noise measured
// A ridge strays from its 4-neighbours' mean by half its height above them: the roughness is
// kept where the pixel stands out on some line by half that or more.
constexpr std::uint32_t kPeakWeight = 2;
// Noise up to this starts the tolerance at kDefaultTolerance, whatever makes it.
constexpr auto kQuietNoise = static_cast<std::uint32_t>(kDefaultTolerance / kNoiseMargin);

// Each pixel's luma less the key's, in quarter levels held within a byte (up to 31 levels each
// way, beyond any level it is asked about), over a rectangle and the widest pale square's reach
// around it: the luma of each pixel is found once, not once for every square that holds it.
class LumaOffsets {
public:
    LumaOffsets(const PixelRows& image, ImageSize size, const ImageRect& rect, ArgbValue key)
        : area_(Overlap(Grown(rect), WholeOf(size))), offsets_(area_.PixelCount())
    {
        const double keyLuma = LumaOf(key);
        for (std::uint32_t j = 0; j < area_.height; ++j) {
            const ArgbValue* row = image.Row(area_.y + j) + area_.x;
            std::int8_t* offsets = offsets_.data() + std::size_t{j} * area_.width;
            for (std::uint32_t i = 0; i < area_.width; ++i) {
                const long quarters = std::lround(kQuarters * (LumaOf(row[i]) - keyLuma));
                offsets[i] = static_cast<std::int8_t>(std::clamp(quarters, -127L, 127L));
            }
        }
    }

    // True when the luma of (x, y), in the image, lies more than levels off the key's.
    bool Beyond(std::uint32_t x, std::uint32_t y, int levels) const
    {
        return std::abs(At(x, y)) > kQuarters * levels;
    }

    // True when (x, y) of the image lies in a pale body (see kPaleSquares).
    bool InPaleBody(std::uint32_t x, std::uint32_t y) const
    {
        return std::any_of(std::begin(kPaleSquares), std::end(kPaleSquares),
                           [&](const PaleSquare& square) { return SquareOff(x, y, square); });
    }

private:
    int At(std::uint32_t x, std::uint32_t y) const
    {
        return offsets_[std::size_t{y - area_.y} * area_.width + (x - area_.x)];
    }

    static ImageRect Grown(const ImageRect& rect)
    {
        const std::uint32_t left = rect.x > kWidestPaleSquare ? rect.x - kWidestPaleSquare : 0;
        const std::uint32_t top = rect.y > kWidestPaleSquare ? rect.y - kWidestPaleSquare : 0;
        return ImageRect{left, top, rect.x - left + rect.width + kWidestPaleSquare,
                         rect.y - top + rect.height + kWidestPaleSquare};
    }

    // True when every pixel of square around (x, y) lies more than its levels to one side of
    // the key's luma; false where the square leaves the area.
    bool SquareOff(std::uint32_t x, std::uint32_t y, const PaleSquare& square) const
    {
        return OffToOneSide(ImageSize{area_.width, area_.height}, x - area_.x, y - area_.y, square.radius,
                              kQuarters * square.levels,
                              [this](std::uint32_t i, std::uint32_t j) { return At(area_.x + i, area_.y + j); });
    }

    static constexpr int kQuarters = 4;

    ImageRect area_;
    std::vector<std::int8_t> offsets_;
};

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

// The 3 × 3 pixels around a pixel, row by row, the pixel itself in the middle; beyond the
// rectangle measured, the pixel stands in for its missing neighbours.
using Around = std::array<ArgbValue, 9>;
constexpr int kMiddle = 4;

Around AroundPixel(const PixelRows& image, const ImageRect& rect, std::uint32_t i, std::uint32_t j)
{
    const std::uint32_t x = rect.x + i, y = rect.y + j;
    const std::uint32_t columns[] = {i > 0 ? x - 1 : x, x, i + 1 < rect.width ? x + 1 : x};
    const ArgbValue* rows[] = {image.Row(j > 0 ? y - 1 : y), image.Row(y), image.Row(j + 1 < rect.height ? y + 1 : y)};
    Around around{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            around[3 * r + c] = rows[r][columns[c]];
    }
    return around;
}

// How far the middle pixel stands out beyond both its neighbours on some line through it
// (across, down or either diagonal), the largest over red, green and blue; the search stops
// at enough.
std::uint32_t Peak(const Around& around, std::uint32_t enough)
{
    constexpr int lines[][2] = {{3, 5}, {1, 7}, {0, 8}, {2, 6}};
    int worst = 0;
    for (const int shift : {16, 8, 0}) {
        const int level = ChannelOf(around[kMiddle], shift);
        for (const auto& line : lines) {
            const int a = ChannelOf(around[line[0]], shift), b = ChannelOf(around[line[1]], shift);
            worst = std::max({worst, std::min(level - a, level - b), std::min(a - level, b - level)});
        }
        if (worst >= static_cast<int>(enough))
            break;
    }
    return static_cast<std::uint32_t>(worst);
}

// The background's noise at pixel (i, j) of rect: its roughness, where it is a peak or a
// trough (no more than kPeakWeight times how far it stands out on a line) and lies near the
// key (it or a neighbour within that roughness of key). A JPEG's noise and ringing go up and
// down around the key; a pixel on an edge lies between its neighbours on every line, and the
// steps of a glow or a fade, aliased rays or its own grain, lie off the key all around.
std::uint32_t Noise(const PixelRows& image, const ImageRect& rect, ArgbValue key, std::uint32_t i, std::uint32_t j)
{
    std::uint32_t noise = Roughness(image, rect, i, j);
    if (noise <= kQuietNoise)
        return noise;
    const Around around = AroundPixel(image, rect, i, j);
    noise = std::min(noise, kPeakWeight * Peak(around, (noise + kPeakWeight - 1) / kPeakWeight));
    std::uint32_t nearest = ChannelDistance(around[kMiddle], key);
    for (const ArgbValue value : around)
        nearest = std::min(nearest, ChannelDistance(value, key));
    return nearest <= noise ? noise : 0;
}

// How many pixels have each level of a measure, 0 to kLargestStartingTolerance.
using Counts = std::array<std::size_t, kLargestStartingTolerance + 1>;

// The level at or below which kQuietShare of total pixels lie, and all but stray of them.
std::uint32_t Quiet(const Counts& counts, std::size_t total, std::size_t stray)
{
    const double quiet = std::min(kQuietShare * total, static_cast<double>(total) - static_cast<double>(stray));
    std::size_t taken = 0;
    std::uint32_t level = 0;
    while (level < kLargestStartingTolerance && taken + counts[level] < quiet)
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
// farther from key than kSubjectLevels or kSubjectLuma, of a flat square farther than
// kPaleLevels, or of a pale body: the subject and its edge.
void MarkSubject(const PixelRows& image, ImageSize size, const ImageRect& rect, ArgbValue key,
                 std::vector<std::uint8_t>& near)
{
    // Grown along the rows, then along the columns: a square of kAwayFromSubject each way,
    // each pass keeping a count of the far pixels in the window as it slides.
    const int reach = static_cast<int>(kAwayFromSubject);
    const LumaOffsets lumas(image, size, rect, key);
    const int width = static_cast<int>(rect.width), height = static_cast<int>(rect.height);
    std::vector<std::uint8_t> along(rect.PixelCount());
    for (int y = 0; y < height; ++y) {
        const ArgbValue* pixels = image.Row(rect.y + static_cast<std::uint32_t>(y)) + rect.x;
        auto far = [&](int x) {
            if (x < 0 || x >= width)
                return false;
            const std::uint32_t distance = ChannelDistance(pixels[x], key);
            const std::uint32_t imageX = rect.x + static_cast<std::uint32_t>(x);
            const std::uint32_t imageY = rect.y + static_cast<std::uint32_t>(y);
            return distance > kSubjectLevels || lumas.Beyond(imageX, imageY, kSubjectLuma) ||
                   (distance > kPaleLevels && (InFlatSquare(image, size, imageX, imageY, kFlatLevels) ||
                                               lumas.InPaleBody(imageX, imageY)));
        };
        std::uint8_t* row = along.data() + std::size_t(y) * rect.width;
        int count = 0;
        for (int x = 0; x < reach; ++x)
            count += far(x);
        for (int x = 0; x < width; ++x) {
            count += far(x + reach) - far(x - reach - 1);
            row[x] = count > 0;
        }
    }
    near.assign(rect.PixelCount(), 0);
    std::vector<int> counts(rect.width, 0);
    auto addRow = [&](int y, int sign) {
        if (y < 0 || y >= height)
            return;
        const std::uint8_t* row = along.data() + std::size_t(y) * rect.width;
        for (int x = 0; x < width; ++x)
            counts[x] += sign * row[x];
    };
    for (int y = 0; y < reach; ++y)
        addRow(y, 1);
    for (int y = 0; y < height; ++y) {
        addRow(y + reach, 1);
        addRow(y - reach - 1, -1);
        std::uint8_t* row = near.data() + std::size_t(y) * rect.width;
        for (int x = 0; x < width; ++x)
            row[x] = counts[x] > 0;
    }
}

// Adds to offKey and rough the distance from key and the noise of each pixel of rect that
// reached marks with one of marks, away from the subject (near); returns how many it added.
std::size_t CountBackground(const PixelRows& image, const ImageRect& rect, ArgbValue key, const KeyMask& reached,
                            const std::vector<std::uint8_t>& near, std::uint8_t marks, Counts& offKey, Counts& rough)
{
    std::size_t total = 0;
    for (std::uint32_t j = 0; j < rect.height; ++j) {
        const ArgbValue* pixels = image.Row(rect.y + j) + rect.x;
        const std::uint8_t* row = reached.Row(j);
        const std::uint8_t* subject = near.data() + std::size_t{j} * rect.width;
        for (std::uint32_t i = 0; i < rect.width; ++i) {
            if (!(row[i] & marks) || subject[i])
                continue;
            ++offKey[ChannelDistance(pixels[i], key)];
            ++rough[std::min(Noise(image, rect, key, i, j), kLargestStartingTolerance)];
            ++total;
        }
    }
    return total;
}

}  // namespace

std::uint32_t StartingTolerance(const PixelRows& image, ImageSize size, ArgbValue key, std::uint32_t x, std::uint32_t y,
                                PictureSaved saved)
{
    const ImageRect rect = AroundStart(size, x, y);
    if (!Contains(rect, x, y))
        return kDefaultTolerance;
    std::vector<std::uint8_t> near;
    try {
        MarkSubject(image, size, rect, key, near);
    } catch (const std::bad_alloc&) {
        return kDefaultTolerance;
    }
    // How many pixels of the background lie at each distance from the key: the pixels near
    // the key that the start reaches through such pixels, away from the subject.
    KeyMask reached;
    reached.width = rect.width;
    reached.height = rect.height;
    try {
        reached.bytes.resize(rect.PixelCount());
    } catch (const std::bad_alloc&) {
        return kDefaultTolerance;
    }
    for (std::uint32_t j = 0; j < rect.height; ++j) {
        const ArgbValue* pixels = image.Row(rect.y + j) + rect.x;
        std::uint8_t* row = reached.Row(j);
        for (std::uint32_t i = 0; i < rect.width; ++i)
            row[i] = ChannelDistance(pixels[i], key) <= kLargestStartingTolerance ? kNearKey : 0;
    }
    if (!FillFrom(reached, x - rect.x, y - rect.y, kNearKey, kBackground))
        return kDefaultTolerance;
    Counts offKey{}, rough{};
    std::size_t total = CountBackground(image, rect, key, reached, near, kBackground, offKey, rough);
    if (saved == PictureSaved::Lossy && total < kFewPixels) {
        offKey = {};
        rough = {};
        total = CountBackground(image, rect, key, reached, near, kBackground | kNearKey, offKey, rough);
    }
    // Noise is both off the key and rough: a glow near the key is smooth, and a faint thin
    // stroke is rough but rarely counted far from the key.
    const std::size_t stray = saved == PictureSaved::Lossless ? kStrayPixels : 0;
    const std::uint32_t noise = std::min(Quiet(offKey, total, stray), Quiet(rough, total, stray));
    const auto tolerance = static_cast<std::uint32_t>(noise * kNoiseMargin + 0.999);
    const std::uint32_t least = saved == PictureSaved::Lossy ? kLeastLossyTolerance : kDefaultTolerance;
    return std::clamp(tolerance, least, kLargestStartingTolerance);
}
