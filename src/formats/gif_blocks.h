#pragma once
// The frames of a GIF, read without decoding: the decoder gives each frame the size its
// own descriptor claims, whatever the logical screen says, and keeps every frame of the
// file in memory, one byte a pixel.
#include <cstdint>
#include <optional>

#include "byte_reader.h"

struct GifFrames {
    std::uint32_t screenWidth = 0;
    std::uint32_t screenHeight = 0;
    std::uint32_t widestFrame = 0;       // the largest frame width
    std::uint32_t tallestFrame = 0;      // the largest frame height
    std::uint64_t largestFramePixels = 0;
    std::uint64_t framePixels = 0;       // of all frames together
    std::uint64_t frameCount = 0;
};

// The logical screen and the frames of a GIF, up to its trailer or to the first block the
// decoder would not read either. Nothing when the bytes are too short to hold the screen size.
std::optional<GifFrames> ReadGifFrames(ByteView& bytes);

// What the frames other than the largest may make the decoder hold in all: each frame's
// pixels and kGifFrameRecordBytes for its record. The largest frame is paid for by the
// image it claims; a GIF whose other frames hold more is not decoded.
constexpr std::uint64_t kMaxGifOtherFramesBytes = 32 * 1024 * 1024;
constexpr std::uint64_t kGifFrameRecordBytes = 512;

// What the frames other than the largest make the decoder hold, as kMaxGifOtherFramesBytes counts it.
std::uint64_t OtherFramesBytes(const GifFrames& frames);
