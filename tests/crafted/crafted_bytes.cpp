#include "crafted_bytes.h"

#include <algorithm>

namespace {

// Packs bits into bytes the way deflate does: values from the lowest bit up, Huffman codes
// from their highest bit.
class BitWriter {
public:
    void Bits(std::uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i)
            Bit(value >> i & 1);
    }
    void Code(std::uint32_t code, int length)
    {
        for (int i = length - 1; i >= 0; --i)
            Bit(code >> i & 1);
    }
    // Pads with zero bits to the next whole byte, as a stored block's header is.
    void AlignToByte()
    {
        while (used_ != 0)
            Bit(0);
    }
    Bytes Finish()
    {
        if (used_ > 0)
            bytes_.push_back(current_);
        return bytes_;
    }

private:
    void Bit(std::uint32_t bit)
    {
        current_ |= static_cast<unsigned char>(bit << used_);
        if (++used_ == 8) {
            bytes_.push_back(current_);
            current_ = 0;
            used_ = 0;
        }
    }
    Bytes bytes_;
    unsigned char current_ = 0;
    int used_ = 0;
};

}  // namespace

std::uint32_t Crc32(const unsigned char* data, std::size_t size)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void PngChunk(ByteWriter& png, const char* type, const Bytes& data)
{
    ByteWriter typed;
    typed.Text(type).Raw(data);
    png.Be32(static_cast<std::uint32_t>(data.size())).Raw(typed.Get());
    png.Be32(Crc32(typed.Get().data(), typed.Size()));
}

