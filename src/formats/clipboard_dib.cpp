#include "clipboard_dib.h"

#include <array>
#include <cstdlib>
#include <limits>
#include <optional>

#include "image_verdict.h"

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;
// A palette index past the palette's end: the bitmap is broken there, and shows black.
constexpr std::uint32_t kMissingColour = kOpaque;
constexpr std::uint32_t kMaxPaletteEntries = 256;
constexpr std::uint32_t kRedMask = 0x00FF0000u;
constexpr std::uint32_t kGreenMask = 0x0000FF00u;
constexpr std::uint32_t kBlueMask = 0x000000FFu;
constexpr std::uint32_t kAlphaMask = 0xFF000000u;
// The header versions after the info header: with colour masks, then with an alpha mask too.
constexpr std::uint32_t kDibV2HeaderBytes = 52;
constexpr std::uint32_t kDibV3HeaderBytes = 56;
constexpr std::uint32_t kDibV4HeaderBytes = 108;

void Put16(unsigned char* p, std::uint32_t value)
{
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
}

void Put32(unsigned char* p, std::uint32_t value)
{
    Put16(p, value);
    Put16(p + 2, value >> 16);
}

// The fields of a header of size bytes, the ones past its version left 0.
DibHeader DecodeHeader(const unsigned char* in, std::uint32_t size)
{
    const auto at = [&](std::uint32_t offset) { return offset + 4 <= size ? LittleEndian32(in + offset) : 0u; };
    DibHeader h;
    h.size = size;
    h.width = static_cast<std::int32_t>(at(4));
    h.height = static_cast<std::int32_t>(at(8));
    h.planes = static_cast<std::uint16_t>(LittleEndian16(in + 12));
    h.bitCount = static_cast<std::uint16_t>(LittleEndian16(in + 14));
    h.compression = at(16);
    h.sizeImage = at(20);
    h.clrUsed = at(32);
    h.redMask = at(40);
    h.greenMask = at(44);
    h.blueMask = at(48);
    h.alphaMask = at(52);
    return h;
}

// The whole 124-byte header of the latest version.
void EncodeV5Header(const DibHeader& h, unsigned char* out)
{
    const std::uint32_t fields[] = {h.size, static_cast<std::uint32_t>(h.width), static_cast<std::uint32_t>(h.height)};
    for (std::size_t i = 0; i < 3; ++i)
        Put32(out + 4 * i, fields[i]);
    Put16(out + 12, h.planes);
    Put16(out + 14, h.bitCount);
    const std::uint32_t rest[] = {h.compression, h.sizeImage, static_cast<std::uint32_t>(h.xPelsPerMeter),
                                  static_cast<std::uint32_t>(h.yPelsPerMeter), h.clrUsed, h.clrImportant,
                                  h.redMask, h.greenMask, h.blueMask, h.alphaMask, h.csType};
    for (std::size_t i = 0; i < sizeof rest / sizeof rest[0]; ++i)
        Put32(out + 16 + 4 * i, rest[i]);
    for (std::size_t i = 0; i < sizeof h.endpoints; ++i)
        out[60 + i] = h.endpoints[i];
    const std::uint32_t tail[] = {h.gammaRed, h.gammaGreen, h.gammaBlue, h.intent, h.profileData, h.profileSize,
                                  h.reserved};
    for (std::size_t i = 0; i < sizeof tail / sizeof tail[0]; ++i)
        Put32(out + 96 + 4 * i, tail[i]);
}

// One colour channel of a masked pixel, widened or narrowed to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    unsigned shift = 0;
    unsigned bits = 0;

    static std::optional<Channel> Of(std::uint32_t mask)
    {
        Channel c;
        c.mask = mask;
        if (mask == 0)
            return c;
        while (!((mask >> c.shift) & 1u))
            ++c.shift;
        const std::uint32_t run = mask >> c.shift;
        if (run & (run + 1u))  // the bits must be one run
            return std::nullopt;
        for (std::uint32_t r = run; r; r >>= 1)
            ++c.bits;
        return c;
    }

    std::uint32_t From(std::uint32_t pixel) const
    {
        if (mask == 0)
            return 0;
        const std::uint32_t value = (pixel & mask) >> shift;
        return bits >= 8 ? value >> (bits - 8) : value * 255u / ((1u << bits) - 1u);
    }
};

// Where everything after the header lies, and how pixels are read.
struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;
    unsigned bitCount = 0;
    Channel red, green, blue, alpha;
    bool alphaMasked = false;  // the alpha is the bitmap's own, zero or not
    std::uint64_t paletteOffset = 0;
    std::uint32_t paletteEntries = 0;
    std::uint64_t rowsOffset = 0;
    std::uint64_t stride = 0;
};

