#pragma once
// Image files built byte by byte, for the tests and the fuzz seeds alike: headers that claim
// any size, chunks that claim more than the file holds, compressed streams that inflate to
// far more than they take, valid files of huge images that stay small. Pure C++ with no
// library beneath it (the deflate and CRC are written here), so it builds for the Wine tests
// and natively for the seed writer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

using Bytes = std::vector<unsigned char>;

// Builds file contents byte by byte.
class ByteWriter {
public:
    ByteWriter& Raw(std::initializer_list<unsigned> values)
    {
        for (unsigned value : values)
            bytes_.push_back(static_cast<unsigned char>(value));
        return *this;
    }
    ByteWriter& Raw(const Bytes& more)
    {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }
    ByteWriter& Text(const char* text) { return Raw(Bytes(text, text + std::strlen(text))); }
    ByteWriter& Be16(std::uint32_t v) { return Raw({v >> 8 & 0xFF, v & 0xFF}); }
    ByteWriter& Be32(std::uint32_t v) { return Raw({v >> 24, v >> 16 & 0xFF, v >> 8 & 0xFF, v & 0xFF}); }
    ByteWriter& Le16(std::uint32_t v) { return Raw({v & 0xFF, v >> 8 & 0xFF}); }
    ByteWriter& Le32(std::uint32_t v) { return Raw({v & 0xFF, v >> 8 & 0xFF, v >> 16 & 0xFF, v >> 24}); }
    ByteWriter& Repeat(std::size_t count, unsigned char value)
    {
        bytes_.insert(bytes_.end(), count, value);
        return *this;
    }
    const Bytes& Get() const { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }

private:
    Bytes bytes_;
};

// The CRC of a PNG chunk's type and data.
std::uint32_t Crc32(const unsigned char* data, std::size_t size);

// Appends a PNG chunk: length, type, data and CRC.
void PngChunk(ByteWriter& png, const char* type, const Bytes& data);

// A PNG whose first chunk (normally the header chunk) claims the size, with a little image
// data after it.
Bytes PngClaiming(std::uint32_t width, std::uint32_t height, const char* firstChunk = "IHDR");

// A zlib stream that inflates to count zero bytes, about 13 bits for every 258 of them.
Bytes ZlibZeros(std::uint64_t count);

// A zlib stream that inflates to prefix followed by count copies of fill: the prefix in a
// stored block, the copies as 258-byte matches one byte back at two bits each, the rest in
// a second stored block. About 1 KB for every megabyte it inflates to.
Bytes ZlibRepeating(const Bytes& prefix, unsigned char fill, std::uint64_t count);

// The signature and header chunk of an 8-bit RGBA PNG.
ByteWriter PngHeader(std::uint32_t width, std::uint32_t height);

// Appends the image data of an 8-bit RGBA image of that size, every pixel 0, and the end
// chunk: what follows PngHeader in a whole file.
ByteWriter& PngZeroImage(ByteWriter& png, std::uint32_t width, std::uint32_t height);

// The keyword of a text chunk, "Comment", with the zero byte that ends it.
Bytes Keyword();

// A 16 × 16 PNG with times copies of one chunk between its header and its image.
Bytes PngWith(const char* type, const Bytes& data, int times = 1);

// Appends a chunk whose length field claims claimedLength bytes, followed by only the data
// given (and no CRC when the claim is longer than that data).
ByteWriter& PngChunkClaiming(ByteWriter& png, const char* type, std::uint32_t claimedLength, const Bytes& data);

// The data of a compressed text chunk: zTXt, or iTXt with its compression flag set,
// whose text inflates to count bytes of fill.
Bytes CompressedText(const char* type, unsigned char fill, std::uint64_t count);

// The data of an iCCP chunk whose RGB display profile (a header with no tags, then zeros)
// inflates to profileBytes.
Bytes CompressedRgbProfile(std::uint32_t profileBytes);

// A GIF of a logical screen and frames of their own size, every pixel 0, the image data
// compressed as runs of growing length (a few bytes for every thousand pixels).
Bytes GifOfFrames(std::uint32_t screenWidth, std::uint32_t screenHeight, std::uint32_t frameWidth,
                  std::uint32_t frameHeight, int frames);

// The same with imageData as every frame's image data (the minimum code size, then the
// sub-blocks and the empty one that ends them), for files no decoder is to read.
Bytes GifOfFrames(std::uint32_t screenWidth, std::uint32_t screenHeight, std::uint32_t frameWidth,
                  std::uint32_t frameHeight, int frames, const Bytes& imageData);

// Valid 8-bit grey images, every pixel black, of a few hundred kilobytes however large.
Bytes ZeroGreyPng(std::uint32_t width, std::uint32_t height);
Bytes ZeroGreyTiff(std::uint32_t width, std::uint32_t height);

// The file header and bitmap header of a BMP: the 12-byte core header has 16-bit sizes,
// longer ones signed 32-bit sizes.
ByteWriter BmpHeaders(std::uint32_t headerSize, std::int32_t width, std::int32_t height,
                      std::uint32_t compression = 0, std::uint32_t bitCount = 24);

// An 8-bit run-length BMP of a few kilobytes whose decoder output would take
// width × height × 4 bytes.
Bytes RleBmpClaiming(std::int32_t width, std::int32_t height);

// Appends a baseline frame header with the given marker, claiming the size, for three
// components.
ByteWriter& JpegFrame(ByteWriter& jpeg, unsigned marker, std::uint32_t width, std::uint32_t height);

// A TIFF header and first directory with a width and, if asked, a length.
Bytes TiffClaiming(bool bigEndian, std::uint32_t width, std::uint32_t height, bool withLength = true);

// An icon file holding the given images, each with its directory size (0 meaning 256).
struct IconImage {
    unsigned directoryWidth;
    unsigned directoryHeight;
    Bytes data;
};
Bytes IconOf(const std::vector<IconImage>& images);

// The bitmap header of an icon image: its height counts the mask rows too.
Bytes IconBitmap(std::int32_t width, std::int32_t height);

// The first count bytes, or all of them when there are fewer.
Bytes FirstBytes(const Bytes& bytes, std::size_t count);