Bytes PngClaiming(std::uint32_t width, std::uint32_t height, const char* firstChunk)
{
    ByteWriter png;
    png.Raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
    PngChunk(png, firstChunk, ByteWriter().Be32(width).Be32(height).Raw({8, 6, 0, 0, 0}).Get());
    PngChunk(png, "IDAT", {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
    PngChunk(png, "IEND", {});
    return png.Get();
}

// A zlib stream of count zero bytes: one literal 0, then copies of 258 bytes from one byte
// back, in a single block with the fixed codes; about 13 bits for each 258 bytes.
Bytes ZlibZeros(std::uint64_t count)
{
    BitWriter deflate;
    deflate.Bits(1, 1);  // the last block
    deflate.Bits(1, 2);  // fixed codes
    std::uint64_t left = count;
    for (bool first = true; left > 0; first = false) {
        if (!first && left >= 258) {
            deflate.Code(0xC5, 8);  // length 258
            deflate.Code(0, 5);     // distance 1
            left -= 258;
        } else {
            deflate.Code(0x30, 8);  // literal 0
            --left;
        }
    }
    deflate.Code(0, 7);  // end of block
    const std::uint32_t adler = static_cast<std::uint32_t>(count % 65521) << 16 | 1;
    return ByteWriter().Raw({0x78, 0x01}).Raw(deflate.Finish()).Be32(adler).Get();
}

namespace {

constexpr std::uint32_t kAdlerModulus = 65521;
constexpr std::uint64_t kLongestMatch = 258;

// A stored deflate block: its header, aligned to a byte, and the bytes themselves.
void StoredBlock(BitWriter& deflate, const Bytes& bytes, bool last)
{
    deflate.Bits(last ? 1 : 0, 1);
    deflate.Bits(0, 2);
    deflate.AlignToByte();
    const std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
    deflate.Bits(length, 16);
    deflate.Bits(~length & 0xFFFF, 16);
    for (unsigned char byte : bytes)
        deflate.Bits(byte, 8);
}

// A deflate block of matches of 258 bytes at distance 1, with its own codes: the end of
// block and the length 258 take one bit each, and so does the only distance.
void RepeatBlock(BitWriter& deflate, std::uint64_t matches)
{
    deflate.Bits(0, 1);          // not the last block
    deflate.Bits(2, 2);          // codes of its own
    deflate.Bits(286 - 257, 5);  // literal and length codes 0 to 285
    deflate.Bits(1 - 1, 5);      // one distance code
    deflate.Bits(18 - 4, 4);     // code length codes, in their order, up to the one for 1
    // Lengths of the code length codes 16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13,
    // 2, 14 and 1: 1 gets code 0, 17 code 10, 18 code 11.
    for (std::uint32_t length : {0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1})
        deflate.Bits(length, 3);
    const auto zeros = [&](std::uint32_t count) {
        deflate.Code(3, 2);
        deflate.Bits(count - 11, 7);
    };
    zeros(138);
    zeros(118);           // literals 0 to 255 unused
    deflate.Code(0, 1);   // end of block: length 1
    zeros(28);            // lengths 257 to 284 unused
    deflate.Code(0, 1);   // length 258: length 1
    deflate.Code(0, 1);   // distance 1: length 1
    for (std::uint64_t i = 0; i < matches; ++i) {
        deflate.Code(1, 1);  // length 258
        deflate.Code(0, 1);  // distance 1
    }
    deflate.Code(0, 1);  // end of block
}

// The Adler-32 of prefix followed by count copies of fill, the copies summed in closed form.
std::uint32_t AdlerOfRepeating(const Bytes& prefix, unsigned char fill, std::uint64_t count)
{
    std::uint64_t a = 1, b = 0;
    for (unsigned char byte : prefix) {
        a = (a + byte) % kAdlerModulus;
        b = (b + a) % kAdlerModulus;
    }
    // After n more bytes v: a + n v, and b + n a + v n (n + 1) / 2.
    const std::uint64_t n = count % kAdlerModulus;
    const std::uint64_t half = count % 2 == 0 ? (count / 2) % kAdlerModulus : ((count + 1) / 2) % kAdlerModulus;
    const std::uint64_t other = count % 2 == 0 ? (count + 1) % kAdlerModulus : n;
    const std::uint64_t triangle = half * other % kAdlerModulus;
    b = (b + n * a + fill * triangle) % kAdlerModulus;
    a = (a + n * fill) % kAdlerModulus;
    return static_cast<std::uint32_t>(b << 16 | a);
}

}  // namespace

Bytes ZlibRepeating(const Bytes& prefix, unsigned char fill, std::uint64_t count)
{
    BitWriter deflate;
    // The first copy is a literal in the stored block, so that every match has a byte to copy.
    Bytes head = prefix;
    if (count > 0)
        head.push_back(fill);
    const std::uint64_t matches = count > 0 ? (count - 1) / kLongestMatch : 0;
    const std::uint64_t rest = count > 0 ? (count - 1) % kLongestMatch : 0;
    StoredBlock(deflate, head, false);
    RepeatBlock(deflate, matches);
    StoredBlock(deflate, Bytes(rest, fill), true);
    return ByteWriter().Raw({0x78, 0x01}).Raw(deflate.Finish()).Be32(AdlerOfRepeating(prefix, fill, count)).Get();
}

ByteWriter PngHeader(std::uint32_t width, std::uint32_t height)
{
    ByteWriter png;
    png.Raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
    PngChunk(png, "IHDR", ByteWriter().Be32(width).Be32(height).Raw({8, 6, 0, 0, 0}).Get());
    return png;
}

ByteWriter& PngZeroImage(ByteWriter& png, std::uint32_t width, std::uint32_t height)
{
    const std::uint64_t rowBytes = 1 + 4ull * width;  // the filter byte, then RGBA
    PngChunk(png, "IDAT", ZlibZeros(rowBytes * height));
    PngChunk(png, "IEND", {});
    return png;
}

Bytes Keyword()
{
    return ByteWriter().Text("Comment").Raw({0}).Get();
}

Bytes PngWith(const char* type, const Bytes& data, int times)
{
    ByteWriter png = PngHeader(16, 16);
    for (int i = 0; i < times; ++i)
        PngChunk(png, type, data);
    return PngZeroImage(png, 16, 16).Get();
}

ByteWriter& PngChunkClaiming(ByteWriter& png, const char* type, std::uint32_t claimedLength, const Bytes& data)
{
    ByteWriter typed;
    typed.Text(type).Raw(data);
    png.Be32(claimedLength).Raw(typed.Get());
    if (claimedLength <= data.size())
        png.Be32(Crc32(typed.Get().data(), typed.Size()));
    return png;
}

Bytes CompressedText(const char* type, unsigned char fill, std::uint64_t count)
{
    ByteWriter text;
    text.Text("Comment").Raw({0});
    if (std::strcmp(type, "iTXt") == 0)
        text.Raw({1, 0, 0, 0});  // compressed, with deflate, no language, no translated keyword
    else
        text.Raw({0});  // deflate
    return text.Raw(ZlibRepeating({}, fill, count)).Get();
}

Bytes CompressedRgbProfile(std::uint32_t profileBytes)
{
    ByteWriter header;
    header.Be32(profileBytes).Be32(0).Be32(0x02100000);  // size, no preferred module, version 2.1
    header.Text("mntr").Text("RGB ").Text("XYZ ").Repeat(12, 0).Text("acsp");
    header.Repeat(64 - 40, 0).Be32(0);                   // rendering intent: perceptual
    header.Be32(0x0000F6D6).Be32(0x00010000).Be32(0x0000D32D);  // the D50 white point
    header.Repeat(128 - 80, 0).Be32(0);                  // no tags
    ByteWriter chunk;
    chunk.Text("Profile").Raw({0, 0});  // name, deflate
    return chunk.Raw(ZlibRepeating(header.Get(), 0, profileBytes - header.Size())).Get();
}

namespace {

constexpr std::uint32_t kGifClear = 4, kGifEnd = 5, kGifFirstFreeCode = 6, kGifCodeLimit = 4096;

// The image data of pixels 0s with a minimum code size of 2: after a clear code and one
// literal 0, each code is the one the decoder is about to add, which stands for the run
// before it and one more pixel, so the runs grow by one each code. The table is started
// again before it fills.
Bytes GifZeroPixels(std::uint64_t pixels)
{
    Bytes packed;
    std::uint32_t pending = 0;
    int pendingBits = 0;
    int width = 3;
    const auto emit = [&](std::uint32_t code) {
        pending |= code << pendingBits;
        for (pendingBits += width; pendingBits >= 8; pendingBits -= 8) {
            packed.push_back(static_cast<unsigned char>(pending));
            pending >>= 8;
        }
    };
    std::uint32_t next = kGifCodeLimit;
    std::uint64_t run = 0;
    for (std::uint64_t done = 0; done < pixels; done += run) {
        if (next + 1 >= kGifCodeLimit) {
            emit(kGifClear);
            width = 3;
            emit(0);
            next = kGifFirstFreeCode;
            run = 1;
            continue;
        }
        emit(next++);
        ++run;
        if (next == (1u << width) && width < 12)
            ++width;
    }
    emit(kGifEnd);
    if (pendingBits > 0)
        packed.push_back(static_cast<unsigned char>(pending));

    ByteWriter blocks;
    blocks.Raw({2});  // the minimum code size
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, packed.size() - at);
        blocks.Raw({static_cast<unsigned>(length)}).Raw(Bytes(packed.begin() + at, packed.begin() + at + length));
    }
    return blocks.Raw({0}).Get();
}

}  // namespace