bool IsKnownHeaderSize(std::uint32_t size)
{
    return size == kDibInfoHeaderBytes || size == kDibV2HeaderBytes || size == kDibV3HeaderBytes ||
           size == kDibV4HeaderBytes || size == kDibV5HeaderBytes;
}

DibVerdict ReadHeader(ByteReader& bytes, DibHeader& header)
{
    unsigned char buffer[kDibV5HeaderBytes] = {};
    if (bytes.ReadAt(0, buffer, 4) != 4)
        return DibVerdict::PastData;
    const std::uint32_t size = LittleEndian32(buffer);
    if (!IsKnownHeaderSize(size))
        return DibVerdict::Unsupported;
    if (bytes.ReadAt(0, buffer, size) != size)
        return DibVerdict::PastData;
    header = DecodeHeader(buffer, size);
    return DibVerdict::Read;
}

bool IsKnownFormat(const DibHeader& h)
{
    if (h.bitCount == 8 || h.bitCount == 24)
        return h.compression == kDibRgb;
    return h.bitCount == 32 &&
           (h.compression == kDibRgb || h.compression == kDibBitfields || h.compression == kDibAlphaBitfields);
}

// The colour masks of a 32-bit bitmap: in the header from its second version on, after an
// info header otherwise (three, or four with the alpha mask). Sets how many bytes they take
// after the header.
DibVerdict ReadMasks(ByteReader& bytes, const DibHeader& h, std::uint32_t masks[4], std::uint32_t& after)
{
    after = 0;
    if (h.compression == kDibRgb) {
        masks[0] = kRedMask, masks[1] = kGreenMask, masks[2] = kBlueMask, masks[3] = 0;
        return DibVerdict::Read;
    }
    if (h.size > kDibInfoHeaderBytes) {
        masks[0] = h.redMask, masks[1] = h.greenMask, masks[2] = h.blueMask, masks[3] = h.alphaMask;
        return DibVerdict::Read;
    }
    const std::uint32_t count = h.compression == kDibAlphaBitfields ? 4 : 3;
    unsigned char buffer[16] = {};
    after = 4 * count;
    if (bytes.ReadAt(h.size, buffer, after) != after)
        return DibVerdict::PastData;
    for (std::uint32_t i = 0; i < 4; ++i)
        masks[i] = i < count ? LittleEndian32(buffer + 4 * i) : 0;
    return DibVerdict::Read;
}

// Without an alpha mask, the byte no colour mask takes holds the alpha, if one is free.
DibVerdict SetChannels(const std::uint32_t masks[4], Layout& layout)
{
    const auto red = Channel::Of(masks[0]), green = Channel::Of(masks[1]), blue = Channel::Of(masks[2]);
    const auto alpha = Channel::Of(masks[3]);
    if (!red || !green || !blue || !alpha)
        return DibVerdict::Unsupported;
    layout.red = *red, layout.green = *green, layout.blue = *blue, layout.alpha = *alpha;
    layout.alphaMasked = masks[3] != 0;
    if (!layout.alphaMasked && ((masks[0] | masks[1] | masks[2]) & kAlphaMask) == 0)
        layout.alpha = *Channel::Of(kAlphaMask);
    return DibVerdict::Read;
}

DibVerdict MeasureRows(ByteReader& bytes, const DibHeader& h, std::uint32_t masksAfter, Layout& layout)
{
    if (h.bitCount == 8) {
        if (h.clrUsed > kMaxPaletteEntries)
            return DibVerdict::Unsupported;
        layout.paletteEntries = h.clrUsed == 0 ? kMaxPaletteEntries : h.clrUsed;
    }
    // Deeper bitmaps may carry a palette for showing them on palette screens: stepped over.
    const std::uint64_t skipped = h.bitCount == 8 ? 0 : std::uint64_t{h.clrUsed};
    layout.paletteOffset = std::uint64_t{h.size} + masksAfter;
    layout.rowsOffset = layout.paletteOffset + 4 * (layout.paletteEntries + skipped);
    layout.stride = (std::uint64_t{layout.width} * h.bitCount + 31) / 32 * 4;
    const std::uint64_t size = bytes.Size();
    if (layout.rowsOffset > size || (size - layout.rowsOffset) / layout.stride < layout.height)
        return DibVerdict::PastData;
    return DibVerdict::Read;
}

