// The edge work measured: for each bad cut-out of known truth (a plain flood fill with a 3%
// tolerance from every part of the background of a picture flattened on a key), the drawn
// ones and the real ones, the matte found (also with the transparent pixels' colour wiped),
// and the halo before, after the edge work with that matte, after the known "remove matte"
// formula with the same matte, and after the edge work with the key itself as the matte; the
// real ones also as an automatic remover and a feathered fill leave them, beside the formula;
// then the time of the work and of the matte's search on a 4000 × 3000 cut-out, the median of
// several runs. Built natively, optimised, without sanitizers (make bench-native).
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "cutout_truth.h"
#include "real_cutouts.h"
#include "refine_edge.h"

namespace {

constexpr std::uint32_t kBigWidth = 4000;
constexpr std::uint32_t kBigHeight = 3000;
constexpr int kRuns = 9;

PixelRows RowsOf(std::vector<ArgbValue>& pixels, std::uint32_t width)
{
    return PixelRows{pixels.data(), static_cast<std::ptrdiff_t>(width * sizeof(ArgbValue))};
}

void PrintCase(const TruthCase& truthCase)
{
    CutoutCase cutout = FloodCutout(truthCase);
    const ImageSize size = truthCase.size;
    const ArgbValue matte = FindMatte(RowsOf(cutout.cutout, size.width), size, WholeOf(size));
    const RefineEdgeOptions options = WholeCutout(cutout, matte);
    const CutoutMeasures before = MeasureCutout(cutout, cutout.cutout, options.width);
    const CutoutMeasures after = MeasureCutout(cutout, Refined(cutout, options), options.width);
    const CutoutMeasures formula = MeasureCutout(cutout, RemoveMatte(cutout.cutout, matte), options.width);
    const CutoutMeasures keyed = MeasureCutout(cutout, Refined(cutout, WholeCutout(cutout, truthCase.key)), options.width);
    // The transparent pixels' colour wiped, as many writers of PNGs do: the matte from the edge alone.
    for (ArgbValue& pixel : cutout.cutout)
        pixel = pixel >> 24 ? pixel : 0;
    const ArgbValue wiped = FindMatte(RowsOf(cutout.cutout, size.width), size, WholeOf(size));
    std::printf("%-34s matte %06X (wiped %06X)  halo before %6zu  after %5zu (%5.1f%%)  remove-matte formula %6zu"
                "  inside changed %zu  background gained %zu  with the key %zu\n",
                truthCase.name.c_str(), matte & 0xFFFFFFu, wiped & 0xFFFFFFu, before.halo, after.halo,
                before.halo ? 100.0 * after.halo / before.halo : 0.0, formula.halo, after.insideChanged,
                after.backgroundGained, keyed.halo);
}

void PrintCases()
{
    for (const TruthScene scene : {TruthScene::kLogo, TruthScene::kStrokes, TruthScene::kShadow}) {
        const TruthLayer layer = DrawTruthLayer(scene);
        for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey})
            PrintCase(Flattened(layer, key));
    }
    for (const TruthCase& real : RealCases())
        PrintCase(real);
}

// The real cut-outs as an automatic remover leaves them (the truth's alpha, the flattened
// picture's colour), where the "remove matte" formula is exact, and as a feathered fill
// leaves them: the halo as they came, after the edge work with the matte found, and after the
// formula.
void PrintSoftCases(const char* heading, CutoutCase (*make)(const TruthCase&))
{
    std::printf("%s\n", heading);
    for (const TruthCase& real : RealCases()) {
        CutoutCase cutout = make(real);
        const ImageSize size = real.size;
        const ArgbValue matte = FindMatte(RowsOf(cutout.cutout, size.width), size, WholeOf(size));
        const RefineEdgeOptions options = WholeCutout(cutout, matte);
        std::printf("%-34s matte %06X  halo as it came %6zu  after %6zu  remove-matte formula %6zu\n",
                    real.name.c_str(), matte & 0xFFFFFFu, MeasureCutout(cutout, cutout.cutout, options.width).halo,
                    MeasureCutout(cutout, Refined(cutout, options), options.width).halo,
                    MeasureCutout(cutout, RemoveMatte(cutout.cutout, matte), options.width).halo);
    }
}

// A 4000 × 3000 cut-out: the logo's bad cut-out on white, repeated, so that it has many edges.
std::vector<ArgbValue> BigCutout()
{
    const CutoutCase logo = FloodCutout(DrawTruthCase(TruthScene::kLogo, kWhiteKey));
    std::vector<ArgbValue> pixels(std::size_t{kBigWidth} * kBigHeight);
    for (std::uint32_t y = 0; y < kBigHeight; ++y)
        for (std::uint32_t x = 0; x < kBigWidth; ++x)
            pixels[std::size_t{y} * kBigWidth + x] = logo.cutout[(y % kTruthHeight) * kTruthWidth + x % kTruthWidth];
    return pixels;
}

double ThreadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs work kRuns times; prints the median wall and processor times.
template <typename Work>
void PrintTimes(const char* what, Work work)
{
    std::vector<double> wall, processor;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const double used = ThreadMilliseconds();
        work();
        processor.push_back(ThreadMilliseconds() - used);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::printf("    %-28s %6.1f ms (processor %.1f ms)\n", what, Median(wall), Median(processor));
}

void PrintSpeed()
{
    std::vector<ArgbValue> pixels = BigCutout();
    const PixelRows rows = RowsOf(pixels, kBigWidth);
    const ImageSize size{kBigWidth, kBigHeight};
    RefineEdgeOptions options;
    options.area = WholeOf(size);
    ColourKeyResult kept;
    std::printf("4000 x 3000 cut-out, median of %d runs:\n", kRuns);
    PrintTimes("has transparency", [&] { HasTransparency(rows, size); });
    PrintTimes("find the matte", [&] { options.matte = FindMatte(rows, size, options.area); });
    PrintTimes("edge work, new result", [&] {
        ColourKeyResult result;
        RefineEdge(rows, size, options, result);
    });
    PrintTimes("edge work, result reused", [&] { RefineEdge(rows, size, options, kept); });
    options.width = kLargestEdgeWidth;
    options.shrink = kLargestEdgeShrink;
    PrintTimes("widest edge, most shrink", [&] { RefineEdge(rows, size, options, kept); });
    std::printf("    matte found %06X; changed %u x %u\n", options.matte & 0xFFFFFFu, kept.changed.width,
                kept.changed.height);
}

}  // namespace

int main()
{
    PrintCases();
    PrintSoftCases("As an automatic remover leaves them:", RemoverCutout);
    PrintSoftCases("As a feathered fill leaves them:", FeatheredCutout);
    PrintSpeed();
    return 0;
}
