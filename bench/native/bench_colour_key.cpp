// The colour work measured: for each picture of known truth, the halo and the other measures
// of the result beside the halo a plain flood fill leaves here and the one measured of other
// tools' flood fills on pictures of that kind; then the time and the memory of
// the work on a 4000 × 3000 image (connected, clean edges; and as a JPEG), the median of several runs.
// Built natively, optimised, without sanitizers:
//   g++ -std=c++17 -O2 -Isrc/pixels -Itests/native bench/native/bench_colour_key.cpp
//       tests/native/key_truth.cpp src/pixels/colour_key.cpp src/pixels/key_fill.cpp
//       src/pixels/edge_unmix.cpp -ljpeg -o /tmp/bench_colour_key
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "colour_key.h"
#include "edge_unmix.h"
#include "key_truth.h"
#include "real_cutouts.h"

namespace {

constexpr std::uint32_t kBigWidth = 4000;
constexpr std::uint32_t kBigHeight = 3000;
constexpr int kRuns = 9;
constexpr std::uint32_t kTolerance = 8;  // about 3%, as the fills it is compared with
constexpr std::uint32_t kJpegTolerance = 40;
constexpr int kJpegQuality = 90;

// The replaced operator new and delete call malloc and free: the pairing is theirs, not the
// caller's, whatever the compiler sees once they are inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

// Bytes allocated now, and the most since the last reset: the work's own memory.
std::size_t g_allocated = 0;
std::size_t g_peak = 0;

}  // namespace

void* operator new(std::size_t size)
{
    void* block = std::malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    g_allocated += malloc_usable_size(block);
    g_peak = std::max(g_peak, g_allocated);
    return block;
}

void operator delete(void* pointer) noexcept
{
    if (!pointer)
        return;
    g_allocated -= malloc_usable_size(pointer);
    std::free(pointer);
}

void operator delete(void* pointer, std::size_t) noexcept { operator delete(pointer); }

