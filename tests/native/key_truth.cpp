#include "key_truth.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSamples = 8;             // samples per pixel along each direction
constexpr double kSharpReach = 0.75;    // beyond this a sharp shape covers a pixel wholly or not at all
constexpr int kHaloLevels = 8;
constexpr int kEdgeAlphaLevels = 8;
constexpr int kFarFromEdge = 3;
constexpr int kEnclosedMargin = 2;
constexpr ArgbValue kMagenta = 0xFF00FFu;

struct Colour {
    double r, g, b;
};

enum class Kind { kDisc, kRing, kStroke, kSoftDisc };

// One shape of the layer, painted over the ones before it.
struct Shape {
    Kind kind;
    double x0, y0, x1, y1;  // centre (disc, ring), or the ends of a stroke
    double size;            // radius, outer radius, or half the stroke's width
    double inner;           // a ring's inner radius; a soft disc's blur
    Colour colour;
    double opacity;
};

double SignedDistance(const Shape& shape, double x, double y)
{
    switch (shape.kind) {
    case Kind::kDisc:
    case Kind::kSoftDisc:
        return std::hypot(x - shape.x0, y - shape.y0) - shape.size;
    case Kind::kRing: {
        const double r = std::hypot(x - shape.x0, y - shape.y0);
        return std::max(r - shape.size, shape.inner - r);
    }
    case Kind::kStroke: {
        const double dx = shape.x1 - shape.x0, dy = shape.y1 - shape.y0;
        const double t = std::clamp(((x - shape.x0) * dx + (y - shape.y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        return std::hypot(x - shape.x0 - t * dx, y - shape.y0 - t * dy) - shape.size;
    }
    }
    return 0.0;
}

double Coverage(const Shape& shape, double x, double y)
{
    const double distance = SignedDistance(shape, x, y);
    if (shape.kind == Kind::kSoftDisc)
        return shape.opacity * 0.5 * std::erfc(distance / (shape.inner * std::sqrt(2.0)));
    return distance < 0.0 ? shape.opacity : 0.0;
}

// The layer at one point, premultiplied: colour times alpha, and alpha.
struct Premultiplied {
    double r = 0, g = 0, b = 0, a = 0;
};

Premultiplied LayerAt(const std::vector<Shape>& shapes, double x, double y)
{
    Premultiplied layer;
    for (const Shape& shape : shapes) {
        const double c = Coverage(shape, x, y);
        layer.r = shape.colour.r * c + layer.r * (1 - c);
        layer.g = shape.colour.g * c + layer.g * (1 - c);
        layer.b = shape.colour.b * c + layer.b * (1 - c);
        layer.a = c + layer.a * (1 - c);
    }
    return layer;
}

// How far a shape reaches from its centre or stroke ends, blur included.
constexpr double kBlurReach = 5.0;  // blurs counted to this many times their width

bool Reaches(const Shape& shape, double x, double y)
{
    const double reach = shape.size + (shape.kind == Kind::kSoftDisc ? kBlurReach * shape.inner : 0.0) + 2.0;
    return x >= std::min(shape.x0, shape.kind == Kind::kStroke ? shape.x1 : shape.x0) - reach &&
           x <= std::max(shape.x0, shape.kind == Kind::kStroke ? shape.x1 : shape.x0) + reach &&
           y >= std::min(shape.y0, shape.kind == Kind::kStroke ? shape.y1 : shape.y0) - reach &&
           y <= std::max(shape.y0, shape.kind == Kind::kStroke ? shape.y1 : shape.y0) + reach;
}

bool NearSharpEdge(const std::vector<Shape>& shapes, double x, double y)
{
    for (const Shape& shape : shapes) {
        if (shape.kind != Kind::kSoftDisc && std::abs(SignedDistance(shape, x, y)) < kSharpReach)
            return true;
    }
    return false;
}

// The layer over pixel (x, y): sampled kSamples² times near a sharp edge, once elsewhere.
Premultiplied PixelOf(const std::vector<Shape>& all, std::uint32_t x, std::uint32_t y, std::vector<Shape>& shapes)
{
    const double cx = x + 0.5, cy = y + 0.5;
    shapes.clear();
    for (const Shape& shape : all) {
        if (Reaches(shape, cx, cy))
            shapes.push_back(shape);
    }
    if (!NearSharpEdge(shapes, cx, cy))
        return LayerAt(shapes, cx, cy);
    Premultiplied sum;
    for (int j = 0; j < kSamples; ++j) {
        for (int i = 0; i < kSamples; ++i) {
            const Premultiplied s = LayerAt(shapes, x + (i + 0.5) / kSamples, y + (j + 0.5) / kSamples);
            sum.r += s.r, sum.g += s.g, sum.b += s.b, sum.a += s.a;
        }
    }
    const double n = kSamples * kSamples;
    return Premultiplied{sum.r / n, sum.g / n, sum.b / n, sum.a / n};
}

ArgbValue Rgb(double r, double g, double b)
{
    auto level = [](double v) { return static_cast<ArgbValue>(std::clamp<long>(std::lround(v), 0, 255)); };
    return (level(r) << 16) | (level(g) << 8) | level(b);
}

// Letters of strokes: rings with a stem or a bar, as "o", "d", "b", "e", "q".
void AddLetters(std::vector<Shape>& shapes, double x, double y, double size, Colour colour);

std::vector<Shape> LogoShapes()
{
    std::vector<Shape> shapes = {
        {Kind::kDisc, 170, 170, 0, 0, 130, 0, {225, 30, 60}, 1},
        {Kind::kDisc, 185, 160, 0, 0, 60, 0, {255, 205, 225}, 1},
        {Kind::kRing, 425.3, 175.7, 0, 0, 85, 46, {40, 30, 70}, 1},
        {Kind::kStroke, 350, 30, 560, 50, 9, 0, {30, 60, 190}, 1},
    };
    AddLetters(shapes, 70, 350, 48, {40, 30, 70});
    return shapes;
}

void AddLetters(std::vector<Shape>& shapes, double x, double y, double size, Colour colour)
{
    const double w = size * 0.12;
    const double r = size * 0.3;
    const char* word = "odbeqo";
    for (int i = 0; word[i]; ++i) {
        const double cx = x + i * size * 0.8, cy = y;
        shapes.push_back({Kind::kRing, cx, cy, 0, 0, r + w, r - w, colour, 1});
        const char letter = word[i];
        if (letter == 'd' || letter == 'q')
            shapes.push_back({Kind::kStroke, cx + r, letter == 'd' ? cy - size * 0.75 : cy, cx + r,
                              letter == 'd' ? cy : cy + size * 0.75, w, 0, colour, 1});
        if (letter == 'b')
            shapes.push_back({Kind::kStroke, cx - r, cy - size * 0.75, cx - r, cy, w, 0, colour, 1});
        if (letter == 'e')
            shapes.push_back({Kind::kStroke, cx - r, cy, cx + r, cy, w * 0.8, 0, colour, 1});
    }
}

std::vector<Shape> StrokeShapes()
{
    std::vector<Shape> shapes;
    const Colour colours[] = {{20, 20, 30}, {25, 50, 170}, {200, 25, 45}};
    const double widths[] = {0.5, 0.75, 1.0, 1.5};
    for (int i = 0; i < 12; ++i) {
        const double angle = 0.15 + i * 0.25;
        const double x = 40 + i * 22.0, y = 30;
        shapes.push_back({Kind::kStroke, x, y, x + 150 * std::cos(angle), y + 150 * std::sin(angle),
                          widths[i % 4], 0, colours[i % 3], 1});
    }
    AddLetters(shapes, 60, 260, 40, colours[0]);
    AddLetters(shapes, 70, 345, 26, colours[1]);
    AddLetters(shapes, 380, 120, 30, colours[2]);
    AddLetters(shapes, 330, 300, 52, colours[0]);
    return shapes;
}

// Strokes 1, 2, 3 and 4 pixels wide at angles off the pixel grid, in three colours, and a
// frame of such strokes around a disc.
std::vector<Shape> ThinLogoShapes()
{
    std::vector<Shape> shapes;
    const Colour colours[] = {{20, 20, 30}, {25, 50, 170}, {200, 25, 45}};
    const double halfWidths[] = {0.5, 1.0, 1.5, 2.0};
    for (int i = 0; i < 16; ++i) {
        const double angle = 0.3 + i * 0.17;
        const double x = 60 + i * 30.0, y = 40;
        shapes.push_back({Kind::kStroke, x, y, x + 120 * std::cos(angle), y + 120 * std::sin(angle),
                          halfWidths[i % 4], 0, colours[i % 3], 1});
    }
    shapes.push_back({Kind::kDisc, 300, 290, 0, 0, 60, 0, {225, 30, 60}, 1});
    const double corners[][2] = {{200, 220}, {410, 200}, {420, 380}, {190, 370}};
    for (int i = 0; i < 4; ++i) {
        const double* from = corners[i];
        const double* to = corners[(i + 1) % 4];
        shapes.push_back({Kind::kStroke, from[0], from[1], to[0], to[1], halfWidths[i], 0, colours[i % 3], 1});
    }
    return shapes;
}

std::vector<Shape> ShadowShapes()
{
    return {
        {Kind::kSoftDisc, 232, 222, 0, 0, 120, 7, {0, 0, 0}, 0.45},
        {Kind::kDisc, 215, 205, 0, 0, 120, 0, {40, 90, 210}, 1},
        {Kind::kDisc, 470, 200, 0, 0, 70, 0, {200, 200, 200}, 1},
    };
}

std::vector<Shape> ShapesOf(TruthScene scene)
{
    switch (scene) {
    case TruthScene::kLogo:
        return LogoShapes();
    case TruthScene::kStrokes:
        return StrokeShapes();
    case TruthScene::kShadow:
        return ShadowShapes();
    case TruthScene::kThinLogo:
        return ThinLogoShapes();
    }
    return {};
}

const char* SceneName(TruthScene scene)
{
    switch (scene) {
    case TruthScene::kLogo:
        return "logo";
    case TruthScene::kStrokes:
        return "strokes";
    case TruthScene::kShadow:
        return "shadow";
    case TruthScene::kThinLogo:
        return "thin logo";
    }
    return "";
}

std::uint8_t AlphaOf(ArgbValue value) { return static_cast<std::uint8_t>(value >> 24); }

// Chebyshev distance of each pixel to the nearest pixel marked in from (capped), two passes.
std::vector<int> DistancesTo(const std::vector<std::uint8_t>& from, std::uint32_t w, std::uint32_t h)
{
    const int far = static_cast<int>(w + h);
    std::vector<int> d(from.size());
    for (std::size_t i = 0; i < from.size(); ++i)
        d[i] = from[i] ? 0 : far;
    auto relax = [&](std::uint32_t x, std::uint32_t y, int dx, int dy) {
        const long nx = long(x) + dx, ny = long(y) + dy;
        if (nx < 0 || ny < 0 || nx >= long(w) || ny >= long(h))
            return;
        d[y * w + x] = std::min(d[y * w + x], d[ny * w + nx] + 1);
    };
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            relax(x, y, -1, 0), relax(x, y, -1, -1), relax(x, y, 0, -1), relax(x, y, 1, -1);
    for (std::uint32_t y = h; y-- > 0;)
        for (std::uint32_t x = w; x-- > 0;)
            relax(x, y, 1, 0), relax(x, y, 1, 1), relax(x, y, 0, 1), relax(x, y, -1, 1);
    return d;
}

// Finds one start in each part of the outside background: the pixel of each part farthest
// from the subject, where a user would click (and where a lossy copy is nearest the key).
void MarkStarts(TruthCase& c, std::vector<std::uint8_t> outside)
{
    const std::uint32_t w = c.size.width, h = c.size.height;
    std::vector<std::uint8_t> subject(c.truth.size());
    for (std::size_t i = 0; i < subject.size(); ++i)
        subject[i] = AlphaOf(c.truth[i]) > 0;
    const std::vector<int> fromSubject = DistancesTo(subject, w, h);
    std::vector<std::size_t> stack;
    for (std::size_t first = 0; first < outside.size(); ++first) {
        if (!outside[first])
            continue;
        std::size_t farthest = first;
        outside[first] = 0;
        stack.push_back(first);
        while (!stack.empty()) {
            const std::size_t i = stack.back();
            stack.pop_back();
            if (fromSubject[i] > fromSubject[farthest])
                farthest = i;
            const std::uint32_t x = i % w, y = i / w;
            for (const std::size_t next : {x > 0 ? i - 1 : i, x + 1 < w ? i + 1 : i, y > 0 ? i - w : i,
                                           y + 1 < h ? i + w : i}) {
                if (outside[next]) {
                    outside[next] = 0;
                    stack.push_back(next);
                }
            }
        }
        c.starts.push_back(ImagePoint{static_cast<std::uint32_t>(farthest % w), static_cast<std::uint32_t>(farthest / w)});
    }
}

// Marks the transparent pixels of the truth that the border cannot reach, 4-connected.
void MarkEnclosed(TruthCase& c)
{
    const std::uint32_t w = c.size.width, h = c.size.height;
    std::vector<std::uint8_t> outside(c.truth.size(), 0);
    std::vector<std::size_t> stack;
    auto visit = [&](std::size_t i) {
        if (!outside[i] && AlphaOf(c.truth[i]) == 0) {
            outside[i] = 1;
            stack.push_back(i);
        }
    };
    for (std::uint32_t x = 0; x < w; ++x)
        visit(x), visit((h - 1) * w + x);
    for (std::uint32_t y = 0; y < h; ++y)
        visit(y * w), visit(y * w + w - 1);
    while (!stack.empty()) {
        const std::size_t i = stack.back();
        stack.pop_back();
        const std::uint32_t x = i % w, y = i / w;
        if (x > 0) visit(i - 1);
        if (x + 1 < w) visit(i + 1);
        if (y > 0) visit(i - w);
        if (y + 1 < h) visit(i + w);
    }
    c.hole.assign(c.truth.size(), 0);
    for (std::size_t i = 0; i < c.truth.size(); ++i)
        c.hole[i] = AlphaOf(c.truth[i]) == 0 && !outside[i];
    MarkStarts(c, outside);
    const std::vector<int> d = DistancesTo(c.hole, w, h);
    c.enclosed.assign(c.truth.size(), 0);
    for (std::size_t i = 0; i < d.size(); ++i)
        c.enclosed[i] = d[i] <= kEnclosedMargin;
}

// Channel of value composited with alpha over backdrop, rounded.
int Over(ArgbValue value, ArgbValue backdrop, int shift)
{
    const int a = AlphaOf(value);
    return (ChannelOf(value, shift) * a + ChannelOf(backdrop, shift) * (255 - a) + 127) / 255;
}

int OverDifference(ArgbValue a, ArgbValue b, ArgbValue backdrop)
{
    int worst = 0;
    for (const int shift : {16, 8, 0})
        worst = std::max(worst, std::abs(Over(a, backdrop, shift) - Over(b, backdrop, shift)));
    return worst;
}

// pixels written as a JPEG at quality: the file's bytes.
std::vector<unsigned char> JpegOf(const std::vector<ArgbValue>& pixels, ImageSize size, int quality, bool halfColour)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* bytes = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&cinfo, &bytes, &length);
    cinfo.image_width = size.width;
    cinfo.image_height = size.height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (!halfColour)
        cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(size.width * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const ArgbValue* from = pixels.data() + std::size_t{cinfo.next_scanline} * size.width;
        for (std::uint32_t x = 0; x < size.width; ++x)
            for (int c = 0; c < 3; ++c)
                row[x * 3 + c] = static_cast<unsigned char>(ChannelOf(from[x], 16 - 8 * c));
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<unsigned char> file(bytes, bytes + length);
    std::free(bytes);
    return file;
}

// Reads the JPEG file into pixels, opaque, of the size it was written at.
void ReadJpeg(const std::vector<unsigned char>& file, ImageSize size, std::vector<ArgbValue>& pixels)
{
    jpeg_decompress_struct dinfo{};
    jpeg_error_mgr jerr{};
    dinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&dinfo);
    jpeg_mem_src(&dinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&dinfo, TRUE);
    dinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&dinfo);
    std::vector<unsigned char> row(size.width * 3);
    while (dinfo.output_scanline < dinfo.output_height) {
        ArgbValue* to = pixels.data() + std::size_t{dinfo.output_scanline} * size.width;
        JSAMPROW rows[] = {row.data()};
        jpeg_read_scanlines(&dinfo, rows, 1);
        for (std::uint32_t x = 0; x < size.width; ++x)
            to[x] = 0xFF000000u | (ArgbValue{row[x * 3]} << 16) | (ArgbValue{row[x * 3 + 1]} << 8) | row[x * 3 + 2];
    }
    jpeg_finish_decompress(&dinfo);
    jpeg_destroy_decompress(&dinfo);
}

}  // namespace