Bytes GifOfFrames(std::uint32_t screenWidth, std::uint32_t screenHeight, std::uint32_t frameWidth,
                  std::uint32_t frameHeight, int frames)
{
    return GifOfFrames(screenWidth, screenHeight, frameWidth, frameHeight, frames,
                       GifZeroPixels(std::uint64_t{frameWidth} * frameHeight));
}

Bytes GifOfFrames(std::uint32_t screenWidth, std::uint32_t screenHeight, std::uint32_t frameWidth,
                  std::uint32_t frameHeight, int frames, const Bytes& imageData)
{
    ByteWriter gif;
    gif.Text("GIF89a").Le16(screenWidth).Le16(screenHeight).Raw({0x80, 0, 0});
    gif.Raw({0, 0, 0, 255, 255, 255});  // black and white
    for (int i = 0; i < frames; ++i)
        gif.Raw({0x2C}).Le16(0).Le16(0).Le16(frameWidth).Le16(frameHeight).Raw({0}).Raw(imageData);
    return gif.Raw({0x3B}).Get();
}

Bytes ZeroGreyPng(std::uint32_t width, std::uint32_t height)
{
    ByteWriter png;
    png.Raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
    PngChunk(png, "IHDR", ByteWriter().Be32(width).Be32(height).Raw({8, 0, 0, 0, 0}).Get());
    PngChunk(png, "IDAT", ZlibZeros(std::uint64_t{height} * (width + 1)));
    PngChunk(png, "IEND", {});
    return png.Get();
}

// A valid uncompressed 8-bit grey TIFF, every pixel black, one row a strip and every strip
// the same bytes, so the file stays small however large the image.
Bytes ZeroGreyTiff(std::uint32_t width, std::uint32_t height)
{
    const std::uint32_t entries = 8;
    const std::uint32_t directory = 8;
    const std::uint32_t offsets = directory + 2 + 12 * entries + 4;
    const std::uint32_t counts = offsets + 4 * height;
    const std::uint32_t row = counts + 4 * height;
    ByteWriter tiff;
    tiff.Text("II").Le16(42).Le32(directory).Le16(entries);
    const auto entry = [&](std::uint32_t tag, std::uint32_t type, std::uint32_t count, std::uint32_t value) {
        tiff.Le16(tag).Le16(type).Le32(count).Le32(value);
    };
    entry(256, 4, 1, width);
    entry(257, 4, 1, height);
    entry(258, 3, 1, 8);          // bits per sample
    entry(259, 3, 1, 1);          // no compression
    entry(262, 3, 1, 1);          // black is zero
    entry(273, 4, height, offsets);
    entry(278, 4, 1, 1);          // rows per strip
    entry(279, 4, height, counts);
    tiff.Le32(0);
    for (std::uint32_t strip = 0; strip < height; ++strip)
        tiff.Le32(row);
    for (std::uint32_t strip = 0; strip < height; ++strip)
        tiff.Le32(width);
    return tiff.Repeat(width, 0).Get();
}

