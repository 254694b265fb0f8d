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
#include "png_chunks.h"
#include "test_support.h"

namespace {

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

