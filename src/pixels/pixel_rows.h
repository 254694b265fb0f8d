#pragma once
// Pixels as the pure pixel code sees them: ARGB values, sizes and rectangles of an image, and
// rows of pixels in memory. Pure C++: nothing here knows of GDI+ or windows.
#include <cstddef>
#include <cstdint>

// A 32-bit pixel value: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
using ArgbValue = std::uint32_t;
constexpr ArgbValue kOpaqueBlack = 0xFF000000u;
constexpr ArgbValue kOpaqueWhite = 0xFFFFFFFFu;
constexpr ArgbValue kColourBits = 0x00FFFFFFu;  // red, green and blue without alpha

// The level, 0 to 255, of the channel of value that starts at bit shift (24, 16, 8 or 0).
inline int ChannelOf(ArgbValue value, int shift) noexcept
{
    return static_cast<int>((value >> shift) & 0xFFu);
}

// The difference of a's channel at shift from b's, without its sign.
inline std::uint32_t ChannelDifference(ArgbValue a, ArgbValue b, int shift) noexcept
{
    const int difference = ChannelOf(a, shift) - ChannelOf(b, shift);
    return static_cast<std::uint32_t>(difference < 0 ? -difference : difference);
}

// The largest difference of a from b over red, green and blue.
inline std::uint32_t ChannelDistance(ArgbValue a, ArgbValue b) noexcept
{
    const std::uint32_t red = ChannelDifference(a, b, 16);
    const std::uint32_t green = ChannelDifference(a, b, 8);
    const std::uint32_t blue = ChannelDifference(a, b, 0);
    const std::uint32_t most = red > green ? red : green;
    return most > blue ? most : blue;
}

struct ImageSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// One pixel of an image, by its column and row.
struct ImagePoint {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
};

// A rectangle of pixels by its top-left pixel and its size.
struct ImageRect {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::size_t PixelCount() const noexcept { return std::size_t{width} * height; }
};

// The rectangle of every pixel of an image of size.
inline ImageRect WholeOf(ImageSize size) noexcept
{
    return {0, 0, size.width, size.height};
}

// Whether pixel (x, y), which may lie anywhere, is one of rect's.
inline bool Contains(const ImageRect& rect, std::int64_t x, std::int64_t y) noexcept
{
    return x >= rect.x && y >= rect.y && x - rect.x < rect.width && y - rect.y < rect.height;
}

// The rectangle of columns left up to right and rows top up to bottom, both half-open; empty
// when either range is.
inline ImageRect FromEdges(std::uint32_t left, std::uint32_t top, std::uint32_t right, std::uint32_t bottom) noexcept
{
    return left < right && top < bottom ? ImageRect{left, top, right - left, bottom - top} : ImageRect{};
}

// The overlap of two rectangles; empty when they do not meet. Both must lie within 32 bits.
inline ImageRect Overlap(const ImageRect& a, const ImageRect& b) noexcept
{
    const std::uint32_t left = a.x > b.x ? a.x : b.x;
    const std::uint32_t top = a.y > b.y ? a.y : b.y;
    const std::uint32_t right = a.x + a.width < b.x + b.width ? a.x + a.width : b.x + b.width;
    const std::uint32_t bottom = a.y + a.height < b.y + b.height ? a.y + a.height : b.y + b.height;
    return FromEdges(left, top, right, bottom);
}

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