ByteWriter BmpHeaders(std::uint32_t headerSize, std::int32_t width, std::int32_t height,
                      std::uint32_t compression, std::uint32_t bitCount)
{
    ByteWriter bmp;
    bmp.Text("BM").Le32(0).Le32(0).Le32(14 + headerSize).Le32(headerSize);
    if (headerSize == 12)
        return bmp.Le16(static_cast<std::uint16_t>(width)).Le16(static_cast<std::uint16_t>(height)).Le16(1).Le16(bitCount);
    bmp.Le32(static_cast<std::uint32_t>(width)).Le32(static_cast<std::uint32_t>(height)).Le16(1).Le16(bitCount);
    if (headerSize < 40)
        return bmp.Repeat(headerSize - 16, 0);
    bmp.Le32(compression).Le32(0).Le32(2835).Le32(2835).Le32(0).Le32(0);
    return bmp.Repeat(headerSize - 40, 0);
}

Bytes RleBmpClaiming(std::int32_t width, std::int32_t height)
{
    ByteWriter bmp = BmpHeaders(40, width, height, 1 /* BI_RLE8 */, 8);
    bmp.Raw({0, 0, 255, 0, 255, 255, 255, 0});  // two palette colours
    for (int row = 0; row < 500; ++row)
        bmp.Raw({255, 1, 255, 1, 255, 1, 255, 1, 0, 0});  // four runs, end of line
    bmp.Raw({0, 1});                                      // end of bitmap
    Bytes bytes = bmp.Get();
    const Bytes dataOffset = ByteWriter().Le32(14 + 40 + 8).Get();
    std::copy(dataOffset.begin(), dataOffset.end(), bytes.begin() + 10);
    return bytes;
}

ByteWriter& JpegFrame(ByteWriter& jpeg, unsigned marker, std::uint32_t width, std::uint32_t height)
{
    jpeg.Raw({0xFF, marker}).Be16(17).Raw({8}).Be16(height).Be16(width).Raw({3});
    return jpeg.Raw({1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
}

// A TIFF header and first directory with a width and, if asked, a length, each written
// as a short when it fits and as a long otherwise, after a tag the reader passes over.
Bytes TiffClaiming(bool bigEndian, std::uint32_t width, std::uint32_t height, bool withLength)
{
    ByteWriter tiff;
    const auto u16 = [&](std::uint32_t v) { bigEndian ? tiff.Be16(v) : tiff.Le16(v); };
    const auto u32 = [&](std::uint32_t v) { bigEndian ? tiff.Be32(v) : tiff.Le32(v); };
    const auto entry = [&](std::uint32_t tag, std::uint32_t value) {
        u16(tag);
        u16(value > 0xFFFF ? 4 : 3);
        u32(1);
        if (value > 0xFFFF) {
            u32(value);
        } else {
            u16(value);
            u16(0);
        }
    };
    tiff.Text(bigEndian ? "MM" : "II");
    u16(42);
    u32(8);
    u16(withLength ? 3 : 2);
    entry(254, 0);
    entry(256, width);
    if (withLength)
        entry(257, height);
    u32(0);
    return tiff.Get();
}

Bytes IconOf(const std::vector<IconImage>& images)
{
    ByteWriter icon;
    icon.Le16(0).Le16(1).Le16(static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const IconImage& image : images) {
        icon.Raw({image.directoryWidth, image.directoryHeight, 0, 0}).Le16(1).Le16(32);
        icon.Le32(static_cast<std::uint32_t>(image.data.size())).Le32(offset);
        offset += static_cast<std::uint32_t>(image.data.size());
    }
    for (const IconImage& image : images)
        icon.Raw(image.data);
    return icon.Get();
}

Bytes IconBitmap(std::int32_t width, std::int32_t height)
{
    ByteWriter dib;
    dib.Le32(40).Le32(static_cast<std::uint32_t>(width)).Le32(static_cast<std::uint32_t>(height * 2));
    return dib.Le16(1).Le16(32).Repeat(24, 0).Get();
}

Bytes FirstBytes(const Bytes& bytes, std::size_t count)
{
    return Bytes(bytes.begin(), bytes.begin() + std::min(count, bytes.size()));
}
