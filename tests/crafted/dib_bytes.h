#pragma once
// Bitmaps as programs put them on the clipboard, built byte by byte for the tests: a header,
// the masks, the palette and the rows. Pure C++, for the native tests too.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

using DibBytes = std::vector<unsigned char>;

inline void AppendLe32(DibBytes& bytes, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<unsigned char>(value >> shift));
}

// A bitmap header and the masks: inside a header longer than 40 bytes, after it otherwise.
// A negative height stands for top-down rows.
struct DibSpec {
    DibSpec(std::uint32_t size, std::int32_t w, std::int32_t h, std::uint32_t bitCount, std::uint32_t compressed = 0,
            std::uint32_t used = 0, std::vector<std::uint32_t> colourMasks = {})
        : headerSize(size), width(w), height(h), bits(bitCount), compression(compressed), colours(used),
          masks(std::move(colourMasks))
    {
    }
    std::uint32_t headerSize;
    std::int32_t width;
    std::int32_t height;
    std::uint32_t bits;
    std::uint32_t compression;
    std::uint32_t colours;
    std::vector<std::uint32_t> masks;
};

// The header of spec, then body (palette and rows).
inline DibBytes MakeDib(const DibSpec& spec, const DibBytes& body)
{
    DibBytes bytes;
    for (std::uint32_t field : {spec.headerSize, static_cast<std::uint32_t>(spec.width),
                                static_cast<std::uint32_t>(spec.height), 1u | (spec.bits << 16), spec.compression,
                                0u, 0u, 0u, spec.colours, 0u})
        AppendLe32(bytes, field);
    for (std::uint32_t mask : spec.masks)
        AppendLe32(bytes, mask);
    if (spec.headerSize > bytes.size())
        bytes.resize(spec.headerSize, 0);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

// 32-bit rows of width × height pixels given top row first, stored bottom-up or top-down.
inline DibBytes Rows32(const std::vector<std::uint32_t>& pixels, std::uint32_t width, bool bottomUp)
{
    DibBytes rows;
    const std::size_t height = pixels.size() / width;
    for (std::size_t r = 0; r < height; ++r)
        for (std::size_t x = 0; x < width; ++x)
            AppendLe32(rows, pixels[(bottomUp ? height - 1 - r : r) * width + x]);
    return rows;
}

// The bitmap header's fields as the tests read them back: 32 bits at offset.
inline std::uint32_t Le32At(const DibBytes& bytes, std::size_t offset)
{
    return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}
