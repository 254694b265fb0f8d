#include <algorithm>
#include <array>
#include <new>
#include <vector>

#include "key_mask.h"
#include "row_bands.h"
#include "span_fill.h"

namespace {

constexpr std::uint8_t kAllBits = 0xFF;
constexpr std::size_t kWordBytes = sizeof(std::uint64_t);
constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;  // times a byte: that byte in each

// Fills the pixels marked candidate, marking them filled.
struct BitFill {
    std::uint8_t candidate;
    std::uint8_t filled;

    bool Open(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint8_t value) const
    {
        return (value & candidate) && !(value & filled);
    }
    void Fill(std::uint8_t& value) const { value |= filled; }
};

// Each pixel's reach along its row as a byte of bits: bit k set when the background is
// within k pixels of it along the row (bits from cap on are left to be ignored).
void RowReach(const std::uint8_t* row, std::uint32_t width, std::uint8_t cap, std::uint8_t* out)
{
    std::uint8_t distance = cap;
    for (std::uint32_t x = 0; x < width; ++x) {
        distance = (row[x] & kBackground) ? 0 : static_cast<std::uint8_t>(std::min<int>(cap, distance + 1));
        out[x] = distance;
    }
    distance = cap;
    for (std::uint32_t x = width; x-- > 0;) {
        distance = (row[x] & kBackground) ? 0 : static_cast<std::uint8_t>(std::min<int>(cap, distance + 1));
        out[x] = static_cast<std::uint8_t>(kAllBits << std::min(out[x], distance));
    }
}

// The reach of the rows within cap of the one being written, kept in a ring. The rows are
// padded to whole words, which are combined eight pixels at a time.
class ReachRows {
public:
    ReachRows(const KeyMask& mask, std::uint8_t cap)
        : mask_(mask),
          cap_(cap),
          words_((mask.width + kWordBytes - 1) / kWordBytes),
          rows_(std::size_t{2} * cap + 1),
          ring_(rows_.size() * words_)
    {
    }

    std::size_t Words() const { return words_; }

    const std::uint64_t* Along(std::uint32_t y)
    {
        const std::size_t slot = y % rows_.size();
        std::uint64_t* row = ring_.data() + slot * words_;
        if (rows_[slot] != y + 1) {
            row[words_ - 1] = 0;
            RowReach(mask_.Row(y), mask_.width, cap_, reinterpret_cast<std::uint8_t*>(row));
            rows_[slot] = y + 1;
        }
        return row;
    }

private:
    const KeyMask& mask_;
    std::uint8_t cap_;
    std::size_t words_;
    std::vector<std::uint32_t> rows_;  // per ring slot: the row it holds, plus one (0: none)
    std::vector<std::uint64_t> ring_;
};

// Adds to reach the reach of a row step rows away: only its bits from step on count.
void AddReach(std::uint64_t* reach, const std::uint64_t* along, std::size_t words, std::uint8_t step)
{
    const std::uint64_t bits = kEveryByte * static_cast<std::uint8_t>(kAllBits << step);
    for (std::size_t i = 0; i < words; ++i)
        reach[i] |= along[i] & bits;
}

// The lowest bit set of each byte, or cap when none is set below it.
std::array<std::uint8_t, 256> LowestBits(std::uint8_t cap)
{
    std::array<std::uint8_t, 256> lowest{};
    for (unsigned value = 0; value < lowest.size(); ++value) {
        std::uint8_t bit = 0;
        while (bit < cap && !(value & (1u << bit)))
            ++bit;
        lowest[value] = bit;
    }
    return lowest;
}

// Writes the distances of rows [top, bottom); false when there is no memory for its rows.
bool MeasureBand(KeyMask& mask, std::uint8_t cap, std::uint32_t top, std::uint32_t bottom) noexcept
{
    try {
        ReachRows along(mask, cap);
        const std::array<std::uint8_t, 256> lowest = LowestBits(cap);
        std::vector<std::uint64_t> reach(along.Words());
        for (std::uint32_t y = top; y < bottom; ++y) {
            const std::uint64_t* own = along.Along(y);
            std::copy(own, own + reach.size(), reach.data());
            for (std::uint8_t step = 1; step < cap; ++step) {
                if (y >= step)
                    AddReach(reach.data(), along.Along(y - step), reach.size(), step);
                if (y + step < mask.height)
                    AddReach(reach.data(), along.Along(y + step), reach.size(), step);
            }
            const std::uint8_t* bytes = reinterpret_cast<const std::uint8_t*>(reach.data());
            std::uint8_t* row = mask.Row(y);
            for (std::uint32_t x = 0; x < mask.width; ++x)
                row[x] = static_cast<std::uint8_t>((row[x] & kFlagBits) | (lowest[bytes[x]] << kDistanceShift));
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace

bool FillFrom(KeyMask& mask, std::uint32_t x, std::uint32_t y, std::uint8_t candidate, std::uint8_t filled)
{
    SpanFill<BitFill> fill(mask, BitFill{candidate, filled});
    if (!fill.Reserve())
        return false;
    fill.FillFrom(x, y);
    return true;
}

bool MeasureDistances(KeyMask& mask, std::uint8_t cap)
{
    // A band reads the rows up to cap − 1 beyond it and writes only its own.
    return ForEachRowBandApart(mask.height, cap, [&mask, cap](std::uint32_t top, std::uint32_t bottom) {
        return MeasureBand(mask, cap, top, bottom);
    });
}