DibVerdict Measure(ByteReader& bytes, const DibHeader& h, Layout& layout)
{
    if (h.width <= 0 || h.height == 0 || h.height == std::numeric_limits<std::int32_t>::min() || !IsKnownFormat(h))
        return DibVerdict::Unsupported;
    layout.width = static_cast<std::uint32_t>(h.width);
    layout.height = static_cast<std::uint32_t>(std::abs(h.height));
    layout.topDown = h.height < 0;
    layout.bitCount = h.bitCount;
    if (!IsWithinDecodeLimits(layout.width, layout.height))
        return DibVerdict::PastLimits;
    std::uint32_t masks[4] = {};
    std::uint32_t masksAfter = 0;
    if (h.bitCount == 32) {
        const DibVerdict masked = ReadMasks(bytes, h, masks, masksAfter);
        if (masked != DibVerdict::Read)
            return masked;
        const DibVerdict channels = SetChannels(masks, layout);
        if (channels != DibVerdict::Read)
            return channels;
    }
    return MeasureRows(bytes, h, masksAfter, layout);
}

std::array<std::uint32_t, kMaxPaletteEntries> ReadPalette(ByteReader& bytes, const Layout& layout)
{
    std::array<std::uint32_t, kMaxPaletteEntries> palette;
    palette.fill(kMissingColour);
    unsigned char entry[4] = {};
    for (std::uint32_t i = 0; i < layout.paletteEntries; ++i) {
        bytes.ReadAt(layout.paletteOffset + 4 * i, entry, 4);
        palette[i] = kOpaque | (std::uint32_t{entry[2]} << 16) | (std::uint32_t{entry[1]} << 8) | entry[0];
    }
    return palette;
}

// One stored row into pixels; returns the alpha bits seen, for the all-zero rule.
std::uint32_t ConvertRow(const Layout& layout, const unsigned char* row, const std::uint32_t* palette,
                         std::uint32_t* out)
{
    std::uint32_t alphaSeen = 0;
    for (std::uint32_t x = 0; x < layout.width; ++x) {
        if (layout.bitCount == 8) {
            out[x] = palette[row[x]];
        } else if (layout.bitCount == 24) {
            const unsigned char* p = row + 3 * x;
            out[x] = kOpaque | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        } else {
            const std::uint32_t v = LittleEndian32(row + 4 * x);
            const std::uint32_t a = layout.alpha.From(v);
            alphaSeen |= a;
            out[x] = (a << 24) | (layout.red.From(v) << 16) | (layout.green.From(v) << 8) | layout.blue.From(v);
        }
    }
    return alphaSeen;
}

void ReadRows(ByteReader& bytes, const Layout& layout, DibPixels& result)
{
    const auto palette = ReadPalette(bytes, layout);
    std::vector<unsigned char> row(static_cast<std::size_t>(layout.stride));
    result.pixels.resize(std::size_t{layout.width} * layout.height);
    std::uint32_t alphaSeen = 0;
    for (std::uint32_t y = 0; y < layout.height; ++y) {
        const std::uint32_t stored = layout.topDown ? y : layout.height - 1 - y;
        bytes.ReadAt(layout.rowsOffset + layout.stride * stored, row.data(), row.size());
        alphaSeen |= ConvertRow(layout, row.data(), palette.data(), &result.pixels[std::size_t{y} * layout.width]);
    }
    if (layout.bitCount == 32 && !layout.alphaMasked && alphaSeen == 0)
        for (std::uint32_t& pixel : result.pixels)
            pixel |= kOpaque;
}

}  // namespace

DibPixels ReadClipboardDib(ByteReader& bytes)
{
    DibPixels result;
    DibHeader header;
    Layout layout;
    result.verdict = ReadHeader(bytes, header);
    if (result.verdict == DibVerdict::Read)
        result.verdict = Measure(bytes, header, layout);
    if (result.verdict != DibVerdict::Read)
        return result;
    ReadRows(bytes, layout, result);
    result.width = layout.width;
    result.height = layout.height;
    return result;
}

std::size_t DibV5Bytes(std::uint32_t width, std::uint32_t height)
{
    return kDibV5HeaderBytes + std::size_t{width} * height * 4;
}

void WriteDibV5(std::uint32_t width, std::uint32_t height, const std::uint32_t* pixels, unsigned char* out)
{
    DibHeader h;
    h.size = kDibV5HeaderBytes;
    h.width = static_cast<std::int32_t>(width);
    h.height = static_cast<std::int32_t>(height);  // bottom-up, which every reader takes
    h.bitCount = 32;
    h.compression = kDibBitfields;
    h.sizeImage = static_cast<std::uint32_t>(std::size_t{width} * height * 4);
    h.redMask = kRedMask, h.greenMask = kGreenMask, h.blueMask = kBlueMask, h.alphaMask = kAlphaMask;
    h.csType = kDibColourSpaceSrgb;
    h.intent = kDibIntentImages;
    EncodeV5Header(h, out);
    unsigned char* rows = out + kDibV5HeaderBytes;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint32_t* source = pixels + std::size_t{height - 1 - y} * width;
        unsigned char* row = rows + std::size_t{y} * width * 4;
        for (std::uint32_t x = 0; x < width; ++x)
            Put32(row + 4 * x, source[x]);
    }
}
