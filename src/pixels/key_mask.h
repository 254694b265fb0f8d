#pragma once
// The colour work's one byte per pixel of the area: flags in the low five bits, and in the
// high three the distance (8-neighbour) to the background, capped. Pure C++.
#include <cstdint>
#include <vector>

#include "pixel_rows.h"
#include "pixel_vector.h"

constexpr std::uint8_t kNearKey = 0x01;     // within the tolerance of the key
constexpr std::uint8_t kBackground = 0x02;  // made transparent
constexpr std::uint8_t kPending = 0x04;     // filled, its neighbours not yet looked at
constexpr std::uint8_t kFade = 0x08;        // a fade into the background (soft shadows)
constexpr std::uint8_t kBody = 0x10;        // a light subject's body, which no fade enters (soft shadows)
constexpr std::uint8_t kFlagBits = 0x1F;
constexpr int kDistanceShift = 5;
constexpr std::uint8_t kFarthestDistance = 7;  // the cap of the stored distance: 7 or more

// The mask of an area of width × height pixels, row by row.
struct KeyMask {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ByteVector bytes;  // width × height; every byte is written before it is read

    std::uint8_t* Row(std::uint32_t y) noexcept { return bytes.data() + std::size_t{y} * width; }
    const std::uint8_t* Row(std::uint32_t y) const noexcept { return bytes.data() + std::size_t{y} * width; }
    static std::uint8_t Distance(std::uint8_t value) noexcept { return value >> kDistanceShift; }
};

// Fills, 4-connected from (x, y), the pixels that have candidate and not filled, setting
// filled on each. Uses a stack of bounded size (spans that do not fit are marked kPending
// and found again by sweeps of the mask), so it neither recurses nor grows with the image.
// False when there is no memory for the stack.
bool FillFrom(KeyMask& mask, std::uint32_t x, std::uint32_t y, std::uint8_t candidate, std::uint8_t filled);


// Writes into every pixel's high three bits its 8-neighbour distance to the nearest pixel
// with kBackground, 0 for the background itself, capped at cap (at most kFarthestDistance).
// Uses 2·cap + 1 rows of memory; false when there is none.
bool MeasureDistances(KeyMask& mask, std::uint8_t cap);
