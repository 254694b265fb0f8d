// Writes the README's pictures of the two tools that finish a cut-out, each before and after
// over a dark backdrop, from a real cut-out of tests/data/cutouts flattened on white:
//   docs/refine_edge.png  a plain flood fill's cut-out, with its light fringe, and the same
//                         after "縁を整える" (the matte found), with a part of the edge enlarged
//   docs/alpha_brush.png  white made transparent over the whole image, which took the white
//                         belly too and left a speck, and the same after the brush painted the
//                         speck away and the belly back
// Made, from the top of the source tree, by:
//   make tool-pictures
#include <cstdio>
#include <string>
#include <vector>

#include "alpha_brush.h"
#include "colour_key.h"
#include "cutout_truth.h"
#include "picture_canvas.h"
#include "real_cutouts.h"
#include "refine_edge.h"

namespace {

constexpr std::uint32_t kGap = 16;
constexpr std::uint32_t kZoom = 4;
constexpr char kCutout[] = "penguin_outlined.png";
constexpr ImageRect kEnlarged{40, 190, 100, 60};  // the left flipper's edge
constexpr ImageRect kSpeck{30, 30, 5, 5};          // a smudge on the background
constexpr ArgbValue kSmudge = 0xFFC8C8C8u;

// Draws pixels (an image of size) at left: whole, and with enlarged (when not empty) below.
void DrawPanel(Canvas& canvas, std::uint32_t left, ImageSize size, const std::vector<ArgbValue>& pixels,
               const ImageRect& enlarged)
{
    for (std::uint32_t y = 0; y < size.height; ++y)
        for (std::uint32_t x = 0; x < size.width; ++x)
            canvas.Put(left + x, kGap + y, pixels[std::size_t{y} * size.width + x], 1);
    const std::uint32_t top = size.height + 2 * kGap;
    for (std::uint32_t y = 0; y < enlarged.height; ++y)
        for (std::uint32_t x = 0; x < enlarged.width; ++x)
            canvas.Put(left + x * kZoom, top + y * kZoom,
                       pixels[std::size_t{enlarged.y + y} * size.width + enlarged.x + x], kZoom);
}

bool WriteBeforeAfter(const char* path, ImageSize size, const std::vector<ArgbValue>& before,
                      const std::vector<ArgbValue>& after, const ImageRect& enlarged)
{
    const std::uint32_t below = enlarged.height ? enlarged.height * kZoom + kGap : 0;
    Canvas canvas(size.width * 2 + 3 * kGap, size.height + 2 * kGap + below);
    DrawPanel(canvas, kGap, size, before, enlarged);
    DrawPanel(canvas, size.width + 2 * kGap, size, after, enlarged);
    return WritePng(canvas, path);
}

PixelRows RowsOf(std::vector<ArgbValue>& pixels, ImageSize size)
{
    return {pixels.data(), static_cast<std::ptrdiff_t>(std::size_t{size.width} * sizeof(ArgbValue))};
}

bool RefinePicture(const TruthCase& onWhite, const char* path)
{
    CutoutCase cutout = FloodCutout(onWhite);
    const ImageSize size = onWhite.size;
    const ArgbValue matte = FindMatte(RowsOf(cutout.cutout, size), size, WholeOf(size));
    const std::vector<ArgbValue> after = Refined(cutout, WholeCutout(cutout, matte));
    return !after.empty() && WriteBeforeAfter(path, size, cutout.cutout, after, kEnlarged);
}

// The keyed image with result's pixels put in.
std::vector<ArgbValue> WithResult(std::vector<ArgbValue> pixels, ImageSize size, const ColourKeyResult& result)
{
    for (std::uint32_t y = 0; y < result.changed.height; ++y)
        for (std::uint32_t x = 0; x < result.changed.width; ++x)
            pixels[std::size_t{result.changed.y + y} * size.width + result.changed.x + x] =
                result.pixels[std::size_t{y} * result.changed.width + x];
    return pixels;
}

// One stroke of the brush through points.
void Stroke(std::vector<ArgbValue>& pixels, std::vector<ArgbValue>& original, ImageSize size,
            const BrushSettings& settings, std::initializer_list<BrushPoint> points)
{
    BrushStroke stroke(settings, size);
    const BrushCanvas canvas{RowsOf(pixels, size), RowsOf(original, size)};
    for (const BrushPoint& point : points)
        stroke.MoveTo(point, canvas);
}

bool BrushPicture(const TruthCase& onWhite, const char* path)
{
    const ImageSize size = onWhite.size;
    std::vector<ArgbValue> opened = onWhite.input;
    for (std::uint32_t y = kSpeck.y; y < kSpeck.y + kSpeck.height; ++y)
        for (std::uint32_t x = kSpeck.x; x < kSpeck.x + kSpeck.width; ++x)
            opened[std::size_t{y} * size.width + x] = kSmudge;
    ColourKeyOptions options;
    options.key = onWhite.key;
    options.connected = false;  // "画像全体": the belly's white goes too
    options.area = WholeOf(size);
    ColourKeyResult result;
    if (!MakeColourTransparent(RowsOf(opened, size), size, options, result))
        return false;
    const std::vector<ArgbValue> keyed = WithResult(opened, size, result);
    std::vector<ArgbValue> brushed = keyed;
    BrushSettings away;
    away.diameter = 16;
    Stroke(brushed, opened, size, away, {{32.5, 32.5}});
    BrushSettings back;
    back.diameter = 40;
    back.hardness = 60;
    back.mode = BrushMode::Restore;
    for (double y = 170; y <= 410; y += 15)
        Stroke(brushed, opened, size, back, {{y < 230 ? 160.0 : 115.0, y}, {y < 230 ? 245.0 : 285.0, y}});
    back.diameter = 24;
    Stroke(brushed, opened, size, back, {{160, 100}, {160, 106}});  // the eyes
    Stroke(brushed, opened, size, back, {{216, 100}, {216, 106}});
    return WriteBeforeAfter(path, size, keyed, brushed, {});
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_tool_pictures refine_edge.png alpha_brush.png\n");
        return 2;
    }
    TruthLayer layer;
    if (!LoadCutout(kCutout, layer))
        return 1;
    const TruthCase onWhite = Flattened(layer, kWhiteKey);
    return RefinePicture(onWhite, argv[1]) && BrushPicture(onWhite, argv[2]) ? 0 : 1;
}
