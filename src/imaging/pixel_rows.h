#pragma once
// Rows of 32-bit pixels in memory, as the view's pixel code reads and writes them. Pure C++.
#include <cstddef>
#include <cstdint>

#include "image_handle.h"

// Rows of ARGB pixels: a locked rectangle of an image, or a buffer. Row 0 starts at first,
// and each next row stride bytes further on.
struct PixelRows {
    void* first = nullptr;
    std::ptrdiff_t stride = 0;

    ArgbValue* Row(std::uint32_t y) const noexcept
    {
        return reinterpret_cast<ArgbValue*>(static_cast<unsigned char*>(first) + stride * std::ptrdiff_t{y});
    }
};