TruthLayer DrawTruthLayer(TruthScene scene)
{
    TruthLayer layer;
    layer.name = SceneName(scene);
    const std::vector<Shape> shapes = ShapesOf(scene);
    std::vector<Shape> scratch;
    for (std::uint32_t y = 0; y < kTruthHeight; ++y) {
        for (std::uint32_t x = 0; x < kTruthWidth; ++x) {
            const Premultiplied p = PixelOf(shapes, x, y, scratch);
            layer.premultiplied.push_back({p.r, p.g, p.b, p.a});
        }
    }
    return layer;
}

TruthCase Flattened(const TruthLayer& layer, ArgbValue key)
{
    TruthCase c;
    char name[64];
    std::snprintf(name, sizeof name, "%s on %06X", layer.name.c_str(), static_cast<unsigned>(key));
    c.name = name;
    c.key = key;
    c.size = layer.size;
    const double kr = ChannelOf(key, 16), kg = ChannelOf(key, 8), kb = ChannelOf(key, 0);
    for (const std::array<double, 4>& p : layer.premultiplied) {
        const double r = p[0], g = p[1], b = p[2], a = p[3];
        const ArgbValue alpha = static_cast<ArgbValue>(std::lround(a * 255));
        const ArgbValue colour = a > 0 ? Rgb(r / a, g / a, b / a) : 0;
        c.truth.push_back((alpha << 24) | colour);
        c.input.push_back(0xFF000000u | Rgb(r + kr * (1 - a), g + kg * (1 - a), b + kb * (1 - a)));
    }
    MarkEnclosed(c);
    return c;
}

