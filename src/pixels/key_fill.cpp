#include <algorithm>
#include <new>
#include <vector>

#include "key_mask.h"

namespace {

// The spans the stack holds at most: enough for any ordinary shape, small beside an image.
constexpr std::size_t kStackSpans = std::size_t{1} << 16;

// A filled run [left, right] of row y whose rows above and below are still to be looked at.
struct Span {
    std::uint32_t y;
    std::uint32_t left;
    std::uint32_t right;
};

// A scanline fill over the mask: each pixel is filled once, and each filled run looks at the
// rows next to it once.
class SpanFill {
public:
    SpanFill(KeyMask& mask, std::uint8_t candidate, std::uint8_t filled, bool pending)
        : mask_(mask), candidate_(candidate), filled_(filled), pending_(pending)
    {
    }

    bool Reserve()
    {
        try {
            stack_.reserve(kStackSpans);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    void Seed(std::uint32_t x, std::uint32_t y)
    {
        if (Open(mask_.Row(y)[x])) {
            FillRun(x, y);
            Drain();
        }
    }

    // Looks at the neighbours of every pending run; true when there was one.
    bool SweepPending()
    {
        // A sweep costs a pass over the mask: only when some run was left pending.
        if (!pending_)
            return false;
        pending_ = false;
        bool found = false;
        for (std::uint32_t y = 0; y < mask_.height; ++y) {
            std::uint8_t* row = mask_.Row(y);
            for (std::uint32_t x = 0; x < mask_.width; ++x) {
                if (!(row[x] & kPending))
                    continue;
                Span span{y, x, x};
                while (span.right + 1 < mask_.width && (row[span.right + 1] & kPending))
                    ++span.right;
                for (std::uint32_t i = span.left; i <= span.right; ++i)
                    row[i] = static_cast<std::uint8_t>(row[i] & ~kPending);
                LookAround(span);
                Drain();
                found = true;
                x = span.right;
            }
        }
        return found;
    }

private:
    bool Open(std::uint8_t value) const noexcept { return (value & candidate_) && !(value & filled_); }

    // Fills the run of open pixels through (x, y); returns its last pixel's x.
    std::uint32_t FillRun(std::uint32_t x, std::uint32_t y)
    {
        std::uint8_t* row = mask_.Row(y);
        std::uint32_t left = x;
        while (left > 0 && Open(row[left - 1]))
            --left;
        std::uint32_t right = x;
        while (right + 1 < mask_.width && Open(row[right + 1]))
            ++right;
        for (std::uint32_t i = left; i <= right; ++i)
            row[i] |= filled_;
        Push(Span{y, left, right});
        return right;
    }

    void Push(const Span& span)
    {
        if (stack_.size() < kStackSpans) {
            stack_.push_back(span);
            return;
        }
        // No room: the run itself remembers that its neighbours are still to be seen.
        std::uint8_t* row = mask_.Row(span.y);
        for (std::uint32_t i = span.left; i <= span.right; ++i)
            row[i] |= kPending;
        pending_ = true;
    }

    void ScanRow(const Span& span, std::uint32_t y)
    {
        const std::uint8_t* row = mask_.Row(y);
        for (std::uint32_t x = span.left; x <= span.right; ++x) {
            if (Open(row[x]))
                x = FillRun(x, y);
        }
    }

    void LookAround(const Span& span)
    {
        if (span.y > 0)
            ScanRow(span, span.y - 1);
        if (span.y + 1 < mask_.height)
            ScanRow(span, span.y + 1);
    }

    void Drain()
    {
        while (!stack_.empty()) {
            const Span span = stack_.back();
            stack_.pop_back();
            LookAround(span);
        }
    }

    KeyMask& mask_;
    std::uint8_t candidate_;
    std::uint8_t filled_;
    bool pending_;  // some run may be marked kPending
    std::vector<Span> stack_;
};

// Each pixel's distance along its row to the nearest background pixel, capped at cap.
void RowDistances(const std::uint8_t* row, std::uint32_t width, std::uint8_t cap, std::uint8_t* out)
{
    std::uint8_t distance = cap;
    for (std::uint32_t x = 0; x < width; ++x) {
        distance = (row[x] & kBackground) ? 0 : static_cast<std::uint8_t>(std::min<int>(cap, distance + 1));
        out[x] = distance;
    }
    distance = cap;
    for (std::uint32_t x = width; x-- > 0;) {
        distance = (row[x] & kBackground) ? 0 : static_cast<std::uint8_t>(std::min<int>(cap, distance + 1));
        out[x] = std::min(out[x], distance);
    }
}

// The 8-neighbour distance is the smallest over the rows k apart of the larger of k and the
// distance along that row, so the rows' distances are kept for the 2·cap + 1 rows around
// the one being written, in a ring.
class DistanceRows {
public:
    DistanceRows(const KeyMask& mask, std::uint8_t cap)
        : mask_(mask), cap_(cap), rows_(std::size_t{2} * cap + 1), ring_(rows_.size() * mask.width)
    {
    }

    const std::uint8_t* Along(std::uint32_t y)
    {
        std::uint8_t* row = ring_.data() + std::size_t{y % rows_.size()} * mask_.width;
        if (rows_[y % rows_.size()] != y + 1) {
            RowDistances(mask_.Row(y), mask_.width, cap_, row);
            rows_[y % rows_.size()] = y + 1;
        }
        return row;
    }

private:
    const KeyMask& mask_;
    std::uint8_t cap_;
    std::vector<std::uint32_t> rows_;  // per ring slot: the row it holds, plus one (0: none)
    std::vector<std::uint8_t> ring_;
};

// Lowers distances to the larger of step and the row distances of along.
void NearerBy(std::uint8_t* distances, const std::uint8_t* along, std::uint32_t width, std::uint8_t step)
{
    for (std::uint32_t x = 0; x < width; ++x)
        distances[x] = std::min(distances[x], std::max(step, along[x]));
}

}  // namespace

bool FillFrom(KeyMask& mask, std::uint32_t x, std::uint32_t y, std::uint8_t candidate, std::uint8_t filled)
{
    SpanFill fill(mask, candidate, filled, false);
    if (!fill.Reserve())
        return false;
    fill.Seed(x, y);
    while (fill.SweepPending()) {
    }
    return true;
}

bool FillFromPending(KeyMask& mask, std::uint8_t candidate, std::uint8_t filled)
{
    SpanFill fill(mask, candidate, filled, true);
    if (!fill.Reserve())
        return false;
    while (fill.SweepPending()) {
    }
    return true;
}

bool MeasureDistances(KeyMask& mask, std::uint8_t cap)
{
    try {
        DistanceRows along(mask, cap);
        std::vector<std::uint8_t> distances(mask.width);
        for (std::uint32_t y = 0; y < mask.height; ++y) {
            const std::uint8_t* own = along.Along(y);
            std::copy(own, own + mask.width, distances.data());
            for (std::uint8_t step = 1; step <= cap; ++step) {
                if (y >= step)
                    NearerBy(distances.data(), along.Along(y - step), mask.width, step);
                if (y + step < mask.height)
                    NearerBy(distances.data(), along.Along(y + step), mask.width, step);
            }
            std::uint8_t* row = mask.Row(y);
            for (std::uint32_t x = 0; x < mask.width; ++x)
                row[x] = static_cast<std::uint8_t>((row[x] & kFlagBits) | (distances[x] << kDistanceShift));
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
