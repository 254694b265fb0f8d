// The header reader: the size each format claims, read without decoding, and the limits
// past which a file is not decoded at all.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "crafted_files.h"
#include "gif_blocks.h"
#include "image_encoder.h"
#include "image_header.h"
#include "inflated_size.h"
#include "png_chunks.h"
#include "test_support.h"

namespace {

std::uint64_t Inflated(const Bytes& zlib, std::uint64_t limit = UINT64_MAX)
{
    MemoryReader bytes(zlib.data(), zlib.size());
    return CountInflatedBytes(bytes, 0, zlib.size(), limit);
}

// The image data chunks of a PNG joined, which make one zlib stream.
Bytes ImageDataOf(const Bytes& png)
{
    Bytes data;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = std::size_t{png[at]} << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        if (std::string(png.begin() + at + 4, png.begin() + at + 8) == "IDAT")
            data.insert(data.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
        at += 12 + length;
    }
    return data;
}

bool SafeToDecode(const TempFolder& folder, const Bytes& bytes)
{
    EXPECT_TRUE(WriteFileBytes(folder.Path(L"checked.bin"), bytes));
    return IsSafeToDecode(folder.Path(L"checked.bin").c_str());
}

}  // namespace

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

TEST(InflateCount, CountsWhatStoredFixedAndOwnCodeBlocksInflateTo)
{
    // One 32 x 32 RGB image compressed at levels 0 (stored blocks) to 9 (blocks with codes of
    // their own): 32 rows of a filter byte and 96 bytes.
    for (const wchar_t* name : {L"z00n2c08.png", L"z03n2c08.png", L"z06n2c08.png", L"z09n2c08.png"}) {
        SCOPED_TRACE(ToAnsi(name));
        EXPECT_EQ(32u * 97, Inflated(ImageDataOf(ReadFileBytes(TestData(std::wstring(L"pngsuite/") + name)))));
    }
    EXPECT_EQ(32u * (1 + 4 * 32), Inflated(ImageDataOf(ReadFileBytes(TestData(L"pngsuite/basn6a08.png")))));
    EXPECT_EQ(0u, Inflated(ZlibZeros(0)));
    EXPECT_EQ(1000000u, Inflated(ZlibZeros(1000000)));                    // fixed codes
    EXPECT_EQ(3 + 1000000u, Inflated(ZlibRepeating({1, 2, 3}, 7, 1000000)));  // stored and own codes
}

TEST(InflateCount, StopsJustPastTheLimitAndAtTheFirstFault)
{
    const std::uint64_t counted = Inflated(ZlibRepeating({}, 0, 1000000000), 1000000);
    EXPECT_GT(counted, 1000000u);
    EXPECT_LE(counted, 1000000u + 258);  // one copy at most past it

    // Cut in half, a stream of nearly all equal copies counts about half.
    const Bytes zeros = ZlibZeros(1000000);
    const std::uint64_t half = Inflated(FirstBytes(zeros, zeros.size() / 2));
    EXPECT_GT(half, 450000u);
    EXPECT_LT(half, 550000u);

    // Cut anywhere, it counts every copy whose code is whole: 11 bits of block header and
    // literal, then 13 bits a copy. That holds also where the last input is taken while
    // the scratch buffer is full and the inflater still holds copies back.
    for (std::size_t cut = 4; cut < 1000; ++cut) {
        const std::uint64_t copies = ((cut - 2) * 8 - 11) / 13;
        ASSERT_EQ(1 + 258 * copies, Inflated(FirstBytes(zeros, cut))) << "cut after " << cut << " bytes";
    }

    EXPECT_EQ(0u, Inflated({0x78, 0x02, 0x03, 0x00}));        // a header that fails its check
    EXPECT_EQ(0u, Inflated({0x78, 0x20, 0, 0, 0, 1, 0x03, 0x00}));  // needs a preset dictionary
    EXPECT_EQ(0u, Inflated({0x78, 0x01, 0x03, 0x02, 0x00}));  // copies from before the start
}

