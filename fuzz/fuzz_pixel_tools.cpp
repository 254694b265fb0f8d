// The image tools on any picture: the colour work, 縁を整える with its matte, the starting
// tolerance and the alpha brush, on a small image the bytes draw from a palette of their own
// (so that it has flat parts and edges, as pictures do), with options and strokes the bytes
// choose, areas and points outside the image included. Beside the sanitizers' faults, each
// checks what a caller relies on: the result lies in the area and has its size, no pixel
// gains alpha, a plain fill clears only pixels near the key keeping their colour, asking again
// gives the same, and a stroke's tiles put the image back as it was.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "alpha_brush.h"
#include "colour_key.h"
#include "fuzz_check.h"
#include "pixel_tiles.h"
#include "refine_edge.h"

namespace {

constexpr std::uint32_t kLargestSide = 40;
constexpr std::uint32_t kLargestPalette = 8;
constexpr std::uint32_t kLargestMoreStarts = 3;
constexpr std::uint32_t kLargestDiameterStep = 4;  // the brush's diameter is a byte times this

// Hands out the input's bytes; 0 once they run out.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint32_t Next() { return at_ < size_ ? data_[at_++] : 0u; }
    ArgbValue NextPixel()
    {
        ArgbValue value = 0;
        for (int i = 0; i < 4; ++i)
            value = (value << 8) | Next();
        return value;
    }
    bool NextBit() { return Next() & 1u; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

struct Picture {
    ImageSize size;
    std::vector<ArgbValue> pixels;

    PixelRows Rows() { return PixelRows{pixels.data(), static_cast<std::ptrdiff_t>(size.width * sizeof(ArgbValue))}; }
    ArgbValue At(std::uint32_t x, std::uint32_t y) const { return pixels[std::size_t{y} * size.width + x]; }
};

Picture DrawPicture(Bytes& bytes)
{
    Picture picture;
    picture.size = ImageSize{1 + bytes.Next() % kLargestSide, 1 + bytes.Next() % kLargestSide};
    std::vector<ArgbValue> palette(1 + bytes.Next() % kLargestPalette);
    for (ArgbValue& colour : palette)
        colour = bytes.NextPixel();
    picture.pixels.resize(picture.size.width * std::size_t{picture.size.height});
    for (ArgbValue& pixel : picture.pixels)
        pixel = palette[bytes.Next() % palette.size()];
    return picture;
}

// A rectangle anywhere near the image, partly or wholly outside it too.
ImageRect AnyArea(Bytes& bytes, ImageSize size)
{
    if (bytes.NextBit())
        return WholeOf(size);
    return ImageRect{bytes.Next() % (size.width + 2), bytes.Next() % (size.height + 2), bytes.Next() % (size.width + 2),
                     bytes.Next() % (size.height + 2)};
}

// Checks a tool's result against the picture it was made from and the area it was given.
void CheckResult(const Picture& picture, const ImageRect& area, const ColourKeyResult& result)
{
    const ImageRect& changed = result.changed;
    FUZZ_CHECK(result.pixels.size() == changed.PixelCount());
    if (changed.PixelCount() == 0)
        return;
    const ImageRect inside = Overlap(area, WholeOf(picture.size));
    FUZZ_CHECK(changed.x >= inside.x && changed.y >= inside.y && changed.x + changed.width <= inside.x + inside.width &&
               changed.y + changed.height <= inside.y + inside.height);
    for (std::uint32_t y = 0; y < changed.height; ++y) {
        for (std::uint32_t x = 0; x < changed.width; ++x) {
            const ArgbValue before = picture.At(changed.x + x, changed.y + y);
            const ArgbValue after = result.pixels[std::size_t{y} * changed.width + x];
            FUZZ_CHECK((after >> 24) <= (before >> 24));
        }
    }
}

bool SameResult(const ColourKeyResult& a, const ColourKeyResult& b)
{
    return a.changed.x == b.changed.x && a.changed.y == b.changed.y && a.changed.width == b.changed.width &&
           a.changed.height == b.changed.height && std::equal(a.pixels.begin(), a.pixels.end(), b.pixels.begin());
}

void CheckColourWork(Picture& picture, Bytes& bytes)
{
    ColourKeyOptions options;
    options.key = bytes.NextBit() ? picture.pixels.front() : bytes.NextPixel();
    options.tolerance = bytes.Next();
    options.connected = bytes.NextBit();
    options.cleanEdges = bytes.NextBit();
    options.softShadows = bytes.NextBit();
    options.noisyPicture = bytes.NextBit();
    options.startX = bytes.Next() % (picture.size.width + 2);
    options.startY = bytes.Next() % (picture.size.height + 2);
    for (std::uint32_t i = bytes.Next() % (kLargestMoreStarts + 1); i > 0; --i)
        options.moreStarts.push_back(
            ImagePoint{bytes.Next() % (picture.size.width + 2), bytes.Next() % (picture.size.height + 2)});
    options.area = AnyArea(bytes, picture.size);

    const PixelRows rows = picture.Rows();
    ColourKeyResult result;
    FUZZ_CHECK(MakeColourTransparent(rows, picture.size, options, result));
    CheckResult(picture, options.area, result);
    // A plain fill clears pixels near the key and keeps their colour; it changes nothing else.
    if (!options.cleanEdges && !options.softShadows) {
        for (std::uint32_t y = 0; y < result.changed.height; ++y) {
            for (std::uint32_t x = 0; x < result.changed.width; ++x) {
                const ArgbValue before = picture.At(result.changed.x + x, result.changed.y + y);
                const ArgbValue after = result.pixels[std::size_t{y} * result.changed.width + x];
                FUZZ_CHECK(after == before ||
                           (after == (before & kColourBits) &&
                            ChannelDistance(before, options.key) <= std::min<std::uint32_t>(options.tolerance, 255)));
            }
        }
    }
    // Asked again with its own memory kept, as a preview asks, the work gives the same.
    ColourKeyResult again;
    again.scratch.swap(result.scratch);
    FUZZ_CHECK(MakeColourTransparent(rows, picture.size, options, again));
    FUZZ_CHECK(SameResult(result, again));
    InClearedBackground(result, rows, options, options.startX, options.startY);

    for (const PictureSaved saved : {PictureSaved::Lossless, PictureSaved::Lossy}) {
        const std::uint32_t tolerance =
            StartingTolerance(rows, picture.size, options.key, options.startX, options.startY, saved);
        FUZZ_CHECK(tolerance >= kDefaultTolerance && tolerance <= kLargestStartingTolerance);
    }
}

void CheckEdgeWork(Picture& picture, Bytes& bytes)
{
    const PixelRows rows = picture.Rows();
    RefineEdgeOptions options;
    options.area = AnyArea(bytes, picture.size);
    options.matte = bytes.NextBit() ? FindMatte(rows, picture.size, options.area) : bytes.NextPixel();
    FUZZ_CHECK((FindMatte(rows, picture.size, options.area) >> 24) == 0xFF);
    options.width = bytes.Next();
    options.shrink = bytes.Next();
    ColourKeyResult result;
    FUZZ_CHECK(RefineEdge(rows, picture.size, options, result));
    CheckResult(picture, options.area, result);
    const bool transparency = std::any_of(picture.pixels.begin(), picture.pixels.end(),
                                          [](ArgbValue pixel) { return pixel < kOpaqueBlack; });
    FUZZ_CHECK(HasTransparency(rows, picture.size) == transparency);
}

BrushPoint AnyPoint(Bytes& bytes, ImageSize size)
{
    // Quarter pixels, up to a side beyond the image each way.
    const auto along = [&bytes](std::uint32_t side) {
        return (static_cast<double>(bytes.Next() % (12 * side + 4)) - 4.0 * side) / 4.0;
    };
    const double x = along(size.width);
    return BrushPoint{x, along(size.height)};
}

void CheckBrush(Picture& picture, Bytes& bytes)
{
    BrushSettings settings;
    settings.diameter = bytes.Next() * kLargestDiameterStep;
    settings.hardness = bytes.Next();
    settings.alpha = bytes.Next();
    settings.mode = bytes.NextBit() ? BrushMode::Restore : BrushMode::PaintAlpha;

    const std::vector<ArgbValue> opened = picture.pixels;
    std::vector<ArgbValue> original(picture.pixels.size());
    for (ArgbValue& pixel : original)
        pixel = bytes.NextPixel();
    const PixelRows originalRows{original.data(), static_cast<std::ptrdiff_t>(picture.size.width * sizeof(ArgbValue))};
    const BrushCanvas canvas{picture.Rows(), originalRows};

    BrushStroke stroke(settings, picture.size);
    ImageRect changed = stroke.Begin(AnyPoint(bytes, picture.size), canvas);
    for (std::uint32_t moves = bytes.Next() % 4; moves > 0; --moves)
        changed = Union(changed, stroke.MoveTo(AnyPoint(bytes, picture.size), canvas));
    if (bytes.NextBit())
        changed = Union(changed, stroke.Line(stroke.LastPoint(), AnyPoint(bytes, picture.size), canvas));

    for (std::uint32_t y = 0; y < picture.size.height; ++y) {
        for (std::uint32_t x = 0; x < picture.size.width; ++x) {
            const std::size_t i = std::size_t{y} * picture.size.width + x;
            // Every pixel that changed lies in what the calls gave to repaint.
            if (!Contains(changed, x, y))
                FUZZ_CHECK(picture.pixels[i] == opened[i]);
            if (settings.mode == BrushMode::PaintAlpha)
                FUZZ_CHECK(((picture.pixels[i] ^ opened[i]) & kColourBits) == 0);
        }
    }
    // The tiles kept for undo put the image back as it was before the stroke.
    std::vector<PixelTile> tiles = stroke.TakeTilesBefore();
    SwapTiles(picture.Rows(), tiles);
    FUZZ_CHECK(picture.pixels == opened);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Bytes bytes(data, size);
    Picture picture = DrawPicture(bytes);
    CheckColourWork(picture, bytes);
    CheckEdgeWork(picture, bytes);
    CheckBrush(picture, bytes);
    return 0;
}
