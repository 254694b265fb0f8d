#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

// The pixel size an image file claims in its header, read without decoding any pixels.
struct ClaimedSize {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
};

// Reads the size from a PNG, BMP, JPEG, GIF, TIFF or icon header (every format the
// decoder reads bitmaps from), recognised by its signature, not by the file's name. For an
// icon, which holds several images, the largest width and the largest height among them;
// for a GIF, likewise among its logical screen and its frames.
// Nothing for other formats, for a null path and for headers too broken to read; the
// decoder then decides on its own.
std::optional<ClaimedSize> ReadClaimedSize(const wchar_t* path);

// Whether a file may be handed to the decoder: false when its header claims a size past
// the decode limits, or when its chunks or blocks claim more than the file holds or would
// make the decoder hold more than the image it claims allows (png_chunks.h for PNG files,
// also inside icons; gif_blocks.h for GIF files). True for formats no reader here
// recognises, for a null path and for a file that cannot be opened: the decoder decides.
bool IsSafeToDecode(const wchar_t* path);

// Whether an image of that size is one the program decodes: at most 16,384 pixels a side
// and 128,000,000 in all. Bigger ones can exhaust memory or crash the platform's decoders,
// so they are treated as files that cannot be decoded.
bool IsWithinDecodeLimits(std::uint64_t width, std::uint64_t height);

// The most PNG images an icon may hold; real icons hold a handful, and each is checked
// before decoding.
constexpr std::size_t kMaxIconPngImages = 64;