TEST(ImageHeader, PngIsNotSafeToDecodeWhenAChunkClaimsMoreThanTheFileHolds)
{
    TempFolder folder;
    EXPECT_TRUE(SafeToDecode(folder, PngClaiming(640, 480)));
    ByteWriter text = PngHeader(16, 16);
    PngChunkClaiming(text, "tEXt", 1000, Keyword());
    EXPECT_FALSE(SafeToDecode(folder, PngZeroImage(text, 16, 16).Get()));
    ByteWriter past = PngHeader(16, 16);
    PngChunkClaiming(past, "IDAT", kMaxPngChunkLength + 1u, ZlibZeros(16 * 65));
    EXPECT_FALSE(SafeToDecode(folder, past.Get()));

    // Cut short: in its image data or its end chunk, or between chunks, the decoder may
    // show what there is; in any other chunk, it would allocate the whole chunk first.
    ByteWriter png = PngHeader(16, 16);
    const Bytes whole = PngZeroImage(png, 16, 16).Get();
    const std::size_t headerEnd = 8 + 25, endChunk = 12;
    EXPECT_TRUE(SafeToDecode(folder, FirstBytes(whole, whole.size() - 2)));
    EXPECT_TRUE(SafeToDecode(folder, FirstBytes(whole, whole.size() - endChunk)));
    EXPECT_TRUE(SafeToDecode(folder, FirstBytes(whole, headerEnd + 8 + 5)));
    EXPECT_FALSE(SafeToDecode(folder, FirstBytes(whole, headerEnd - 3)));
    ByteWriter image = PngHeader(16, 16);
    PngChunkClaiming(image, "IDAT", kMaxPngChunkLength, ZlibZeros(16 * 65));
    EXPECT_TRUE(SafeToDecode(folder, image.Get()));
    ByteWriter last;
    last.Raw(FirstBytes(whole, whole.size() - endChunk));
    PngChunkClaiming(last, "tEXt", 100, Keyword());
    EXPECT_FALSE(SafeToDecode(folder, last.Get()));
}

TEST(ImageHeader, PngAncillaryChunksMayHoldOrInflateToEightMegabytesInAll)
{
    TempFolder folder;
    // Each chunk counts its record, its keyword and method bytes, and what it inflates to.
    const std::uint64_t room = kMaxPngAncillaryBytes - kPngChunkRecordBytes;
    const std::uint64_t textPrefix = 8 + 1, internationalPrefix = 8 + 4, profilePrefix = 8 + 1;
    EXPECT_TRUE(SafeToDecode(folder, PngWith("zTXt", CompressedText("zTXt", 'a', room - textPrefix))));
    EXPECT_FALSE(SafeToDecode(folder, PngWith("zTXt", CompressedText("zTXt", 'a', room - textPrefix + 1))));
    EXPECT_TRUE(SafeToDecode(folder, PngWith("iTXt", CompressedText("iTXt", 'a', room - internationalPrefix))));
    EXPECT_FALSE(SafeToDecode(folder, PngWith("iTXt", CompressedText("iTXt", 'a', room - internationalPrefix + 1))));
    const auto profileOf = [](std::uint64_t bytes) { return CompressedRgbProfile(static_cast<std::uint32_t>(bytes)); };
    EXPECT_TRUE(SafeToDecode(folder, PngWith("iCCP", profileOf(room - profilePrefix))));
    EXPECT_FALSE(SafeToDecode(folder, PngWith("iCCP", profileOf(room - profilePrefix + 1))));

    // Stored text and unknown chunks count their bytes; so does an iTXt that is not compressed.
    EXPECT_TRUE(SafeToDecode(folder, PngWith("tEXt", Bytes(room, 'a'))));
    EXPECT_FALSE(SafeToDecode(folder, PngWith("prVt", Bytes(room + 1, 'a'))));
    const Bytes plain = ByteWriter().Raw(Keyword()).Raw({0, 0, 0, 0}).Raw(ZlibZeros(100000000)).Get();
    EXPECT_TRUE(SafeToDecode(folder, PngWith("iTXt", plain)));

    // Every chunk costs its record, even an empty one; image data costs nothing.
    const int records = static_cast<int>(kMaxPngAncillaryBytes / kPngChunkRecordBytes);
    EXPECT_TRUE(SafeToDecode(folder, PngWith("prVt", {}, records)));
    EXPECT_FALSE(SafeToDecode(folder, PngWith("prVt", {}, records + 1)));
    EXPECT_TRUE(SafeToDecode(folder, PngWith("IDAT", {}, records + 1)));

    // After the image they count as well; after the end chunk, nothing is read.
    ByteWriter after = PngHeader(16, 16);
    PngChunk(after, "IDAT", ZlibZeros(16 * 65));
    ByteWriter trailing = after;
    PngChunk(after, "zTXt", CompressedText("zTXt", 'a', kMaxPngAncillaryBytes));
    EXPECT_FALSE(SafeToDecode(folder, after.Get()));
    PngChunk(trailing, "IEND", {});
    PngChunk(trailing, "zTXt", CompressedText("zTXt", 'a', kMaxPngAncillaryBytes));
    EXPECT_TRUE(SafeToDecode(folder, trailing.Get()));
}