TruthCase DrawTruthCase(TruthScene scene, ArgbValue key) { return Flattened(DrawTruthLayer(scene), key); }

TruthCase AsJpeg(const TruthCase& truthCase, int quality, bool halfColour)
{
    TruthCase c = truthCase;
    c.name += " as JPEG q" + std::to_string(quality) + (halfColour ? " 4:2:0" : " 4:4:4");
    ReadJpeg(JpegOf(c.input, c.size, quality, halfColour), c.size, c.input);
    c.saved = PictureSaved::Lossy;
    return c;
}

ColourKeyOptions TruthOptions(const TruthCase& truthCase, std::uint32_t tolerance, bool connected, bool softShadows)
{
    ColourKeyOptions options;
    options.key = truthCase.key;
    options.tolerance = tolerance;
    options.connected = connected;
    options.area = WholeOf(truthCase.size);
    options.softShadows = softShadows;
    if (!truthCase.starts.empty()) {
        options.startX = truthCase.starts.front().x;
        options.startY = truthCase.starts.front().y;
        options.moreStarts.assign(truthCase.starts.begin() + 1, truthCase.starts.end());
    }
    return options;
}

ColourKeyOptions OpeningOptions(const TruthCase& truthCase, bool connected, bool softShadows)
{
    ColourKeyOptions options = TruthOptions(truthCase, kDefaultTolerance, connected, softShadows);
    const PixelRows rows{const_cast<ArgbValue*>(truthCase.input.data()),
                         static_cast<std::ptrdiff_t>(truthCase.size.width * sizeof(ArgbValue))};
    options.tolerance = StartingTolerance(rows, truthCase.size, truthCase.key, options.startX, options.startY,
                                          truthCase.saved);
    options.noisyPicture = options.tolerance > kDefaultTolerance;
    return options;
}