namespace {

struct Row {
    TruthCase truthCase;
    std::uint32_t tolerance;
    bool connected;
    bool softShadows;
    const char* reference;  // what a flood fill with a 3% tolerance left, measured elsewhere
};

void PrintCase(const Row& row)
{
    std::vector<ArgbValue> keyed;
    const TruthCase& c = row.truthCase;
    KeyedImage(c, TruthOptions(c, row.tolerance, row.connected, row.softShadows), keyed);
    const TruthMeasures m = MeasureTruth(c, keyed, row.connected);
    ColourKeyOptions plain = TruthOptions(c, row.tolerance, row.connected, false);
    plain.cleanEdges = false;
    KeyedImage(c, plain, keyed);
    const TruthMeasures fill = MeasureTruth(c, keyed, row.connected);
    std::printf("%-34s T=%-3u %-10s%-7s halo %6zu (plain fill %6zu, reference %s)\n", c.name.c_str(),
                row.tolerance, row.connected ? "connected" : "everywhere", row.softShadows ? "+soft" : "",
                m.halo, fill.halo, row.reference);
    std::printf("    edge alpha within 8: %6.2f%% of %zu; changed far inside: %zu; enclosed changed: %zu; "
                "hole left: %zu; worst over K: %d; background above alpha 8: %zu\n",
                100.0 * m.EdgeAlphaShare(), m.edgePixels, m.farInsideChanged, m.enclosedChanged, m.holeLeft,
                m.worstOverKey, m.backgroundAbove8);
}

void PrintCases()
{
    const TruthCase logoWhite = DrawTruthCase(TruthScene::kLogo, kWhiteKey);
    const Row rows[] = {
        {logoWhite, kTolerance, true, false, "6,400-6,800"},
        {logoWhite, kTolerance, false, false, "-"},
        {DrawTruthCase(TruthScene::kLogo, kGreyKey), kTolerance, true, false, "6,400-6,800"},
        {DrawTruthCase(TruthScene::kLogo, kGreenKey), kTolerance, true, false, "6,400-6,800"},
        {DrawTruthCase(TruthScene::kStrokes, kWhiteKey), kTolerance, true, false, "6,900"},
        {DrawTruthCase(TruthScene::kStrokes, kGreyKey), kTolerance, true, false, "6,900"},
        {DrawTruthCase(TruthScene::kStrokes, kGreenKey), kTolerance, true, false, "6,900"},
        {DrawTruthCase(TruthScene::kThinLogo, kWhiteKey), kTolerance, true, false, "-"},
        {DrawTruthCase(TruthScene::kThinLogo, kGreyKey), kTolerance, true, false, "-"},
        {DrawTruthCase(TruthScene::kThinLogo, kGreenKey), kTolerance, true, false, "-"},
        {AsJpeg(logoWhite, kJpegQuality, false), kJpegTolerance, true, false, "10,700"},
        {AsJpeg(logoWhite, kJpegQuality, true), kJpegTolerance, true, false, "-"},
        {DrawTruthCase(TruthScene::kShadow, kWhiteKey), kTolerance, true, true, "43,000"},
        {DrawTruthCase(TruthScene::kShadow, kGreyKey), kTolerance, true, true, "43,000"},
        {DrawTruthCase(TruthScene::kShadow, kGreenKey), kTolerance, true, true, "43,000"},
    };
    for (const Row& row : rows)
        PrintCase(row);
}

// One real case as the dialog opens on it: the colour work with clean edges, and with soft
// fades, beside the plain flood fill with the same tolerance.
void PrintRealCase(const TruthCase& c)
{
    const ColourKeyOptions options = OpeningOptions(c, true, false);
    const std::uint32_t tolerance = options.tolerance;
    std::vector<ArgbValue> keyed;
    KeyedImage(c, options, keyed);
    const TruthMeasures clean = MeasureTruth(c, keyed, true);
    KeyedImage(c, OpeningOptions(c, true, true), keyed);
    const TruthMeasures soft = MeasureTruth(c, keyed, true);
    const TruthMeasures fill = MeasureTruth(c, PlainFloodFill(c, tolerance), true);
    const double share = fill.halo ? 100.0 * double(clean.halo) / double(fill.halo) : 0.0;
    std::printf("%-36s %4ux%-4u T=%-3u halo %6zu (%5.1f%% of fill %6zu) soft %6zu  bg>8 %4zu/%4zu/%4zu  "
                "inside changed %zu/%zu\n",
                c.name.c_str(), c.size.width, c.size.height, tolerance, clean.halo, share, fill.halo, soft.halo,
                clean.backgroundAbove8, soft.backgroundAbove8, fill.backgroundAbove8, clean.farInsideChanged,
                soft.farInsideChanged);
}

// For a lossy case, the halo that would be left were every alpha the truth's: with the
// decoded colour unmixed at it (what the picture's own noise leaves without smoothing it), and
// with the work's colour (what the work's alpha adds beyond it).
void PrintTrueAlphaHalo(const TruthCase& c)
{
    const ColourKeyOptions options = OpeningOptions(c, true, false);
    std::vector<ArgbValue> keyed;
    KeyedImage(c, options, keyed);
    std::vector<ArgbValue> decoded(c.truth.size()), workColour(c.truth.size());
    for (std::size_t i = 0; i < c.truth.size(); ++i) {
        const int alpha = static_cast<int>(c.truth[i] >> 24);
        decoded[i] = alpha ? Unmixed(c.input[i], c.key, alpha / 255.0) : 0u;
        workColour[i] = alpha && keyed[i] >> 24 ? (keyed[i] & 0xFFFFFFu) | (c.truth[i] & 0xFF000000u) : decoded[i];
    }
    std::printf("    with the truth's alpha: halo %zu with the decoded colour unmixed, %zu with the work's colour\n",
                MeasureTruth(c, decoded, true).halo, MeasureTruth(c, workColour, true).halo);
}

void PrintRealCases()
{
    std::printf("Real cut-outs as the dialog opens on them (its starting tolerance), connected from every "
                "part's start: halo with clean edges (share of the plain fill's), with soft fades; background "
                "above alpha 8 (clean/soft/fill); changed far inside (clean/soft)\n");
    for (const TruthCase& c : RealCases())
        PrintRealCase(c);
    for (const TruthCase& c : RealJpegCases()) {
        PrintRealCase(c);
        PrintTrueAlphaHalo(c);
    }
}

// A 4000 × 3000 image: the logo on white, repeated, so that it has many edges.
std::vector<ArgbValue> BigImage(const TruthCase& logo)
{
    std::vector<ArgbValue> pixels(std::size_t{kBigWidth} * kBigHeight);
    for (std::uint32_t y = 0; y < kBigHeight; ++y)
        for (std::uint32_t x = 0; x < kBigWidth; ++x)
            pixels[std::size_t{y} * kBigWidth + x] = logo.input[(y % kTruthHeight) * kTruthWidth + x % kTruthWidth];
    return pixels;
}

// The processor time this thread has used, in milliseconds: on a machine shared with other
// work the wall time also counts the waits for the processor.
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

// The wall and processor times of one run of the colour work, in milliseconds.
struct Times {
    double wall;
    double processor;
};

Times TimeOnce(const PixelRows& rows, const ColourKeyOptions& options, ColourKeyResult& result)
{
    const auto start = std::chrono::steady_clock::now();
    const double processor = ThreadMilliseconds();
    MakeColourTransparent(rows, ImageSize{kBigWidth, kBigHeight}, options, result);
    return Times{std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
                 ThreadMilliseconds() - processor};
}

// The colour work on the logo repeated, clean or as a JPEG of quality 90 (4:2:0) taken as
// noisy at the JPEG tolerance, with clean edges, and soft shadows too if asked.
void PrintSpeed(bool softShadows, bool jpeg)
{
    const TruthCase logo = DrawTruthCase(TruthScene::kLogo, kWhiteKey);
    std::vector<ArgbValue> pixels = BigImage(jpeg ? AsJpeg(logo, kJpegQuality, true) : logo);
    const PixelRows rows{pixels.data(), static_cast<std::ptrdiff_t>(kBigWidth * sizeof(ArgbValue))};
    ColourKeyOptions options;
    options.key = kWhiteKey;
    options.tolerance = jpeg ? kJpegTolerance : kTolerance;
    options.noisyPicture = jpeg;
    options.area = ImageRect{0, 0, kBigWidth, kBigHeight};
    options.softShadows = softShadows;
    std::vector<double> fresh, freshProcessor, reused, reusedProcessor;
    std::size_t extra = 0, resultBytes = 0;
    ColourKeyResult kept;
    for (int run = 0; run < kRuns; ++run) {
        ColourKeyResult result;
        const std::size_t before = g_allocated;
        g_peak = before;
        const Times first = TimeOnce(rows, options, result);
        fresh.push_back(first.wall), freshProcessor.push_back(first.processor);
        resultBytes = result.pixels.capacity() * sizeof(ArgbValue);
        extra = g_peak - before;
        // As a preview asks again with the same result: its memory is already there.
        const Times again = TimeOnce(rows, options, kept);
        reused.push_back(again.wall), reusedProcessor.push_back(again.processor);
    }
    const double pixelCount = double(kBigWidth) * kBigHeight;
    std::printf("4000 x 3000%s, connected, clean edges%s, median of %d runs:\n", jpeg ? " JPEG" : "",
                softShadows ? ", soft shadows" : "", kRuns);
    std::printf("    new result:    %.1f ms (processor %.1f ms)\n", Median(fresh), Median(freshProcessor));
    std::printf("    result reused: %.1f ms (processor %.1f ms)\n", Median(reused), Median(reusedProcessor));
    std::printf("    memory beyond the image: peak %.1f MB = result %.1f MB + %.2f bytes per pixel\n",
                extra / 1e6, resultBytes / 1e6, (double(extra) - double(resultBytes)) / pixelCount);
}

// Writing as many new pixels as the result holds into memory just allocated: what the
// machine takes for the result alone.
void PrintFloor()
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        std::vector<ArgbValue> pixels(std::size_t{kBigWidth} * kBigHeight, kOpaqueWhite);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::printf("for comparison, filling a new 4000 x 3000 buffer: %.1f ms\n", Median(times));
}

}  // namespace

int main()
{
    PrintCases();
    PrintRealCases();
    PrintFloor();
    PrintSpeed(false, false);
    PrintSpeed(true, false);
    PrintSpeed(false, true);
    PrintSpeed(true, true);
    return 0;
}
