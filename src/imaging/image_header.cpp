#include "imaging/image_header.h"

#include <windows.h>

#include <cstring>

namespace {

// A read-only view of a file by offset; short reads past the end simply fail.
class HeaderFile {
public:
    explicit HeaderFile(const wchar_t* path)
        : handle_(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~HeaderFile()
    {
        if (IsOpen())
            CloseHandle(handle_);
    }
    HeaderFile(const HeaderFile&) = delete;
    HeaderFile& operator=(const HeaderFile&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    bool Read(std::uint64_t offset, void* buffer, DWORD count) const
    {
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        DWORD read = 0;
        return SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN) &&
               ReadFile(handle_, buffer, count, &read, nullptr) && read == count;
    }

private:
    HANDLE handle_;
};

std::uint32_t BigEndian16(const unsigned char* p) { return (p[0] << 8) | p[1]; }
std::uint32_t BigEndian32(const unsigned char* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (p[2] << 8) | p[3];
}
std::uint32_t LittleEndian16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t LittleEndian32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
std::uint64_t Magnitude(std::int32_t value)
{
    return value < 0 ? std::uint64_t{0} - static_cast<std::int64_t>(value) : std::uint64_t(value);
}

// PNG: the first chunk is IHDR, width and height big-endian.
std::optional<ClaimedSize> ReadPngSize(const unsigned char* head)
{
    if (std::memcmp(head + 12, "IHDR", 4) != 0)
        return std::nullopt;
    return ClaimedSize{BigEndian32(head + 16), BigEndian32(head + 20)};
}

// BMP: the info header follows the 14-byte file header; the old core header has 16-bit
// sizes, all later ones signed 32-bit sizes (a negative height means top-down rows).
std::optional<ClaimedSize> ReadBmpSize(const unsigned char* head)
{
    const std::uint32_t infoSize = LittleEndian32(head + 14);
    if (infoSize == 12)
        return ClaimedSize{LittleEndian16(head + 18), LittleEndian16(head + 20)};
    if (infoSize < 16)
        return std::nullopt;
    return ClaimedSize{Magnitude(static_cast<std::int32_t>(LittleEndian32(head + 18))),
                       Magnitude(static_cast<std::int32_t>(LittleEndian32(head + 22)))};
}

bool IsStartOfFrame(unsigned char marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// JPEG: walk the marker segments up to the first start-of-frame, which holds the size.
std::optional<ClaimedSize> ReadJpegSize(const HeaderFile& file)
{
    constexpr int kMaxSegments = 100000;
    std::uint64_t offset = 2;
    for (int segment = 0; segment < kMaxSegments; ++segment) {
        unsigned char marker[2];
        if (!file.Read(offset, marker, 2) || marker[0] != 0xFF)
            return std::nullopt;
        if (marker[1] == 0xFF) {  // fill byte before a marker
            ++offset;
            continue;
        }
        offset += 2;
        if (marker[1] == 0x01 || (marker[1] >= 0xD0 && marker[1] <= 0xD8))
            continue;  // markers without a segment
        if (marker[1] == 0xD9)
            return std::nullopt;
        unsigned char segmentHead[7];
        if (!file.Read(offset, segmentHead, IsStartOfFrame(marker[1]) ? 7 : 2))
            return std::nullopt;
        if (IsStartOfFrame(marker[1]))
            return ClaimedSize{BigEndian16(segmentHead + 5), BigEndian16(segmentHead + 3)};
        const std::uint32_t length = BigEndian16(segmentHead);
        if (length < 2)
            return std::nullopt;
        offset += length;
    }
    return std::nullopt;
}

// GIF: the logical screen size, little-endian.
std::optional<ClaimedSize> ReadGifSize(const unsigned char* head)
{
    return ClaimedSize{LittleEndian16(head + 6), LittleEndian16(head + 8)};
}

}  // namespace

std::optional<ClaimedSize> ReadClaimedSize(const wchar_t* path)
{
    const HeaderFile file(path);
    unsigned char head[26] = {};
    if (!file.IsOpen() || !file.Read(0, head, sizeof head))
        return std::nullopt;

    static const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (std::memcmp(head, kPngSignature, sizeof kPngSignature) == 0)
        return ReadPngSize(head);
    if (head[0] == 'B' && head[1] == 'M')
        return ReadBmpSize(head);
    if (head[0] == 0xFF && head[1] == 0xD8)
        return ReadJpegSize(file);
    if (std::memcmp(head, "GIF87a", 6) == 0 || std::memcmp(head, "GIF89a", 6) == 0)
        return ReadGifSize(head);
    return std::nullopt;
}

bool IsWithinDecodeLimits(std::uint64_t width, std::uint64_t height)
{
    return width <= kMaxImageSide && height <= kMaxImageSide && width * height <= kMaxImagePixels;
}