bool KeyedImage(const TruthCase& truthCase, const ColourKeyOptions& options, std::vector<ArgbValue>& keyed)
{
    keyed = truthCase.input;
    const ImageSize size = truthCase.size;
    PixelRows rows{keyed.data(), static_cast<std::ptrdiff_t>(size.width * sizeof(ArgbValue))};
    ColourKeyResult result;
    if (!MakeColourTransparent(rows, size, options, result))
        return false;
    const ImageRect& r = result.changed;
    for (std::uint32_t y = 0; y < r.height; ++y)
        std::copy_n(result.pixels.data() + std::size_t{y} * r.width, r.width, rows.Row(r.y + y) + r.x);
    return true;
}

TruthMeasures MeasureTruth(const TruthCase& c, const std::vector<ArgbValue>& keyed, bool connected)
{
    TruthMeasures m;
    const std::uint32_t w = c.size.width, h = c.size.height;
    std::vector<std::uint8_t> edge(c.truth.size());
    for (std::size_t i = 0; i < edge.size(); ++i)
        edge[i] = AlphaOf(c.truth[i]) < 255;
    const std::vector<int> fromEdge = DistancesTo(edge, w, h);
    const ArgbValue key = 0xFF000000u | c.key;
    for (std::size_t i = 0; i < c.truth.size(); ++i) {
        const ArgbValue truth = c.truth[i], result = keyed[i];
        const int truthAlpha = AlphaOf(truth), alpha = AlphaOf(result);
        if (!edge[i] && fromEdge[i] > kFarFromEdge && result != c.input[i])
            ++m.farInsideChanged;
        if (alpha > 0)
            m.worstOverKey = std::max(m.worstOverKey, OverDifference(result, c.input[i], key));
        if (connected && c.enclosed[i]) {
            m.enclosedChanged += result != c.input[i];
            continue;
        }
        if (!connected && c.hole[i] && alpha != 0)
            ++m.holeLeft;
        if (OverDifference(result, truth, 0) > kHaloLevels || OverDifference(result, truth, kMagenta) > kHaloLevels)
            ++m.halo;
        if (truthAlpha > 0 && truthAlpha < 255) {
            ++m.edgePixels;
            m.edgeAlphaClose += std::abs(alpha - truthAlpha) <= kEdgeAlphaLevels;
        }
        if (truthAlpha == 0 && alpha > kHaloLevels)
            ++m.backgroundAbove8;
    }
    return m;
}
