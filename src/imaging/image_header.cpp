#include "image_header.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <set>

#include "gif_blocks.h"
#include "header_file.h"
#include "png_chunks.h"

namespace {

constexpr std::uint64_t kMaxImageSide = 16384;
constexpr std::uint64_t kMaxImagePixels = 128000000;

std::uint64_t Magnitude(std::int32_t value)
{
    return value < 0 ? std::uint64_t{0} - static_cast<std::int64_t>(value) : std::uint64_t(value);
}

const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// PNG: the first chunk is IHDR, width and height big-endian. The header may sit anywhere
// in the file (an icon holds whole PNG files).
std::optional<ClaimedSize> ReadPngSize(HeaderFile& file, std::uint64_t start)
{
    unsigned char head[24];
    if (!file.Read(start, head, sizeof head) || std::memcmp(head, kPngSignature, 8) != 0 ||
        std::memcmp(head + 12, "IHDR", 4) != 0)
        return std::nullopt;
    return ClaimedSize{BigEndian32(head + 16), BigEndian32(head + 20)};
}

// The sizes in a device-independent bitmap header at offset: the old core header has
// 16-bit sizes, all later ones signed 32-bit sizes (a negative height means top-down rows).
std::optional<ClaimedSize> ReadDibHeaderSize(HeaderFile& file, std::uint64_t offset)
{
    unsigned char head[12];
    if (!file.Read(offset, head, 8))
        return std::nullopt;
    const std::uint32_t headerSize = LittleEndian32(head);
    if (headerSize == 12)
        return ClaimedSize{LittleEndian16(head + 4), LittleEndian16(head + 6)};
    if (headerSize < 16 || !file.Read(offset, head, 12))
        return std::nullopt;
    return ClaimedSize{Magnitude(static_cast<std::int32_t>(LittleEndian32(head + 4))),
                       Magnitude(static_cast<std::int32_t>(LittleEndian32(head + 8)))};
}

// BMP: the bitmap header follows the 14-byte file header.
std::optional<ClaimedSize> ReadBmpSize(HeaderFile& file)
{
    return ReadDibHeaderSize(file, 14);
}

bool IsStartOfFrame(unsigned char marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The next JPEG marker at or after offset, as the decoder finds it: stray bytes before
// 0xFF are skipped, so are repeated 0xFF fill bytes, and 0xFF 0x00 is no marker. Leaves
// offset just past the marker.
std::optional<unsigned char> NextJpegMarker(HeaderFile& file, std::uint64_t& offset)
{
    for (;;) {
        unsigned char byte = 0;
        do {
            if (!file.Read(offset++, &byte, 1))
                return std::nullopt;
        } while (byte != 0xFF);
        do {
            if (!file.Read(offset++, &byte, 1))
                return std::nullopt;
        } while (byte == 0xFF);
        if (byte != 0)
            return byte;
    }
}

// JPEG: walk the marker segments up to the first start-of-frame, which holds the size.
// Every step moves forward, so the walk ends at the end of the file at the latest.
std::optional<ClaimedSize> ReadJpegSize(HeaderFile& file)
{
    constexpr unsigned char kStartOfImage = 0xD8, kEndOfImage = 0xD9, kStartOfScan = 0xDA;
    std::uint64_t offset = 2;
    for (;;) {
        const std::optional<unsigned char> marker = NextJpegMarker(file, offset);
        if (!marker)
            return std::nullopt;
        if (IsStartOfFrame(*marker)) {
            unsigned char frame[7];  // length, precision, height, width
            if (!file.Read(offset, frame, sizeof frame))
                return std::nullopt;
            return ClaimedSize{BigEndian16(frame + 5), BigEndian16(frame + 3)};
        }
        // Image data or a second image before any frame header: the decoder gives up too.
        if (*marker == kStartOfImage || *marker == kEndOfImage || *marker == kStartOfScan)
            return std::nullopt;
        if (*marker == 0x01 || (*marker >= 0xD0 && *marker <= 0xD7))
            continue;  // markers without a segment
        unsigned char length[2];
        if (!file.Read(offset, length, sizeof length))
            return std::nullopt;
        // The decoder steps over a length below 2 as if it were 2 and looks on from there.
        offset += std::max<std::uint32_t>(BigEndian16(length), 2);
    }
}

// GIF: the logical screen, or the largest frame where a frame is wider or taller, as the
// decoder gives a frame the size its own descriptor claims.
ClaimedSize GifClaim(const GifFrames& frames)
{
    return {std::max(frames.screenWidth, frames.widestFrame), std::max(frames.screenHeight, frames.tallestFrame)};
}

std::optional<ClaimedSize> ReadGifSize(HeaderFile& file)
{
    const std::optional<GifFrames> frames = ReadGifFrames(file);
    if (!frames)
        return std::nullopt;
    return GifClaim(*frames);
}

// TIFF: the width and length tags of the first image directory, which is the image
// decoded; the byte order is the file's own.
std::optional<ClaimedSize> ReadTiffSize(HeaderFile& file, bool bigEndian)
{
    const auto read16 = bigEndian ? BigEndian16 : LittleEndian16;
    const auto read32 = bigEndian ? BigEndian32 : LittleEndian32;
    constexpr std::uint32_t kWidthTag = 256, kLengthTag = 257, kShort = 3, kLong = 4;

    unsigned char head[8];
    unsigned char count[2];
    if (!file.Read(0, head, sizeof head))
        return std::nullopt;
    const std::uint64_t directory = read32(head + 4);
    if (!file.Read(directory, count, sizeof count))
        return std::nullopt;
    std::optional<std::uint32_t> width, height;
    for (std::uint32_t i = 0, entries = read16(count); i < entries && !(width && height); ++i) {
        unsigned char entry[12];  // tag, type, count, value
        if (!file.Read(directory + 2 + 12ull * i, entry, sizeof entry))
            return std::nullopt;
        const std::uint32_t type = read16(entry + 2);
        if (type != kShort && type != kLong)
            continue;
        const std::uint32_t value = type == kShort ? read16(entry + 8) : read32(entry + 8);
        if (read16(entry) == kWidthTag)
            width = value;
        else if (read16(entry) == kLengthTag)
            height = value;
    }
    if (!width || !height)
        return std::nullopt;
    return ClaimedSize{*width, *height};
}

// One image of an icon file: its directory entry's size (0 meaning 256) and the size its
// own PNG or bitmap header gives, whichever is larger.
ClaimedSize ReadIconImageSize(HeaderFile& file, const unsigned char* entry)
{
    ClaimedSize size{entry[0] ? entry[0] : 256u, entry[1] ? entry[1] : 256u};
    const std::uint32_t offset = LittleEndian32(entry + 12);
    std::optional<ClaimedSize> own = ReadPngSize(file, offset);
    if (!own) {
        own = ReadDibHeaderSize(file, offset);
        if (own)
            own->height /= 2;  // a bitmap in an icon counts its mask rows too
    }
    if (own) {
        size.width = std::max(size.width, own->width);
        size.height = std::max(size.height, own->height);
    }
    return size;
}

// Calls visit with the directory entry of each image of an icon file, as far as the
// directory is there to read.
template <typename Visit>
void ForEachIconImage(HeaderFile& file, Visit visit)
{
    unsigned char head[6];
    if (!file.Read(0, head, sizeof head))
        return;
    for (std::uint32_t i = 0, images = LittleEndian16(head + 4); i < images; ++i) {
        unsigned char entry[16];
        if (!file.Read(6 + 16ull * i, entry, sizeof entry))
            return;
        visit(entry);
    }
}

// Icon and cursor files hold several images; the decoder may pick any of them, so the
// claim is the largest width and the largest height among them.
std::optional<ClaimedSize> ReadIconSize(HeaderFile& file)
{
    std::optional<ClaimedSize> largest;
    ForEachIconImage(file, [&](const unsigned char* entry) {
        const ClaimedSize size = ReadIconImageSize(file, entry);
        if (!largest)
            largest = size;
        largest->width = std::max(largest->width, size.width);
        largest->height = std::max(largest->height, size.height);
    });
    return largest;
}

enum class Format { Unknown, Png, Bmp, Jpeg, Gif, LittleEndianTiff, BigEndianTiff, Icon };

// The format a file's signature names, whatever the file is called.
Format RecogniseFormat(HeaderFile& file)
{
    unsigned char head[8] = {};
    const std::size_t length = file.ReadUpTo(0, head, sizeof head);
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

// The size the header of a file of that format claims.
std::optional<ClaimedSize> ReadSize(HeaderFile& file, Format format)
{
    switch (format) {
    case Format::Png: return ReadPngSize(file, 0);
    case Format::Bmp: return ReadBmpSize(file);
    case Format::Jpeg: return ReadJpegSize(file);
    case Format::Gif: return ReadGifSize(file);
    case Format::LittleEndianTiff: return ReadTiffSize(file, false);
    case Format::BigEndianTiff: return ReadTiffSize(file, true);
    case Format::Icon: return ReadIconSize(file);
    case Format::Unknown: break;
    }
    return std::nullopt;
}

bool PngFileAllowsDecoding(HeaderFile& file)
{
    std::uint64_t held = 0;
    return PngChunksAllowDecoding(file, 0, held);
}

// The frames are walked once, for both the size the GIF claims and what its other frames hold.
bool GifAllowsDecoding(HeaderFile& file)
{
    const std::optional<GifFrames> frames = ReadGifFrames(file);
    if (!frames)
        return true;
    const ClaimedSize claimed = GifClaim(*frames);
    return IsWithinDecodeLimits(claimed.width, claimed.height) && OtherFramesBytes(*frames) <= kMaxGifOtherFramesBytes;
}

// An icon may hold whole PNG files, which the decoder reads as it reads any other. Their
// ancillary chunks share one budget, and each is walked once however many entries name
// it, so that an icon of many entries costs no more to check than its PNGs hold.
bool IconImagesAllowDecoding(HeaderFile& file)
{
    std::set<std::uint32_t> checked;
    std::uint64_t held = 0;
    bool allowed = true;
    ForEachIconImage(file, [&](const unsigned char* entry) {
        const std::uint32_t offset = LittleEndian32(entry + 12);
        if (!allowed || checked.count(offset) || !ReadPngSize(file, offset))
            return;
        checked.insert(offset);
        allowed = checked.size() <= kMaxIconPngImages && PngChunksAllowDecoding(file, offset, held);
    });
    return allowed;
}

// Whether what the file's chunks claim lets it be decoded; the formats whose decoders were
// seen to act on such claims are checked (a GIF's blocks by GifAllowsDecoding, with its size).
bool StructureAllowsDecoding(HeaderFile& file, Format format)
{
    switch (format) {
    case Format::Png: return PngFileAllowsDecoding(file);
    case Format::Icon: return IconImagesAllowDecoding(file);
    default: return true;
    }
}

}  // namespace

std::optional<ClaimedSize> ReadClaimedSize(const wchar_t* path)
{
    if (!path)
        return std::nullopt;
    HeaderFile file(path);
    if (!file.IsOpen())
        return std::nullopt;
    return ReadSize(file, RecogniseFormat(file));
}

bool IsSafeToDecode(const wchar_t* path)
{
    if (!path)
        return true;
    HeaderFile file(path);
    if (!file.IsOpen())
        return true;
    const Format format = RecogniseFormat(file);
    if (format == Format::Gif)
        return GifAllowsDecoding(file);
    const std::optional<ClaimedSize> claimed = ReadSize(file, format);
    if (claimed && !IsWithinDecodeLimits(claimed->width, claimed->height))
        return false;
    return StructureAllowsDecoding(file, format);
}

bool IsWithinDecodeLimits(std::uint64_t width, std::uint64_t height)
{
    return width <= kMaxImageSide && height <= kMaxImageSide && width * height <= kMaxImagePixels;
}
