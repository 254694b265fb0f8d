#include "header_sizes.h"

#include <algorithm>
#include <cstring>

namespace {

const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

std::uint64_t Magnitude(std::int32_t value)
{
    return value < 0 ? std::uint64_t{0} - static_cast<std::int64_t>(value) : std::uint64_t(value);
}

bool IsStartOfFrame(unsigned char marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The next JPEG marker at or after offset, as the decoder finds it: stray bytes before
// 0xFF are skipped, so are repeated 0xFF fill bytes, and 0xFF 0x00 is no marker. Leaves
// offset just past the marker.
std::optional<unsigned char> NextJpegMarker(ByteView& bytes, std::uint64_t& offset)
{
    for (;;) {
        const std::optional<std::uint64_t> fill = bytes.Find(0xFF, offset, UINT64_MAX);
        if (!fill)
            return std::nullopt;
        offset = *fill + 1;
        unsigned char byte = 0xFF;
        while (byte == 0xFF)
            if (!bytes.Read(offset++, &byte, 1))
                return std::nullopt;
        if (byte != 0)
            return byte;
    }
}

}  // namespace

std::optional<ClaimedSize> ReadPngSize(ByteView& bytes, std::uint64_t start)
{
    unsigned char head[24];
    if (!bytes.Read(start, head, sizeof head) || std::memcmp(head, kPngSignature, 8) != 0 ||
        std::memcmp(head + 12, "IHDR", 4) != 0)
        return std::nullopt;
    return ClaimedSize{BigEndian32(head + 16), BigEndian32(head + 20)};
}

std::optional<ClaimedSize> ReadDibHeaderSize(ByteView& bytes, std::uint64_t offset)
{
    unsigned char head[12];
    if (!bytes.Read(offset, head, 8))
        return std::nullopt;
    const std::uint32_t headerSize = LittleEndian32(head);
    if (headerSize == 12)
        return ClaimedSize{LittleEndian16(head + 4), LittleEndian16(head + 6)};
    if (headerSize < 16 || !bytes.Read(offset, head, 12))
        return std::nullopt;
    return ClaimedSize{Magnitude(static_cast<std::int32_t>(LittleEndian32(head + 4))),
                       Magnitude(static_cast<std::int32_t>(LittleEndian32(head + 8)))};
}

std::optional<ClaimedSize> ReadBmpSize(ByteView& bytes)
{
    return ReadDibHeaderSize(bytes, 14);
}

// Every step moves forward, so the walk ends at the end of the bytes at the latest.
std::optional<ClaimedSize> ReadJpegSize(ByteView& bytes)
{
    constexpr unsigned char kStartOfImage = 0xD8, kEndOfImage = 0xD9, kStartOfScan = 0xDA;
    std::uint64_t offset = 2;
    for (;;) {
        const std::optional<unsigned char> marker = NextJpegMarker(bytes, offset);
        if (!marker)
            return std::nullopt;
        if (IsStartOfFrame(*marker)) {
            unsigned char frame[7];  // length, precision, height, width
            if (!bytes.Read(offset, frame, sizeof frame))
                return std::nullopt;
            return ClaimedSize{BigEndian16(frame + 5), BigEndian16(frame + 3)};
        }
        // Image data or a second image before any frame header: the decoder gives up too.
        if (*marker == kStartOfImage || *marker == kEndOfImage || *marker == kStartOfScan)
            return std::nullopt;
        if (*marker == 0x01 || (*marker >= 0xD0 && *marker <= 0xD7))
            continue;  // markers without a segment
        unsigned char length[2];
        if (!bytes.Read(offset, length, sizeof length))
            return std::nullopt;
        // The decoder steps over a length below 2 as if it were 2 and looks on from there.
        offset += std::max<std::uint32_t>(BigEndian16(length), 2);
    }
}

std::optional<ClaimedSize> ReadTiffSize(ByteView& bytes, bool bigEndian)
{
    const auto read16 = bigEndian ? BigEndian16 : LittleEndian16;
    const auto read32 = bigEndian ? BigEndian32 : LittleEndian32;
    constexpr std::uint32_t kWidthTag = 256, kLengthTag = 257, kShort = 3, kLong = 4;

    unsigned char head[8];
    unsigned char count[2];
    if (!bytes.Read(0, head, sizeof head))
        return std::nullopt;
    const std::uint64_t directory = read32(head + 4);
    if (!bytes.Read(directory, count, sizeof count))
        return std::nullopt;
    std::optional<std::uint32_t> width, height;
    for (std::uint32_t i = 0, entries = read16(count); i < entries && !(width && height); ++i) {
        unsigned char entry[12];  // tag, type, count, value
        if (!bytes.Read(directory + 2 + 12ull * i, entry, sizeof entry))
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
