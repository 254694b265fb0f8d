#pragma once
// Device-independent bitmaps as programs hand them over the clipboard: a bitmap header, the
// colour masks or the palette, then the rows, with no file header before them. Read into
// straight ARGB pixels, and written as a 32-bit bitmap with an alpha mask. Pure C++ over the
// bytes: the clipboard itself is the caller's.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "byte_reader.h"

// The bitmap header, as the later header versions extend it: the 40-byte info header, then
// the colour masks (52 bytes), the alpha mask (56), the colour space (108) and the rendering
// intent and profile (124). Little-endian on the wire, read and written field by field.
struct DibHeader {
    std::uint32_t size = 0;  // which version: 40, 52, 56, 108 or 124
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative for rows stored top row first
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    std::uint32_t alphaMask = 0;
    std::uint32_t csType = 0;
    std::uint8_t endpoints[36] = {};
    std::uint32_t gammaRed = 0;
    std::uint32_t gammaGreen = 0;
    std::uint32_t gammaBlue = 0;
    std::uint32_t intent = 0;
    std::uint32_t profileData = 0;
    std::uint32_t profileSize = 0;
    std::uint32_t reserved = 0;
};

constexpr std::uint32_t kDibInfoHeaderBytes = 40;
constexpr std::uint32_t kDibV5HeaderBytes = 124;
constexpr std::uint32_t kDibRgb = 0;             // compression: plain rows
constexpr std::uint32_t kDibBitfields = 3;       // compression: 16- or 32-bit pixels with colour masks
constexpr std::uint32_t kDibAlphaBitfields = 6;  // compression: the same, with an alpha mask too
constexpr std::uint32_t kDibColourSpaceSrgb = 0x73524742;  // 'sRGB'
constexpr std::uint32_t kDibIntentImages = 4;    // perceptual rendering, for photographs

// How reading a bitmap ended.
enum class DibVerdict {
    Read,
    Unsupported,  // not a header, depth or compression read here (8, 24 or 32 bits, plain or masked)
    PastLimits,   // a size past IsWithinDecodeLimits in image_verdict.h
    PastData,     // the header, masks, palette or rows claim more bytes than there are
};

// A bitmap read: its size and its pixels, straight ARGB (alpha in bits 24-31), top row
// first, width × height of them. Empty pixels and a 0 × 0 size unless the verdict is Read.
struct DibPixels {
    DibVerdict verdict = DibVerdict::Unsupported;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;
};

// Reads a bitmap of 8 bits with a palette, 24 bits, or 32 bits plain or with colour masks,
// stored bottom-up or top-down, from bytes that start at its header. A 32-bit bitmap without
// an alpha mask takes its alpha from the fourth byte of each pixel, unless that byte is 0
// in every pixel: then, as the older programs that leave it 0 mean, it is opaque. Everything
// is checked before the pixels are allocated, which are then at most four times the bytes.
DibPixels ReadClipboardDib(ByteReader& bytes);

// The length of the bitmap WriteDibV5 writes: header and rows.
std::size_t DibV5Bytes(std::uint32_t width, std::uint32_t height);

// Writes a 32-bit bitmap with the 124-byte header, colour and alpha masks and rows stored
// bottom-up, of width × height straight ARGB pixels given top row first, into out, which
// holds DibV5Bytes(width, height) bytes.
void WriteDibV5(std::uint32_t width, std::uint32_t height, const std::uint32_t* pixels, unsigned char* out);
