// Files from anywhere: the header reader, the decode limits, every file of the public image
// suites through the open path, files claiming huge sizes, and memory over a long session.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "document/image_document.h"
#include "files/path_conversion.h"
#include "imaging/image_encoder.h"
#include "imaging/image_header.h"
#include "imaging/image_loader.h"
#include "test_support.h"
#include "ui/app_state.h"
#include "ui_support.h"

namespace {

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

// A PNG with a well-formed header chunk claiming the size, and a little image data.
Bytes PngClaiming(std::uint32_t width, std::uint32_t height, const char* firstChunk = "IHDR")
{
    ByteWriter png;
    png.Raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
    PngChunk(png, firstChunk, ByteWriter().Be32(width).Be32(height).Raw({8, 6, 0, 0, 0}).Get());
    PngChunk(png, "IDAT", {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
    PngChunk(png, "IEND", {});
    return png.Get();
}

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

// A valid 8-bit grey PNG, every pixel black, of a few hundred kilobytes however large.
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

// The file header and bitmap header of a BMP: the 12-byte core header has 16-bit sizes,
// longer ones signed 32-bit sizes.
ByteWriter BmpHeaders(std::uint32_t headerSize, std::int32_t width, std::int32_t height,
                      std::uint32_t compression = 0, std::uint32_t bitCount = 24)
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

// An 8-bit run-length BMP of a few kilobytes whose decoder output would take
// width × height × 4 bytes.
Bytes RleBmpClaiming(std::int32_t width, std::int32_t height)
{
    ByteWriter bmp = BmpHeaders(40, width, height, 1 /* BI_RLE8 */, 8);
    bmp.Raw({0, 0, 255, 0, 255, 255, 255, 0});  // two palette colours
    for (int row = 0; row < 500; ++row)
        bmp.Raw({255, 1, 255, 1, 255, 1, 255, 1, 0, 0});  // four runs, end of line
    bmp.Raw({0, 1});                                      // end of bitmap
    Bytes bytes = bmp.Get();
    const std::uint32_t dataOffset = 14 + 40 + 8;
    std::memcpy(&bytes[10], &dataOffset, 4);  // little-endian, as on every target
    return bytes;
}

// A baseline frame header claiming the size, for three components.
ByteWriter& JpegFrame(ByteWriter& jpeg, unsigned marker, std::uint32_t width, std::uint32_t height)
{
    jpeg.Raw({0xFF, marker}).Be16(17).Raw({8}).Be16(height).Be16(width).Raw({3});
    return jpeg.Raw({1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
}

// A real JPEG written by GDI+, with its frame header changed to claim the size and, if
// asked, stray bytes put before that header's marker (the decoder skips them).
Bytes JpegClaiming(const TempFolder& folder, std::uint32_t width, std::uint32_t height, bool strayBytes)
{
    const std::wstring path = folder.Path(L"source.jpg");
    EXPECT_TRUE(WriteJpeg(*MakePatternImage(32, 24), path));
    Bytes jpeg = ReadFileBytes(path);
    std::size_t at = 2;
    while (at + 9 < jpeg.size() && !(jpeg[at + 1] >= 0xC0 && jpeg[at + 1] <= 0xC2))
        at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
    EXPECT_LT(at + 9, jpeg.size()) << "no frame header in the written JPEG";
    if (at + 9 >= jpeg.size())
        return {};
    jpeg[at + 5] = static_cast<unsigned char>(height >> 8);
    jpeg[at + 6] = static_cast<unsigned char>(height);
    jpeg[at + 7] = static_cast<unsigned char>(width >> 8);
    jpeg[at + 8] = static_cast<unsigned char>(width);
    if (strayBytes)
        jpeg.insert(jpeg.begin() + at, {0x00, 0x12, 0x34, 0xFF, 0x00});
    return jpeg;
}

// A TIFF header and first directory with a width and, if asked, a length, each written
// as a short when it fits and as a long otherwise, after a tag the reader passes over.
Bytes TiffClaiming(bool bigEndian, std::uint32_t width, std::uint32_t height, bool withLength = true)
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

// An icon file holding the given images, each with its directory size (0 meaning 256).
struct IconImage {
    unsigned directoryWidth;
    unsigned directoryHeight;
    Bytes data;
};
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

// The bitmap header of an icon image: its height counts the mask rows too.
Bytes IconBitmap(std::int32_t width, std::int32_t height)
{
    ByteWriter dib;
    dib.Le32(40).Le32(static_cast<std::uint32_t>(width)).Le32(static_cast<std::uint32_t>(height * 2));
    return dib.Le16(1).Le16(32).Repeat(24, 0).Get();
}

// The size read from bytes written to a file of the given name.
std::optional<ClaimedSize> ClaimOf(const TempFolder& folder, const Bytes& bytes,
                                   const std::wstring& name = L"header.bin")
{
    EXPECT_TRUE(WriteFileBytes(folder.Path(name), bytes));
    return ReadClaimedSize(folder.Path(name).c_str());
}

// "w x h" or "nothing", so that a failing check says what was read.
std::string Describe(const std::optional<ClaimedSize>& claim)
{
    return claim ? std::to_string(claim->width) + " x " + std::to_string(claim->height) : "nothing";
}

std::string Expect(std::uint64_t width, std::uint64_t height)
{
    return Describe(ClaimedSize{width, height});
}

Bytes FirstBytes(const Bytes& bytes, std::size_t count)
{
    return Bytes(bytes.begin(), bytes.begin() + std::min(count, bytes.size()));
}

PROCESS_MEMORY_COUNTERS MemoryCounters()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

constexpr std::uint64_t kMegabyte = 1024 * 1024;

}  // namespace

// ---- The header reader ----

TEST(ImageHeader, PngSizeIsReadFromItsHeaderChunkWhateverTheFileIsCalled)
{
    TempFolder folder;
    EXPECT_EQ(Expect(32, 32), Describe(ReadClaimedSize(TestData(L"pngsuite/basn6a08.png").c_str())));
    EXPECT_EQ(Expect(100000, 100000), Describe(ClaimOf(folder, PngClaiming(100000, 100000))));
    EXPECT_EQ(Expect(4000000000u, 7), Describe(ClaimOf(folder, PngClaiming(4000000000u, 7), L"named.bmp")));
    EXPECT_EQ("nothing", Describe(ClaimOf(folder, PngClaiming(100, 100, "gAMA"))));
}

TEST(ImageHeader, BmpSizeIsReadFromEveryKindOfBitmapHeader)
{
    TempFolder folder;
    for (const wchar_t* name : {L"g/pal8.bmp", L"g/pal8topdown.bmp", L"g/pal8os2.bmp", L"g/pal8v4.bmp",
                                L"g/pal8v5.bmp", L"q/pal8os2v2-16.bmp", L"q/pal8os2v2.bmp"}) {
        SCOPED_TRACE(ToAnsi(name));
        EXPECT_EQ(Expect(127, 64), Describe(ReadClaimedSize(TestData(std::wstring(L"bmpsuite/") + name).c_str())));
    }
    // The core header's sizes are unsigned 16 bits; later headers' are signed 32 bits, and
    // a negative height stands for top-down rows.
    EXPECT_EQ(Expect(60000, 50000), Describe(ClaimOf(folder, BmpHeaders(12, 60000, 50000).Get())));
    EXPECT_EQ(Expect(131168, 70000), Describe(ClaimOf(folder, BmpHeaders(40, 131168, -70000).Get())));
    EXPECT_EQ(Expect(5, 2147483648u), Describe(ClaimOf(folder, BmpHeaders(40, 5, INT32_MIN).Get())));
    EXPECT_EQ(Expect(300, 200), Describe(ClaimOf(folder, BmpHeaders(124, 300, -200).Get())));
    EXPECT_EQ(Expect(300, 200), Describe(ClaimOf(folder, BmpHeaders(16, 300, 200).Get())));
    EXPECT_EQ("nothing", Describe(ClaimOf(folder, ByteWriter().Text("BM").Repeat(12, 0).Le32(8).Repeat(16, 1).Get())));
}

TEST(ImageHeader, JpegSizeIsFoundPastApplicationSegmentsFillBytesAndStrayBytes)
{
    TempFolder folder;
    EXPECT_EQ(Expect(32, 24), Describe(ClaimOf(folder, JpegClaiming(folder, 32, 24, false))));

    // A frame header inside an application segment is data, not the frame.
    ByteWriter jpeg;
    jpeg.Raw({0xFF, 0xD8, 0xFF, 0xE0}).Be16(16).Text("JFIF").Repeat(10, 0);
    jpeg.Raw({0xFF, 0xE1}).Be16(2 + 11).Raw({0xFF, 0xC0, 0, 17, 8, 0x7F, 0xFF, 0x7F, 0xFF, 3, 0});
    jpeg.Raw({0xFF, 0xC4}).Be16(2 + 3).Raw({0, 1, 2});  // a Huffman table, not a frame
    jpeg.Raw({0xFF, 0xFE}).Be16(2 + 4).Text("note");
    jpeg.Raw({0xFF, 0xFF, 0xFF});  // fill bytes before the next marker
    ByteWriter progressive = jpeg;
    JpegFrame(progressive, 0xC2, 640, 480);
    EXPECT_EQ(Expect(640, 480), Describe(ClaimOf(folder, progressive.Get())));

    // Stray bytes and a stuffed 0xFF 0x00 before the marker are skipped as the decoder skips them.
    ByteWriter stray = jpeg;
    stray.Raw({0x00, 0x41, 0xFF, 0x00, 0x42});
    JpegFrame(stray, 0xC0, 1024, 768);
    EXPECT_EQ(Expect(1024, 768), Describe(ClaimOf(folder, stray.Get())));

    // A segment length below 2 is stepped over as 2.
    ByteWriter shortLength;
    shortLength.Raw({0xFF, 0xD8, 0xFF, 0xE5}).Be16(0);
    JpegFrame(shortLength, 0xC1, 70, 50);
    EXPECT_EQ(Expect(70, 50), Describe(ClaimOf(folder, shortLength.Get())));
}

TEST(ImageHeader, JpegWithoutAFrameHeaderBeforeItsImageDataGivesNoSize)
{
    TempFolder folder;
    ByteWriter scanFirst;
    scanFirst.Raw({0xFF, 0xD8, 0xFF, 0xDA}).Be16(8).Repeat(6, 0);
    JpegFrame(scanFirst, 0xC0, 640, 480);
    EXPECT_EQ("nothing", Describe(ClaimOf(folder, scanFirst.Get())));

    ByteWriter endFirst;
    endFirst.Raw({0xFF, 0xD8, 0xFF, 0xD9});
    JpegFrame(endFirst, 0xC0, 640, 480);
    EXPECT_EQ("nothing", Describe(ClaimOf(folder, endFirst.Get())));

    EXPECT_EQ("nothing", Describe(ClaimOf(folder, ByteWriter().Raw({0xFF, 0xD8}).Repeat(5000, 0x55).Get())));
}

TEST(ImageHeader, GifSizeIsItsLogicalScreen)
{
    TempFolder folder;
    const std::wstring path = folder.Path(L"written.gif");
    ASSERT_TRUE(WriteImageFile(*MakePatternImage(37, 23), path.c_str(), L"image/gif", nullptr));
    EXPECT_EQ(Expect(37, 23), Describe(ReadClaimedSize(path.c_str())));
    EXPECT_EQ(Expect(60000, 300), Describe(ClaimOf(folder, ByteWriter().Text("GIF87a").Le16(60000).Le16(300).Raw({0, 0, 0}).Get())));
}

TEST(ImageHeader, TiffSizeIsReadFromItsFirstDirectoryInEitherByteOrder)
{
    TempFolder folder;
    const std::wstring path = folder.Path(L"written.tif");
    ASSERT_TRUE(WriteImageFile(*MakePatternImage(37, 23), path.c_str(), L"image/tiff", nullptr));
    EXPECT_EQ(Expect(37, 23), Describe(ReadClaimedSize(path.c_str())));
    EXPECT_EQ(Expect(60000, 100000), Describe(ClaimOf(folder, TiffClaiming(true, 60000, 100000))));
    EXPECT_EQ(Expect(60000, 100000), Describe(ClaimOf(folder, TiffClaiming(false, 60000, 100000))));
    EXPECT_EQ("nothing", Describe(ClaimOf(folder, TiffClaiming(false, 60000, 100000, false))));
}

TEST(ImageHeader, IconSizeIsTheLargestWidthAndHeightAmongItsImages)
{
    TempFolder folder;
    EXPECT_EQ(Expect(256, 256), Describe(ClaimOf(folder, IconOf({{48, 48, IconBitmap(48, 48)},
                                                                  {0, 0, PngClaiming(256, 256)}}))));
    EXPECT_EQ(Expect(100000, 100000), Describe(ClaimOf(folder, IconOf({{16, 16, IconBitmap(16, 16)},
                                                                        {0, 0, PngClaiming(100000, 100000)}}))));
    EXPECT_EQ(Expect(20000, 300), Describe(ClaimOf(folder, IconOf({{32, 32, IconBitmap(20000, 300)}}))));
    // An image whose data lies past the end still counts with its directory size.
    EXPECT_EQ(Expect(256, 40), Describe(ClaimOf(folder, IconOf({{0, 40, {}}}))));
}

TEST(ImageHeader, TruncatedHeadersGiveNoSizeButACompleteOneIsRead)
{
    TempFolder folder;
    const Bytes png = PngClaiming(640, 480);
    EXPECT_EQ("nothing", Describe(ClaimOf(folder, FirstBytes(png, 23))));
    EXPECT_EQ(Expect(640, 480), Describe(ClaimOf(folder, FirstBytes(png, 24))));
    const Bytes bmp = BmpHeaders(40, 640, 480).Get();
    EXPECT_EQ("nothing", Describe(ClaimOf(folder, FirstBytes(bmp, 25))));
    EXPECT_EQ(Expect(640, 480), Describe(ClaimOf(folder, FirstBytes(bmp, 26))));
    EXPECT_EQ(Expect(640, 480), Describe(ClaimOf(folder, FirstBytes(BmpHeaders(12, 640, 480).Get(), 22))));
    ByteWriter jpeg;
    jpeg.Raw({0xFF, 0xD8});
    JpegFrame(jpeg, 0xC0, 640, 480);
    EXPECT_EQ("nothing", Describe(ClaimOf(folder, FirstBytes(jpeg.Get(), 10))));
    EXPECT_EQ(Expect(640, 480), Describe(ClaimOf(folder, FirstBytes(jpeg.Get(), 11))));
    EXPECT_EQ("nothing", Describe(ClaimOf(folder, FirstBytes(ByteWriter().Text("GIF89a").Le16(640).Le16(480).Get(), 9))));
    EXPECT_EQ("nothing", Describe(ClaimOf(folder, FirstBytes(TiffClaiming(false, 640, 480), 20))));
    EXPECT_EQ("nothing", Describe(ClaimOf(folder, {})));
}

TEST(ImageHeader, UnknownFormatsAndMissingFilesGiveNoSize)
{
    TempFolder folder;
    const std::string text = "a text file named like an image";
    EXPECT_EQ("nothing", Describe(ClaimOf(folder, {text.begin(), text.end()}, L"text.png")));
    EXPECT_EQ("nothing", Describe(ClaimOf(folder, ByteWriter().Text("BA").Repeat(40, 0x7F).Get())));
    EXPECT_EQ("nothing", Describe(ReadClaimedSize(folder.Path(L"missing.png").c_str())));
    EXPECT_EQ("nothing", Describe(ReadClaimedSize(folder.Folder().c_str())));
    EXPECT_EQ("nothing", Describe(ReadClaimedSize(nullptr)));
}

TEST(ImageHeader, DecodeLimitsAllowUpTo16384ASideAnd128MegapixelsExactly)
{
    EXPECT_TRUE(IsWithinDecodeLimits(1, 1));
    EXPECT_TRUE(IsWithinDecodeLimits(16384, 1));
    EXPECT_TRUE(IsWithinDecodeLimits(1, 16384));
    EXPECT_FALSE(IsWithinDecodeLimits(16385, 1));
    EXPECT_FALSE(IsWithinDecodeLimits(1, 16385));
    EXPECT_TRUE(IsWithinDecodeLimits(16000, 8000));  // 128,000,000 pixels
    EXPECT_FALSE(IsWithinDecodeLimits(16000, 8001));
    EXPECT_TRUE(IsWithinDecodeLimits(16384, 7812));  // 127,991,808
    EXPECT_FALSE(IsWithinDecodeLimits(16384, 7813));  // 128,008,192
    EXPECT_FALSE(IsWithinDecodeLimits(16384, 16384));
    EXPECT_FALSE(IsWithinDecodeLimits(1ull << 40, 1ull << 40));  // no overflow makes it small
    EXPECT_FALSE(IsWithinDecodeLimits(1ull << 32, 0));
}

// ---- Files through the program's open path ----

namespace {

// Runs what the open command does once its dialog has returned a path: the code page 932
// path converted for the imaging library, the file loaded, the image given to the document.
void OpenAsTheProgramDoes(const std::wstring& path)
{
    const std::string ansi = ToAnsi(path);
    ASSERT_LT(ansi.size(), ImageDocument::kPathBytes);
    std::memcpy(g_document.OpenedPath(), ansi.c_str(), ansi.size() + 1);
    ASSERT_TRUE(ConvertPathToWide(g_document.OpenedPath(), g_document.WidePath()));
    ASSERT_STREQ(path.c_str(), g_document.WidePath());
    g_document.SetImage(LoadImageFile(g_document.WidePath()));
    ASSERT_TRUE(g_document.HasImage());
    ASSERT_NE(nullptr, g_document.Image());
}

std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern)
{
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"/" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(folder + L"/" + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

// Whether a suite's files decode to the same pixels every time. The decoder leaves pixels
// that broken or cut-short run-length data never reaches uninitialised, so two decodes of
// such a file differ; for those only the size can be compared.
enum class Pixels { Compared, Undefined };

class UntrustedFiles : public testing::Test {
protected:
    void TearDown() override { ReleaseAllImages(); }

    // Opens every file of a suite folder and checks that each either loaded exactly as GDI+
    // decodes it or became the empty image, and that a file is empty only when GDI+ cannot
    // decode it or it claims a size past the limits. Prints how many did which.
    void OpenEverySuiteFile(const std::wstring& folder, const wchar_t* pattern, Pixels pixels)
    {
        const std::vector<std::wstring> files = FilesIn(TestData(folder), pattern);
        ASSERT_FALSE(files.empty()) << "no test data in " << ToAnsi(TestData(folder));
        int loaded = 0;
        std::string emptyNames;
        for (const std::wstring& path : files) {
            SCOPED_TRACE(ToAnsi(path));
            OpenAsTheProgramDoes(path);
            if (CheckOpenedFile(path, pixels))
                ++loaded;
            else
                emptyNames += " " + ToAnsi(path.substr(path.rfind(L'/') + 1));
        }
        const int count = static_cast<int>(files.size());
        std::printf("%s: %d files, %d loaded, %d empty:%s\n", ToAnsi(folder).c_str(), count, loaded,
                    count - loaded, emptyNames.c_str());
        std::fflush(stdout);
    }

    // True when the document's image is the file, false when it is the empty image.
    static bool CheckOpenedFile(const std::wstring& path, Pixels pixels)
    {
        const ImageHandle& image = *g_document.Image();
        const auto claimed = ReadClaimedSize(path.c_str());
        if (claimed && !IsWithinDecodeLimits(claimed->width, claimed->height)) {
            EXPECT_TRUE(image.IsEmpty()) << "claims " << Describe(claimed);
            return !image.IsEmpty();  // not decoded directly: it may be a file that kills the decoder
        }
        const DirectDecode original = DecodeDirectly(path);
        const bool decodable = original.decoded && original.size.width > 0 &&
                               IsWithinDecodeLimits(original.size.width, original.size.height);
        EXPECT_EQ(decodable, !image.IsEmpty());
        if (image.IsEmpty()) {
            EXPECT_EQ(0u, g_document.GetImageSize().width);
            EXPECT_EQ(0u, g_document.GetImageSize().height);
            return false;
        }
        EXPECT_EQ(original.size.width, g_document.GetImageSize().width);
        EXPECT_EQ(original.size.height, g_document.GetImageSize().height);
        if (claimed) {
            EXPECT_EQ(Describe(claimed), Expect(original.size.width, original.size.height));
        }
        if (pixels == Pixels::Compared) {
            EXPECT_TRUE(original.pixels == ReadAllPixels(image)) << "the colours changed on loading";
        }
        return true;
    }
};

}  // namespace

TEST_F(UntrustedFiles, EveryPngSuiteFileLoadsAtItsTrueSizeOrBecomesEmpty)
{
    OpenEverySuiteFile(L"pngsuite", L"*.png", Pixels::Compared);
}

TEST_F(UntrustedFiles, EveryGoodBmpSuiteFileLoadsAtItsTrueSizeOrBecomesEmpty)
{
    OpenEverySuiteFile(L"bmpsuite/g", L"*.bmp", Pixels::Compared);
}

TEST_F(UntrustedFiles, EveryQuestionableBmpSuiteFileLoadsAtItsTrueSizeOrBecomesEmpty)
{
    OpenEverySuiteFile(L"bmpsuite/q", L"*.bmp", Pixels::Undefined);
}

TEST_F(UntrustedFiles, EveryBadBmpSuiteFileLoadsAtItsTrueSizeOrBecomesEmpty)
{
    OpenEverySuiteFile(L"bmpsuite/b", L"*.bmp", Pixels::Undefined);
}

namespace {

// A file claiming a size past the limits. Decoded, each takes from 240 MB to 2 GB of memory,
// or kills the process (the JPEGs); the header-only ones fail in the decoder anyway.
struct HugeFile {
    const char* name;
    const wchar_t* fileName;
    Bytes (*make)(const TempFolder& folder);
};

const HugeFile kHugeFiles[] = {
    {"PngHeader100000Square", L"huge.png", [](const TempFolder&) { return PngClaiming(100000, 100000); }},
    {"BlackPng20000By6000", L"wide.png", [](const TempFolder&) { return ZeroGreyPng(20000, 6000); }},
    {"BlackTiff20000By12000", L"wide.tif", [](const TempFolder&) { return ZeroGreyTiff(20000, 12000); }},
    {"IconHoldingBlackPng20000By6000", L"wide.ico",
     [](const TempFolder&) { return IconOf({{0, 0, ZeroGreyPng(20000, 6000)}}); }},
    {"RleBmp131168By4096", L"huge-rle.bmp", [](const TempFolder&) { return RleBmpClaiming(131168, 4096); }},
    {"RleBmpJustOver128Megapixels", L"over-rle.bmp", [](const TempFolder&) { return RleBmpClaiming(16384, 7813); }},
    {"Jpeg22500By33300", L"huge.jpg", [](const TempFolder& folder) { return JpegClaiming(folder, 22500, 33300, false); }},
    {"Jpeg22500By33300WithStrayBytes", L"stray.jpg",
     [](const TempFolder& folder) { return JpegClaiming(folder, 22500, 33300, true); }},
    {"TiffHeader100000Square", L"huge.tif", [](const TempFolder&) { return TiffClaiming(false, 100000, 100000); }},
    {"IconHoldingPngHeader25200By33300", L"huge.ico",
     [](const TempFolder&) { return IconOf({{0, 0, PngClaiming(25200, 33300)}}); }},
};

void PrintTo(const HugeFile& file, std::ostream* out)
{
    *out << file.name;
}

std::string HugeFileName(const testing::TestParamInfo<HugeFile>& file)
{
    return file.param.name;
}

class HugeClaim : public UntrustedFiles, public testing::WithParamInterface<HugeFile> {};

}  // namespace

TEST_P(HugeClaim, IsRefusedBeforeAnyPixelIsDecoded)
{
    TempFolder folder;
    const std::wstring path = folder.Path(GetParam().fileName);
    ASSERT_TRUE(WriteFileBytes(path, GetParam().make(folder)));
    const auto claimed = ReadClaimedSize(path.c_str());
    ASSERT_TRUE(claimed && !IsWithinDecodeLimits(claimed->width, claimed->height)) << Describe(claimed);
    const int bitmapsBefore = ImageHandle::LiveBitmapCount();
    const std::uint64_t peakBefore = MemoryCounters().PeakWorkingSetSize;

    OpenAsTheProgramDoes(path);

    const std::uint64_t rise = MemoryCounters().PeakWorkingSetSize - peakBefore;
    EXPECT_LT(rise, 50 * kMegabyte) << "the file was decoded";
    EXPECT_TRUE(g_document.Image()->IsEmpty());
    EXPECT_EQ(0u, g_document.GetImageSize().height);
    EXPECT_EQ(bitmapsBefore, ImageHandle::LiveBitmapCount());  // the empty image owns none
}

INSTANTIATE_TEST_SUITE_P(UntrustedFiles, HugeClaim, testing::ValuesIn(kHugeFiles), HugeFileName);

TEST_F(UntrustedFiles, FilesPastTheLimitsAreRefusedEvenThoughGdiplusDecodesThem)
{
    TempFolder folder;
    const ImageRef wide = CreateArgbImage(16385, 8);
    const ImageRef tall = CreateArgbImage(2, 16385);
    ASSERT_TRUE(WritePng(*wide, folder.Path(L"wide.png")));
    ASSERT_TRUE(WriteBmp(*tall, folder.Path(L"tall.bmp")));
    ASSERT_TRUE(WriteJpeg(*wide, folder.Path(L"wide.jpg")));
    ASSERT_TRUE(WriteImageFile(*wide, folder.Path(L"wide.tif").c_str(), L"image/tiff", nullptr));
    ASSERT_TRUE(WriteFileBytes(folder.Path(L"wide.ico"), IconOf({{0, 0, ReadFileBytes(folder.Path(L"wide.png"))}})));
    ASSERT_TRUE(WriteFileBytes(folder.Path(L"black.png"), ZeroGreyPng(16385, 3)));
    ASSERT_TRUE(WriteFileBytes(folder.Path(L"black.tif"), ZeroGreyTiff(3, 16385)));

    for (const wchar_t* name : {L"wide.png", L"tall.bmp", L"wide.jpg", L"wide.tif", L"wide.ico", L"black.png",
                                L"black.tif"}) {
        SCOPED_TRACE(ToAnsi(name));
        const DirectDecode direct = DecodeDirectly(folder.Path(name));
        ASSERT_TRUE(direct.decoded) << "GDI+ itself cannot read the file, so it proves nothing";
        EXPECT_EQ(16385u, std::max(direct.size.width, direct.size.height));
        OpenAsTheProgramDoes(folder.Path(name));
        EXPECT_TRUE(g_document.Image()->IsEmpty());
    }
}

TEST_F(UntrustedFiles, FilesJustInsideTheLimitsAreNotRefused)
{
    TempFolder folder;
    const ImageRef wide = MakePatternImage(16384, 2);
    ASSERT_TRUE(WritePng(*wide, folder.Path(L"wide.png")));
    ASSERT_TRUE(WriteBmp(*CreateArgbImage(2, 16384), folder.Path(L"tall.bmp")));
    OpenAsTheProgramDoes(folder.Path(L"wide.png"));
    EXPECT_EQ(16384u, g_document.GetImageSize().width);
    EXPECT_EQ(2u, g_document.GetImageSize().height);
    EXPECT_EQ(ReadAllPixels(*wide), ReadAllPixels(*g_document.Image()));
    OpenAsTheProgramDoes(folder.Path(L"tall.bmp"));
    EXPECT_EQ(2u, g_document.GetImageSize().width);
    EXPECT_EQ(16384u, g_document.GetImageSize().height);

    // 16,384 × 7,812 is 127,991,808 pixels: the header passes (not decoded here, it takes 1 GB).
    const auto claimed = ClaimOf(folder, RleBmpClaiming(16384, 7812));
    ASSERT_EQ(Expect(16384, 7812), Describe(claimed));
    EXPECT_TRUE(IsWithinDecodeLimits(claimed->width, claimed->height));
}

TEST_F(UntrustedFiles, OpeningTheSameImage200TimesKeepsCommittedMemoryFlat)
{
    TempFolder folder;
    const std::wstring path = folder.Path(L"same.png");
    ASSERT_TRUE(WritePng(*MakePatternImage(640, 480), path));
    const int bitmapsBefore = ImageHandle::LiveBitmapCount();

    for (int open = 0; open < 20; ++open)
        OpenAsTheProgramDoes(path);
    const std::uint64_t after20 = MemoryCounters().PagefileUsage;
    for (int open = 20; open < 200; ++open)
        OpenAsTheProgramDoes(path);
    const std::uint64_t after200 = MemoryCounters().PagefileUsage;

    std::printf("committed memory after 20 opens: %llu KB, after 200: %llu KB\n",
                static_cast<unsigned long long>(after20 / 1024), static_cast<unsigned long long>(after200 / 1024));
    EXPECT_EQ(640u, g_document.GetImageSize().width);
    EXPECT_LT(static_cast<std::int64_t>(after200 - after20), static_cast<std::int64_t>(3 * kMegabyte));
    EXPECT_EQ(1, ImageHandle::LiveBitmapCount() - bitmapsBefore);
    EXPECT_TRUE(DeleteFileW(path.c_str())) << "an open left the file held";
}

// ---- The same through the real open dialog ----

namespace {

class UntrustedFilesInTheWindow : public ProgramTest {
protected:
    // Opens a copy of bytes named name through the menu and the open dialog.
    void OpenCopy(const std::wstring& name, const Bytes& bytes)
    {
        ASSERT_FALSE(bytes.empty());
        ASSERT_TRUE(WriteFileBytes(folder_.Path(name), bytes));
        OpenThroughMenu(folder_.AnsiPath(name));
    }

    void ExpectEmptyWindowNamed(const std::wstring& name)
    {
        EXPECT_TRUE(g_document.HasImage());
        ASSERT_NE(nullptr, g_document.Image());
        EXPECT_TRUE(g_document.Image()->IsEmpty());
        EXPECT_EQ(0, ClientSize(Main()).cy);
        const std::wstring caption = WindowTextW(Main());
        EXPECT_NE(std::wstring::npos, caption.find(L"[ " + name + L" ]")) << ToAnsi(caption);
    }

    TempFolder folder_;
};

}  // namespace

TEST_F(UntrustedFilesInTheWindow, CorruptPngShowsAnEmptyWindowNamedForTheFile)
{
    OpenCopy(L"xcrn0g04.png", ReadFileBytes(TestData(L"pngsuite/xcrn0g04.png")));
    ExpectEmptyWindowNamed(L"xcrn0g04.png");
}

TEST_F(UntrustedFilesInTheWindow, BmpClaimingSixTrillionPixelsShowsAnEmptyWindowNamedForTheFile)
{
    OpenCopy(L"reallybig.bmp", ReadFileBytes(TestData(L"bmpsuite/b/reallybig.bmp")));
    ExpectEmptyWindowNamed(L"reallybig.bmp");
}

TEST_F(UntrustedFilesInTheWindow, HugeJpegWithAJapaneseNameShowsAnEmptyWindowNamedForTheFile)
{
    OpenCopy(L"巨大な写真.jpg", JpegClaiming(folder_, 22500, 33300, true));
    ExpectEmptyWindowNamed(L"巨大な写真.jpg");
}
