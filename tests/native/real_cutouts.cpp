#include "real_cutouts.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kHighQuality = 90;
constexpr int kLowQuality = 75;
constexpr double kChannelMax = 255.0;
constexpr ArgbValue kAlphaBits = 0xFF000000u;

// The cut-outs kept as JPEGs as well: a mascot drawn with an outline, and a drawing with
// thin legs.
const char* const kJpegCutouts[] = {"penguin_outlined.png", "ladybird_legs.png"};

std::string CutoutPath(const std::string& file) { return std::string(TESSAREL_CUTOUTS) + "/" + file; }

}  // namespace

const std::vector<std::string>& CutoutFiles()
{
    static const std::vector<std::string> files = {
        "penguin_icon.png",  "penguin_outlined.png", "kiwi_photo.png", "ginger_photo.png",
        "ladybird_legs.png", "mushroom_sprite.png",  "sun_glow.png",   "chalk_strokes.png",
        "folder_shadow.png",
    };
    return files;
}

bool LoadCutout(const std::string& file, TruthLayer& layer)
{
    if (!LoadLayer(CutoutPath(file), layer))
        return false;
    layer.name = file.substr(0, file.find('.'));
    return true;
}

bool LoadLayer(const std::string& path, TruthLayer& layer)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    layer.name = path;
    layer.size = ImageSize{image.width, image.height};
    layer.premultiplied.clear();
    for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
        const double alpha = bytes[i + 3] / kChannelMax;
        layer.premultiplied.push_back({bytes[i] * alpha, bytes[i + 1] * alpha, bytes[i + 2] * alpha, alpha});
    }
    return true;
}

std::vector<TruthCase> RealCases()
{
    std::vector<TruthCase> cases;
    for (const std::string& file : CutoutFiles()) {
        TruthLayer layer;
        if (!LoadCutout(file, layer))
            continue;
        for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey})
            cases.push_back(Flattened(layer, key));
    }
    return cases;
}

TruthCase WithDecodedInside(TruthCase truthCase)
{
    for (std::size_t i = 0; i < truthCase.truth.size(); ++i) {
        if ((truthCase.truth[i] & kAlphaBits) == kAlphaBits)
            truthCase.truth[i] = truthCase.input[i];
    }
    return truthCase;
}

std::vector<TruthCase> RealJpegCases()
{
    std::vector<TruthCase> cases;
    for (const char* file : kJpegCutouts) {
        TruthLayer layer;
        if (!LoadCutout(file, layer))
            continue;
        const TruthCase lossless = Flattened(layer, kWhiteKey);
        for (const int quality : {kHighQuality, kLowQuality})
            cases.push_back(WithDecodedInside(AsJpeg(lossless, quality, true)));
    }
    return cases;
}

std::vector<ArgbValue> PlainFloodFill(const TruthCase& truthCase, std::uint32_t tolerance)
{
    std::vector<ArgbValue> out = truthCase.input;
    const std::uint32_t w = truthCase.size.width, h = truthCase.size.height;
    std::vector<std::uint8_t> seen(out.size(), 0);
    std::vector<std::size_t> stack;
    auto visit = [&](std::size_t i) {
        if (!seen[i] && ChannelDistance(truthCase.input[i], truthCase.key) <= tolerance) {
            seen[i] = 1;
            out[i] &= kColourBits;
            stack.push_back(i);
        }
    };
    const std::vector<ImagePoint> starts =
        truthCase.starts.empty() ? std::vector<ImagePoint>{ImagePoint{}} : truthCase.starts;
    for (const ImagePoint& start : starts) {
        visit(std::size_t{start.y} * w + start.x);
        while (!stack.empty()) {
            const std::size_t i = stack.back();
            stack.pop_back();
            const std::uint32_t x = i % w, y = i / w;
            if (x > 0)
                visit(i - 1);
            if (x + 1 < w)
                visit(i + 1);
            if (y > 0)
                visit(i - w);
            if (y + 1 < h)
                visit(i + w);
        }
    }
    return out;
}