TEST(ImageHeader, GifSizeIsItsLargestFrameWhereAFrameIsLargerThanItsScreen)
{
    TempFolder folder;
    EXPECT_EQ(Expect(64, 48), Describe(ClaimOf(folder, GifOfFrames(16, 16, 64, 48, 1))));
    EXPECT_EQ(Expect(100, 50), Describe(ClaimOf(folder, GifOfFrames(100, 20, 30, 50, 2))));
    EXPECT_EQ(Expect(20000, 8), Describe(ClaimOf(folder, GifOfFrames(16, 8, 20000, 1, 1))));
    EXPECT_FALSE(SafeToDecode(folder, GifOfFrames(16, 8, 20000, 1, 1)));
}

TEST(ImageHeader, GifIsNotSafeToDecodeWhenItsOtherFramesHoldMoreThan32Megabytes)
{
    TempFolder folder;
    EXPECT_TRUE(SafeToDecode(folder, GifOfFrames(16, 16, 16384, 7812, 1)));
    // Two frames of 4096 x 4096 besides the largest are 32 MB of pixels, and their records.
    EXPECT_TRUE(SafeToDecode(folder, GifOfFrames(16, 16, 4096, 4096, 2)));
    EXPECT_FALSE(SafeToDecode(folder, GifOfFrames(16, 16, 4096, 4096, 3)));
    const int tinyFrames = static_cast<int>(kMaxGifOtherFramesBytes / (1 + kGifFrameRecordBytes));
    EXPECT_TRUE(SafeToDecode(folder, GifOfFrames(16, 16, 1, 1, tinyFrames + 1)));
    EXPECT_FALSE(SafeToDecode(folder, GifOfFrames(16, 16, 1, 1, tinyFrames + 2)));
}

TEST(ImageHeader, IconIsNotSafeToDecodeWhenAPngInItIsNotOrItHoldsTooManyPngs)
{
    TempFolder folder;
    EXPECT_TRUE(SafeToDecode(folder, IconOf({{16, 16, IconBitmap(16, 16)}, {0, 0, PngClaiming(256, 256)}})));
    const Bytes bomb = PngWith("zTXt", CompressedText("zTXt", 'a', kMaxPngAncillaryBytes));
    EXPECT_FALSE(SafeToDecode(folder, IconOf({{16, 16, IconBitmap(16, 16)}, {16, 16, bomb}})));
    std::vector<IconImage> images(kMaxIconPngImages, IconImage{16, 16, PngClaiming(16, 16)});
    EXPECT_TRUE(SafeToDecode(folder, IconOf(images)));
    images.push_back(images.front());
    EXPECT_FALSE(SafeToDecode(folder, IconOf(images)));
}


namespace {

// Bytes in memory that count how often they are read.
class CountingReader final : public ByteReader {
public:
    explicit CountingReader(const Bytes& bytes) : memory_(bytes.data(), bytes.size()) {}
    std::uint64_t Size() const override { return memory_.Size(); }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        ++reads;
        return memory_.ReadAt(offset, buffer, count);
    }
    int reads = 0;

private:
    MemoryReader memory_;
};

}  // namespace

TEST(ImageVerdict, SaysWhyAFileIsRefusedAndAgreesWithTheCheckOfItsFile)
{
    TempFolder folder;
    ByteWriter tooLong = PngHeader(16, 16);
    PngChunkClaiming(tooLong, "IDAT", kMaxPngChunkLength + 1u, ZlibZeros(16 * 65));
    ByteWriter pastEnd = PngHeader(16, 16);
    PngChunkClaiming(pastEnd, "tEXt", 1000, Keyword());
    const std::vector<IconImage> icons(kMaxIconPngImages + 1, IconImage{16, 16, PngClaiming(16, 16)});
    const std::string text = "a text file named like an image";
    const struct {
        const char* what;
        Bytes bytes;
        DecodeVerdict verdict;
    } cases[] = {
        {"plain PNG", PngClaiming(640, 480), DecodeVerdict::Decode},
        {"PNG header past the limits", PngClaiming(100000, 100000), DecodeVerdict::SizePastLimits},
        {"BMP header past the limits", BmpHeaders(40, 16385, 1).Get(), DecodeVerdict::SizePastLimits},
        {"chunk longer than a chunk may be", tooLong.Get(), DecodeVerdict::ChunkTooLong},
        {"text chunk past the end", pastEnd.Get(), DecodeVerdict::ChunkPastEnd},
        {"zTXt bomb", PngWith("zTXt", CompressedText("zTXt", 'a', kMaxPngAncillaryBytes)),
         DecodeVerdict::AncillaryChunksTooLarge},
        {"icon of too many PNGs", IconOf(icons), DecodeVerdict::TooManyIconPngs},
        {"GIF of large frames", GifOfFrames(16, 16, 4096, 4096, 3), DecodeVerdict::GifFramesTooLarge},
        {"GIF frame past the limits", GifOfFrames(16, 8, 20000, 1, 1), DecodeVerdict::SizePastLimits},
        {"text", Bytes(text.begin(), text.end()), DecodeVerdict::Decode},
        {"no bytes", {}, DecodeVerdict::Decode},
    };
    for (const auto& file : cases) {
        SCOPED_TRACE(file.what);
        MemoryReader bytes(file.bytes.data(), file.bytes.size());
        EXPECT_EQ(static_cast<int>(file.verdict), static_cast<int>(JudgeImage(bytes)));
        EXPECT_EQ(file.verdict == DecodeVerdict::Decode, SafeToDecode(folder, file.bytes));
    }
}

