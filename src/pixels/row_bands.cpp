#include "row_bands.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Fewer rows than this in a band cost more to hand to a thread than they take to work.
constexpr std::uint32_t kFewestBandRows = 64;
constexpr unsigned kMostThreads = 8;

struct Band {
    std::uint32_t top;
    std::uint32_t bottom;
};

unsigned Processors()
{
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMostThreads);
}

// [0, rows) cut into at most count bands of at least fewest rows each.
std::vector<Band> CutRows(std::uint32_t rows, unsigned count, std::uint32_t fewest)
{
    const std::uint32_t most = std::max<std::uint32_t>(1, rows / std::max<std::uint32_t>(fewest, 1));
    count = std::clamp<unsigned>(count, 1, most);
    const std::uint32_t height = (rows + count - 1) / count;
    std::vector<Band> bands;
    for (std::uint32_t top = 0; top < rows; top += height)
        bands.push_back(Band{top, std::min(rows, top + height)});
    return bands;
}

// Runs the bands one after another here.
bool RunHere(const std::vector<Band>& bands, const RowBandWork& work)
{
    bool ok = true;
    for (const Band& band : bands)
        ok = work(band.top, band.bottom) && ok;
    return ok;
}

// Runs the bands at once: every one but the first on a thread of its own, the first here.
// Never throws: without memory for the threads' list, the bands run here.
bool RunTogether(const std::vector<Band>& bands, const RowBandWork& work)
{
    if (bands.empty())
        return true;
    std::vector<char> done;  // char: each thread writes its own element
    std::vector<std::thread> threads;
    try {
        done.assign(bands.size(), 0);
        threads.reserve(bands.size());
    } catch (const std::bad_alloc&) {
        return RunHere(bands, work);
    }
    for (std::size_t i = 1; i < bands.size(); ++i) {
        auto run = [&work, &done, &bands, i] { done[i] = work(bands[i].top, bands[i].bottom); };
        try {
            threads.emplace_back(run);
        } catch (const std::system_error&) {
            run();
        }
    }
    done[0] = work(bands[0].top, bands[0].bottom);
    for (std::thread& thread : threads)
        thread.join();
    return std::all_of(done.begin(), done.end(), [](char ok) { return ok != 0; });
}

}  // namespace

bool ForEachRowBand(std::uint32_t rows, const RowBandWork& work)
{
    std::vector<Band> bands;
    try {
        bands = CutRows(rows, Processors(), kFewestBandRows);
    } catch (const std::bad_alloc&) {
        return work(0, rows);
    }
    return RunTogether(bands, work);
}

bool ForEachRowBandApart(std::uint32_t rows, std::uint32_t reach, const RowBandWork& work)
{
    // Two bands of a wave are a whole band apart: at least reach rows.
    std::vector<Band> waves[2];
    try {
        const std::vector<Band> bands = CutRows(rows, 2 * Processors(), std::max(kFewestBandRows, reach));
        for (std::size_t i = 0; i < bands.size(); ++i)
            waves[i % 2].push_back(bands[i]);
    } catch (const std::bad_alloc&) {
        return work(0, rows);
    }
    const bool first = RunTogether(waves[0], work);
    return RunTogether(waves[1], work) && first;
}
