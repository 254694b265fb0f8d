#include "cutout_truth.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kChannelMax = 255;

int Channel(ArgbValue value, int shift) { return static_cast<int>((value >> shift) & 0xFFu); }

bool NearKey(ArgbValue value, ArgbValue key, std::uint32_t tolerance)
{
    for (const int shift : {16, 8, 0})
        if (static_cast<std::uint32_t>(std::abs(Channel(value, shift) - Channel(key, shift))) > tolerance)
            return false;
    return true;
}

// The 8-neighbour distance of each pixel to the nearest of alpha 0, capped at cap: a pass
// from the top-left and one from the bottom-right, each over the neighbours already seen.
std::vector<std::uint32_t> DistancesToClear(const std::vector<ArgbValue>& pixels, ImageSize size, std::uint32_t cap)
{
    const long w = size.width, h = size.height;
    std::vector<std::uint32_t> d(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i)
        d[i] = pixels[i] >> 24 ? cap : 0;
    auto relax = [&](long x, long y, long dx, long dy) {
        const long nx = x + dx, ny = y + dy;
        if (nx >= 0 && ny >= 0 && nx < w && ny < h)
            d[y * w + x] = std::min(d[y * w + x], d[ny * w + nx] + 1);
    };
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            relax(x, y, -1, 0), relax(x, y, -1, -1), relax(x, y, 0, -1), relax(x, y, 1, -1);
    for (long y = h; y-- > 0;)
        for (long x = w; x-- > 0;)
            relax(x, y, 1, 0), relax(x, y, 1, 1), relax(x, y, 0, 1), relax(x, y, -1, 1);
    return d;
}

}  // namespace

CutoutCase FloodCutout(const TruthCase& truthCase, std::uint32_t tolerance)
{
    CutoutCase c{truthCase, truthCase.input};
    const std::uint32_t w = truthCase.size.width, h = truthCase.size.height;
    std::vector<std::uint8_t> filled(c.cutout.size(), 0);
    std::vector<std::size_t> stack;
    auto visit = [&](std::size_t i) {
        if (!filled[i] && NearKey(truthCase.input[i], truthCase.key, tolerance)) {
            filled[i] = 1;
            stack.push_back(i);
        }
    };
    for (std::size_t start = 0; start < c.cutout.size(); ++start) {
        if (truthCase.truth[start] >> 24)
            continue;
        visit(start);
        while (!stack.empty()) {
            const std::size_t i = stack.back();
            stack.pop_back();
            const std::uint32_t x = i % w, y = static_cast<std::uint32_t>(i / w);
            if (x > 0) visit(i - 1);
            if (x + 1 < w) visit(i + 1);
            if (y > 0) visit(i - w);
            if (y + 1 < h) visit(i + w);
        }
    }
    for (std::size_t i = 0; i < filled.size(); ++i)
        if (filled[i])
            c.cutout[i] &= kColourBits;
    return c;
}

CutoutCase WipedCutout(CutoutCase cutout, ArgbValue wiped)
{
    for (ArgbValue& pixel : cutout.cutout)
        if (pixel >> 24 == 0)
            pixel = wiped;
    return cutout;
}

CutoutCase RemoverCutout(const TruthCase& truthCase)
{
    CutoutCase cutout{truthCase, truthCase.input};
    for (std::size_t i = 0; i < cutout.cutout.size(); ++i)
        cutout.cutout[i] = (truthCase.input[i] & kColourBits) | (truthCase.truth[i] & ~kColourBits);
    return cutout;
}

CutoutCase FeatheredCutout(const TruthCase& truthCase)
{
    CutoutCase feathered = FloodCutout(truthCase);
    const std::vector<ArgbValue>& cut = feathered.cutout;
    std::vector<ArgbValue> out = cut;
    const std::int64_t width = truthCase.size.width, height = truthCase.size.height;
    for (std::int64_t y = 0; y < height; ++y) {
        for (std::int64_t x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * width + x);
            if (cut[i] >> 24)
                continue;
            std::int64_t nearest = 3;  // chessboard distance to a pixel the fill left, up to 2
            for (std::int64_t j = std::max<std::int64_t>(0, y - 2); j <= std::min(height - 1, y + 2); ++j)
                for (std::int64_t k = std::max<std::int64_t>(0, x - 2); k <= std::min(width - 1, x + 2); ++k)
                    if (cut[static_cast<std::size_t>(j * width + k)] >> 24)
                        nearest = std::min(nearest, std::max(std::abs(j - y), std::abs(k - x)));
            if (nearest <= 2)
                out[i] = (cut[i] & kColourBits) | ((nearest == 1 ? kFeatherNear : kFeatherFar) << 24);
        }
    }
    feathered.cutout = out;
    return feathered;
}

std::vector<ArgbValue> RemoveMatte(const std::vector<ArgbValue>& pixels, ArgbValue matte)
{
    std::vector<ArgbValue> out = pixels;
    for (ArgbValue& pixel : out) {
        const int alpha = static_cast<int>(pixel >> 24);
        if (alpha == 0 || alpha == kChannelMax)
            continue;
        const double a = alpha / double(kChannelMax);
        ArgbValue colour = 0;
        for (const int shift : {16, 8, 0}) {
            const double f = (Channel(pixel, shift) - (1 - a) * Channel(matte, shift)) / a;
            colour |= static_cast<ArgbValue>(std::clamp<long>(std::lround(f), 0, kChannelMax)) << shift;
        }
        pixel = (pixel & 0xFF000000u) | colour;
    }
    return out;
}

RefineEdgeOptions WholeCutout(const CutoutCase& cutout, ArgbValue matte)
{
    RefineEdgeOptions options;
    options.matte = matte;
    options.area = WholeOf(cutout.truthCase.size);
    return options;
}

std::vector<ArgbValue> Refined(const CutoutCase& cutout, const RefineEdgeOptions& options)
{
    std::vector<ArgbValue> pixels = cutout.cutout;
    const ImageSize size = cutout.truthCase.size;
    const PixelRows rows{pixels.data(), static_cast<std::ptrdiff_t>(size.width * sizeof(ArgbValue))};
    ColourKeyResult result;
    if (!RefineEdge(rows, size, options, result))
        return {};
    const ImageRect& r = result.changed;
    for (std::uint32_t y = 0; y < r.height; ++y)
        std::copy_n(result.pixels.data() + std::size_t{y} * r.width, r.width, rows.Row(r.y + y) + r.x);
    return pixels;
}

CutoutMeasures MeasureCutout(const CutoutCase& cutout, const std::vector<ArgbValue>& result, std::uint32_t reach)
{
    CutoutMeasures m;
    m.halo = MeasureTruth(cutout.truthCase, result, false).halo;
    const std::vector<std::uint32_t> d = DistancesToClear(cutout.cutout, cutout.truthCase.size, reach + 1);
    for (std::size_t i = 0; i < result.size(); ++i) {
        m.insideChanged += d[i] > reach && result[i] != cutout.cutout[i];
        m.backgroundGained += (cutout.cutout[i] >> 24) == 0 && (result[i] >> 24) != 0;
    }
    return m;
}