TEST(ImageVerdict, ReadsAChunksBytesInBlocksNotOneAtATime)
{
    // A zTXt whose keyword runs a megabyte before its end, and one whose compressed text is
    // 60 KB of stored bytes: either read a byte at a time would take tens of thousands of reads.
    const Bytes longKeyword = ByteWriter().Repeat(1000000, 'k').Raw({0, 0}).Raw(ZlibZeros(100)).Get();
    const Bytes storedText = ByteWriter().Raw(Keyword()).Raw({0}).Raw(ZlibRepeating(Bytes(60000, 'x'), 'x', 1000)).Get();
    for (const Bytes& text : {longKeyword, storedText}) {
        const Bytes png = PngWith("zTXt", text);
        CountingReader reader(png);
        EXPECT_EQ(static_cast<int>(DecodeVerdict::Decode), static_cast<int>(JudgeImage(reader)));
        EXPECT_LT(reader.reads, static_cast<int>(png.size() / 4096 + 16)) << png.size() << " bytes";
    }
}

namespace {

// An icon of count PNGs, each starting inside the first image data chunk of the one before,
// all of those chunks ending at one offset, after which every PNG goes on through tail.
Bytes IconOfNestedPngs(std::uint32_t count, const Bytes& tail)
{
    constexpr std::uint32_t kPngHead = 8 + 25, kChunkHead = 8, kCrc = 4;
    ByteWriter icon;
    icon.Le16(0).Le16(1).Le16(count);
    const std::uint32_t first = 6 + 16 * count;
    for (std::uint32_t i = 0; i < count; ++i)
        icon.Raw({16, 16, 0, 0}).Le16(1).Le16(32).Le32(0).Le32(first + i * (kPngHead + kChunkHead));
    const std::uint32_t tailStart = first + count * (kPngHead + kChunkHead) + kCrc;
    for (std::uint32_t i = 0; i < count; ++i) {
        icon.Raw(PngHeader(16, 16).Get());
        const std::uint32_t data = static_cast<std::uint32_t>(icon.Size()) + kChunkHead;
        icon.Be32(tailStart - kCrc - data).Text("IDAT");
    }
    return icon.Be32(0).Raw(tail).Get();
}

}  // namespace

TEST(ImageVerdict, PngsOfAnIconThatShareTheirChunksEachCountThemButTheyAreWalkedOnce)
{
    // 8 MB of image data chunks, then a text chunk, shared by all 64 PNGs: each counts the
    // text's record and bytes, so 64 x (4096 + 126976) fill the 8 MB exactly.
    constexpr int kDataChunks = 680;
    const auto tailWithText = [&](std::size_t textBytes) {
        ByteWriter tail;
        for (int i = 0; i < kDataChunks; ++i)
            PngChunk(tail, "IDAT", Bytes(12000, 0));
        PngChunk(tail, "tEXt", Bytes(textBytes, 'a'));
        PngChunk(tail, "IEND", {});
        return tail.Get();
    };
    const Bytes fits = IconOfNestedPngs(kMaxIconPngImages, tailWithText(126976));
    const Bytes over = IconOfNestedPngs(kMaxIconPngImages, tailWithText(126977));
    CountingReader reader(fits);
    EXPECT_EQ(static_cast<int>(DecodeVerdict::Decode), static_cast<int>(JudgeImage(reader)));
    MemoryReader overBytes(over.data(), over.size());
    EXPECT_EQ(static_cast<int>(DecodeVerdict::AncillaryChunksTooLarge), static_cast<int>(JudgeImage(overBytes)));
    // Walked to its end by every PNG, the tail would take 64 reads a chunk.
    EXPECT_LT(reader.reads, static_cast<int>(kMaxIconPngImages * kDataChunks / 4));
}
