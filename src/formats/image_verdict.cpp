#include "image_verdict.h"

#include <algorithm>
#include <initializer_list>

#include "gif_blocks.h"
#include "header_sizes.h"
#include "icon_entries.h"
#include "png_chunks.h"

namespace {

constexpr std::uint64_t kMaxImageSide = 16384;
constexpr std::uint64_t kMaxImagePixels = 128000000;

enum class Format { Unknown, Png, Bmp, Jpeg, Gif, LittleEndianTiff, BigEndianTiff, Icon };

// The format a file's signature names, whatever the file is called.
Format RecogniseFormat(ByteView& bytes)
{
    constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    unsigned char head[8] = {};
    const std::size_t length = bytes.ReadUpTo(0, head, sizeof head);
    const auto startsWith = [&](std::initializer_list<unsigned char> signature) {
        return length >= signature.size() && std::equal(signature.begin(), signature.end(), head);
    };
    if (length == sizeof kPngSignature && std::equal(head, head + length, kPngSignature))
        return Format::Png;
    if (startsWith({'B', 'M'}))
        return Format::Bmp;
    if (startsWith({0xFF, 0xD8}))
        return Format::Jpeg;
    if (startsWith({'G', 'I', 'F', '8', '7', 'a'}) || startsWith({'G', 'I', 'F', '8', '9', 'a'}))
        return Format::Gif;
    if (startsWith({'I', 'I', 42, 0}))
        return Format::LittleEndianTiff;
    if (startsWith({'M', 'M', 0, 42}))
        return Format::BigEndianTiff;
    if (startsWith({0, 0, 1, 0}) || startsWith({0, 0, 2, 0}))
        return Format::Icon;
    return Format::Unknown;
}

// GIF: the logical screen, or the largest frame where a frame is wider or taller, as the
// decoder gives a frame the size its own descriptor claims.
ClaimedSize GifClaim(const GifFrames& frames)
{
    return {std::max(frames.screenWidth, frames.widestFrame), std::max(frames.screenHeight, frames.tallestFrame)};
}

// The size the header of a file of that format claims.
std::optional<ClaimedSize> ReadSize(ByteView& bytes, Format format)
{
    switch (format) {
    case Format::Png: return ReadPngSize(bytes, 0);
    case Format::Bmp: return ReadBmpSize(bytes);
    case Format::Jpeg: return ReadJpegSize(bytes);
    case Format::Gif: {
        const std::optional<GifFrames> frames = ReadGifFrames(bytes);
        if (!frames)
            return std::nullopt;
        return GifClaim(*frames);
    }
    case Format::LittleEndianTiff: return ReadTiffSize(bytes, false);
    case Format::BigEndianTiff: return ReadTiffSize(bytes, true);
    case Format::Icon: return ReadIconSize(bytes);
    case Format::Unknown: break;
    }
    return std::nullopt;
}

// The frames are walked once, for both the size the GIF claims and what its other frames hold.
DecodeVerdict JudgeGif(ByteView& bytes)
{
    const std::optional<GifFrames> frames = ReadGifFrames(bytes);
    if (!frames)
        return DecodeVerdict::Decode;
    const ClaimedSize claimed = GifClaim(*frames);
    if (!IsWithinDecodeLimits(claimed.width, claimed.height))
        return DecodeVerdict::SizePastLimits;
    return OtherFramesBytes(*frames) <= kMaxGifOtherFramesBytes ? DecodeVerdict::Decode
                                                                : DecodeVerdict::GifFramesTooLarge;
}

// Whether what the file's chunks claim lets it be decoded; the formats whose decoders were
// seen to act on such claims are checked (a GIF's blocks by JudgeGif, with its size).
DecodeVerdict CheckStructure(ByteView& bytes, Format format)
{
    std::uint64_t held = 0;
    switch (format) {
    case Format::Png: return CheckPngChunks(bytes, 0, held);
    case Format::Icon: return CheckIconImages(bytes);
    default: return DecodeVerdict::Decode;
    }
}

}  // namespace

std::optional<ClaimedSize> ClaimedSizeOf(ByteReader& reader)
{
    ByteView bytes(reader);
    return ReadSize(bytes, RecogniseFormat(bytes));
}

DecodeVerdict JudgeImage(ByteReader& reader)
{
    ByteView bytes(reader);
    const Format format = RecogniseFormat(bytes);
    if (format == Format::Gif)
        return JudgeGif(bytes);
    const std::optional<ClaimedSize> claimed = ReadSize(bytes, format);
    if (claimed && !IsWithinDecodeLimits(claimed->width, claimed->height))
        return DecodeVerdict::SizePastLimits;
    return CheckStructure(bytes, format);
}

bool IsLossyImage(ByteReader& reader)
{
    ByteView bytes(reader);
    return RecogniseFormat(bytes) == Format::Jpeg;
}

bool IsWithinDecodeLimits(std::uint64_t width, std::uint64_t height)
{
    return width <= kMaxImageSide && height <= kMaxImageSide && width * height <= kMaxImagePixels;
}
