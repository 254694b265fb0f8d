// Both edge tools measured on a folder of cut-outs nobody here drew or tuned for: every PNG
// in it (and its folders) with its own transparent background, flattened over white, mid grey
// and green, each image's own colour and alpha being the truth. For each case: the colour work
// with clean edges and with soft fades beside the plain flood fill, all at tolerance 8 from every
// part of the background, the pixels each changes far inside the subject, and 縁を整える on the
// fill's cut-out with the matte it finds; then the sums. A case whose plain fill itself runs into
// the subject (its key colour touches the background) is printed but left out of the sums.
//
//   bench_cutout_folder folder...      (an icon theme's 512-pixel folder is a good one)
//
// Built natively, optimised, without sanitizers (make bench-native).
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cutout_truth.h"
#include "real_cutouts.h"
#include "refine_edge.h"

namespace {

constexpr double kTenth = 0.1;

// Sums over the cases that count.
struct Totals {
    std::size_t cases = 0, fillLeaks = 0;
    std::size_t clean = 0, soft = 0, fill = 0, fringe = 0, refined = 0;
    std::size_t cleanWorse = 0, cleanTenth = 0, refinedWorse = 0, refinedTenth = 0;
    std::size_t cleanInsideCases = 0, cleanInside = 0, softInsideCases = 0, softInside = 0;
    std::size_t matteNotKey = 0;
};

std::vector<std::string> PngsIn(const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) && it->path().extension() == ".png")
            files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TruthMeasures Keyed(const TruthCase& c, bool softShadows)
{
    std::vector<ArgbValue> keyed;
    if (!KeyedImage(c, TruthOptions(c, kFloodTolerance, true, softShadows), keyed))
        keyed = c.input;
    return MeasureTruth(c, keyed, true);
}

void MeasureCase(const TruthCase& c, const std::string& name, Totals& totals)
{
    const TruthMeasures clean = Keyed(c, false), soft = Keyed(c, true);
    const TruthMeasures fill = MeasureTruth(c, PlainFloodFill(c, kFloodTolerance), true);
    CutoutCase cutout = FloodCutout(c);
    const PixelRows rows{cutout.cutout.data(), static_cast<std::ptrdiff_t>(c.size.width * sizeof(ArgbValue))};
    const ArgbValue matte = FindMatte(rows, c.size, WholeOf(c.size));
    const RefineEdgeOptions options = WholeCutout(cutout, matte);
    const std::size_t fringe = MeasureCutout(cutout, cutout.cutout, options.width).halo;
    const std::size_t refined = MeasureCutout(cutout, Refined(cutout, options), options.width).halo;
    const bool leaks = fill.farInsideChanged > 0;
    std::printf("%-36s %06X  clean %6zu  soft %6zu  fill %6zu  far inside %zu/%zu  |  refine %6zu -> %6zu  matte %06X%s\n",
                name.c_str(), c.key, clean.halo, soft.halo, fill.halo, clean.farInsideChanged, soft.farInsideChanged,
                fringe, refined, matte & kColourBits, leaks ? "  (the fill runs into the subject)" : "");
    if (leaks) {
        ++totals.fillLeaks;
        return;
    }
    ++totals.cases;
    totals.clean += clean.halo;
    totals.soft += soft.halo;
    totals.fill += fill.halo;
    totals.fringe += fringe;
    totals.refined += refined;
    totals.cleanWorse += clean.halo > fill.halo;
    totals.cleanTenth += clean.halo <= kTenth * fill.halo;
    totals.refinedWorse += refined > fringe;
    totals.refinedTenth += refined <= kTenth * fringe;
    totals.cleanInsideCases += clean.farInsideChanged > 0;
    totals.cleanInside += clean.farInsideChanged;
    totals.softInsideCases += soft.farInsideChanged > 0;
    totals.softInside += soft.farInsideChanged;
    totals.matteNotKey += (matte & kColourBits) != c.key;
}

// True when the layer has a transparent pixel and an opaque one: a cut-out.
bool IsCutout(const TruthLayer& layer)
{
    const auto alphaIs = [&layer](double alpha) {
        return std::any_of(layer.premultiplied.begin(), layer.premultiplied.end(),
                           [alpha](const std::array<double, 4>& pixel) { return pixel[3] == alpha; });
    };
    return alphaIs(0.0) && alphaIs(1.0);
}

void PrintTotals(const Totals& t)
{
    std::printf("\n%zu cases counted (%zu more where the plain fill runs into the subject):\n", t.cases, t.fillLeaks);
    std::printf("  halo summed: clean edges %zu, soft fades %zu, plain fill %zu\n", t.clean, t.soft, t.fill);
    std::printf("  clean edges: %zu cases with more halo than the fill, %zu within a tenth of it\n", t.cleanWorse,
                t.cleanTenth);
    std::printf("  changed far inside: clean edges %zu cases (%zu pixels), soft fades %zu cases (%zu pixels)\n",
                t.cleanInsideCases, t.cleanInside, t.softInsideCases, t.softInside);
    std::printf("  縁を整える: halo summed %zu -> %zu; %zu cases worse than the fringe, %zu within a tenth; "
                "matte not the key in %zu\n",
                t.fringe, t.refined, t.refinedWorse, t.refinedTenth, t.matteNotKey);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> folders(argv + 1, argv + argc);
    if (folders.empty())
        std::printf("bench_cutout_folder: give it folders of cut-outs (PNGs with a transparent background).\n");
    Totals totals;
    for (const std::string& folder : folders) {
        const std::vector<std::string> files = PngsIn(folder);
        if (files.empty()) {
            std::printf("No PNGs in %s: nothing to measure there.\n", folder.c_str());
            continue;
        }
        std::printf("Cut-outs in %s, tolerance 8, connected from every part of the background:\n", folder.c_str());
        for (const std::string& file : files) {
            TruthLayer layer;
            if (!LoadLayer(file, layer) || !IsCutout(layer))
                continue;
            const std::string name = std::filesystem::path(file).filename().string();
            for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey}) {
                const TruthCase c = Flattened(layer, key);
                if (!c.starts.empty())
                    MeasureCase(c, name, totals);
            }
        }
    }
    if (totals.cases + totals.fillLeaks > 0)
        PrintTotals(totals);
    return 0;
}
