#pragma once
// A scanline fill over the colour work's mask, 4-connected, with a stack of bounded size: spans
// that do not fit are marked kPending and found again by sweeps of the mask, so it neither
// recurses nor grows with the image. Which pixels it may fill is the caller's. Pure C++.
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "key_mask.h"

// Fills the pixels that rule.Open(x, y, fromX, fromY, value) lets in, from a filled pixel next to
// them at (fromX, fromY), rule.Fill(value) marking each as filled (after which Open no longer lets
// it in). Each pixel is filled once, and each filled run looks at the rows next to it once.
// kPending must be clear before a fill; it is clear again after it.
template <typename FillRule>
class SpanFill {
public:
    SpanFill(KeyMask& mask, FillRule rule) : mask_(mask), rule_(rule) {}

    // False when there is no memory for the stack.
    bool Reserve()
    {
        try {
            stack_.reserve(kStackSpans);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    FillRule& Rule() { return rule_; }

    // Fills the pixels joined to (x, y), itself included when open.
    void FillFrom(std::uint32_t x, std::uint32_t y)
    {
        if (!IsOpen(x, y, x, y))
            return;
        FillRun(x, y);
        Drain();
        while (SweepPending()) {
        }
    }

private:
    // The spans the stack holds at most: enough for any ordinary shape, small beside an image.
    static constexpr std::size_t kStackSpans = std::size_t{1} << 16;

    // A filled run [left, right] of row y whose rows above and below are still to be looked at.
    struct Span {
        std::uint32_t y;
        std::uint32_t left;
        std::uint32_t right;
    };

    bool IsOpen(std::uint32_t x, std::uint32_t y, std::uint32_t fromX, std::uint32_t fromY)
    {
        return rule_.Open(x, y, fromX, fromY, mask_.Row(y)[x]);
    }

    // Fills the run of open pixels through (x, y); returns its last pixel's x.
    std::uint32_t FillRun(std::uint32_t x, std::uint32_t y)
    {
        std::uint32_t left = x;
        while (left > 0 && IsOpen(left - 1, y, left, y))
            --left;
        std::uint32_t right = x;
        while (right + 1 < mask_.width && IsOpen(right + 1, y, right, y))
            ++right;
        std::uint8_t* row = mask_.Row(y);
        for (std::uint32_t i = left; i <= right; ++i)
            rule_.Fill(row[i]);
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
        for (std::uint32_t x = span.left; x <= span.right; ++x) {
            if (IsOpen(x, y, x, span.y))
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

    KeyMask& mask_;
    FillRule rule_;
    bool pending_ = false;  // some run may be marked kPending
    std::vector<Span> stack_;
};
