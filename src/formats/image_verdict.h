#pragma once
// The verdict on an image file before it is decoded, a pure function of its bytes: the size
// its header claims, and whether the decoder may be given it or why not. Reading the file
// is left to the caller (image_header.h reads files by path).
#include <cstddef>
#include <cstdint>
#include <optional>

#include "byte_reader.h"

// The pixel size an image file claims in its header, read without decoding any pixels.
struct ClaimedSize {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
};

// Decode, or the reason a file is refused.
enum class DecodeVerdict {
    Decode,
    SizePastLimits,            // the claimed size is past IsWithinDecodeLimits
    ChunkTooLong,              // a PNG chunk claims more than kMaxPngChunkLength
    ChunkPastEnd,              // a PNG chunk other than image data or the end runs past the end
    AncillaryChunksTooLarge,   // a PNG's ancillary chunks hold more than kMaxPngAncillaryBytes
    TooManyIconPngs,           // an icon holds more than kMaxIconPngImages PNG images
    GifFramesTooLarge,         // a GIF's other frames hold more than kMaxGifOtherFramesBytes
};

// The size the header of a PNG, BMP, JPEG, GIF, TIFF or icon claims (every format the
// decoder reads bitmaps from), recognised by its signature. For an icon, which holds several
// images, the largest width and the largest height among them; for a GIF, likewise among its
// logical screen and its frames. Nothing for other formats and for headers too broken to
// read; the decoder then decides on its own.
std::optional<ClaimedSize> ClaimedSizeOf(ByteReader& bytes);

// Whether a file of these bytes may be handed to the decoder, and if not why: its header
// claims a size past the decode limits, or its chunks or blocks claim more than the file
// holds or would make the decoder hold more than the image it claims allows (png_chunks.h
// for PNG files, also inside icons; gif_blocks.h for GIF files). Decode for formats no
// reader here recognises: the decoder decides.
DecodeVerdict JudgeImage(ByteReader& bytes);

// True when the bytes are a JPEG's, by its signature: a picture saved with loss, whose noise
// the colour tools measure otherwise.
bool IsLossyImage(ByteReader& bytes);

// Whether an image of that size is one the program decodes: at most 16,384 pixels a side
// and 128,000,000 in all. Bigger ones can exhaust memory or crash the platform's decoders,
// so they are treated as files that cannot be decoded.
bool IsWithinDecodeLimits(std::uint64_t width, std::uint64_t height);

// The most PNG images an icon may hold; real icons hold a handful, and each is checked
// before decoding.
constexpr std::size_t kMaxIconPngImages = 64;
