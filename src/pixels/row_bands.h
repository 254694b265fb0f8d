#pragma once
// Work over an image's rows spread across the machine's processors: each band of rows on a
// thread of its own, the calling thread taking one. Pure C++.
#include <cstdint>
#include <functional>

// The work on one band of rows [top, bottom): false when it failed (no memory). It must not
// throw, since it may run on a thread of its own.
using RowBandWork = std::function<bool(std::uint32_t top, std::uint32_t bottom)>;

// Runs work once for each band of [0, rows), the bands at the same time on up to as many
// threads as the machine has processors. The bands' work may share memory only to read it.
// A few rows, or a thread that cannot start, run on the calling thread. True when every
// band's work was.
bool ForEachRowBand(std::uint32_t rows, const RowBandWork& work);

// As ForEachRowBand, for work that reads and writes rows up to reach rows beyond its own
// band: the bands run in two waves, every other band in each, so that no two bands at work
// at once come within reach of each other.
bool ForEachRowBandApart(std::uint32_t rows, std::uint32_t reach, const RowBandWork& work);
