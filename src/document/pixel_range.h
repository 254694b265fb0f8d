#pragma once
#include <cstdint>

// The editing range in image pixels, origin at the top-left pixel. The range is half-open:
// columns x-from … x-to − 1 and rows y-from … y-to − 1. Nothing orders the values or keeps
// them inside the image.
struct PixelRange {
    std::uint32_t xFrom = 0;
    std::uint32_t yFrom = 0;
    std::uint32_t xTo = 0;
    std::uint32_t yTo = 0;
};

// Which of the four range values a tool panel field holds.
enum class RangeValue { XFrom, YFrom, XTo, YTo };

// Colour of the range outline; only read while the outline is shown.
enum class RangePenMode : std::int32_t { None = 0, White = 1, Black = 2 };
