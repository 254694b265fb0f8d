// Crafted files whose chunks, segments, tables and frames claim far more than the files
// hold or than their images need, each a test of its own, opened through the program's
// open path in a process of its own (open_probe.exe), so that the peak of memory it
// reports is that one file's. Decoding may take 64 MB plus three times the ARGB bytes of
// the image the file claims, above the idle process; 64 MB when the file claims no size.
// The size each file claims is written beside it here, not read by the code under test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include "crafted_files.h"
#include "gdiplus_api.h"
#include "png_chunks.h"
#include "test_support.h"

namespace {

constexpr std::uint64_t kMegabyte = 1024 * 1024;
constexpr std::uint64_t kAllowance = 64 * kMegabyte;
constexpr std::uint64_t kArgbBytes = 4;
constexpr std::uint64_t kImageCopies = 3;
constexpr DWORD kProbeTimeLimitMs = 30000;
constexpr std::uint32_t kHundredMegabytes = 100000000;

// What the program should make of a file: nothing to show, or what GDI+ itself makes of
// it, for a file that is handed to the decoder.
enum class Outcome { Empty, AsTheDecoderDecides };

struct CraftedFile {
    const char* name;
    const char* claim;  // what the file claims, in words, for the printed line
    std::uint64_t width, height;  // the image size its header claims; 0 x 0 for none
    Outcome outcome;
    Bytes (*make)(const TempFolder& folder);
};

// What open_probe.exe wrote about one file.
struct ProbeResult {
    bool ran = false;
    std::string failure;  // why it did not run, when it did not
    unsigned long long idleWorkingSet = 0;
    unsigned long long peakWorkingSet = 0;
    int empty = 0;
    unsigned width = 0;
    unsigned height = 0;
    int bitmapsBefore = 0;
    int bitmapsHeld = 0;
    int bitmapsAfter = 0;
};

// Runs open_probe.exe on one file and reads what it wrote; ran is false, and failure says
// why, when it could not be started, did not end within the time limit or wrote no result.
ProbeResult OpenInFreshProcess(const TempFolder& folder, const std::wstring& image)
{
    ProbeResult result;
    const std::wstring resultFile = folder.Path(L"probe-result.txt");
    DeleteFileW(resultFile.c_str());
    std::string commandLine =
        "\"" + ToAnsi(TESSAREL_OPEN_PROBE) + "\" \"" + ToAnsi(image) + "\" \"" + ToAnsi(resultFile) + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        result.failure = "could not be started, error " + std::to_string(GetLastError());
        return result;
    }
    DWORD exitCode = 1;
    if (WaitForSingleObject(process.hProcess, kProbeTimeLimitMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &exitCode);
    } else {
        TerminateProcess(process.hProcess, 1);
        result.failure = "did not end within the time limit";
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (exitCode != 0) {
        if (result.failure.empty())
            result.failure = "ended with exit code " + std::to_string(exitCode);
        return result;
    }

    FILE* file = _wfopen(resultFile.c_str(), L"r");
    if (!file) {
        result.failure = "wrote no result file";
        return result;
    }
    result.ran = std::fscanf(file, "%llu %llu %d %u %u %d %d %d", &result.idleWorkingSet, &result.peakWorkingSet,
                             &result.empty, &result.width, &result.height, &result.bitmapsBefore,
                             &result.bitmapsHeld, &result.bitmapsAfter) == 8;
    if (!result.ran)
        result.failure = "wrote a result that could not be read";
    std::fclose(file);
    return result;
}

// The most decoding the file may take: the allowance, and three ARGB copies of the image
// it claims.
std::uint64_t MemoryBound(const CraftedFile& crafted)
{
    return kAllowance + kImageCopies * crafted.width * crafted.height * kArgbBytes;
}

// A 16 x 16 PNG with a chunk that claims claim bytes and holds a few, then its image.
Bytes PngWithChunkClaiming(const char* type, std::uint32_t claim)
{
    ByteWriter png = PngHeader(16, 16);
    PngChunkClaiming(png, type, claim, ByteWriter().Raw(Keyword()).Text("short").Get());
    return PngZeroImage(png, 16, 16).Get();
}

// A 32 x 32 header and a text chunk claiming 2^31 - 1 bytes, in 83 bytes.
Bytes PngOfTextClaimingTheMost(const TempFolder&)
{
    ByteWriter png = PngHeader(32, 32);
    return PngChunkClaiming(png, "tEXt", kMaxPngChunkLength, ByteWriter().Raw(Keyword()).Repeat(34, 'x').Get()).Get();
}

Bytes PatternPng(const TempFolder& folder)
{
    const std::wstring path = folder.Path(L"pattern.png");
    EXPECT_TRUE(WritePng(*MakePatternImage(256, 256), path));
    return ReadFileBytes(path);
}

constexpr std::size_t kEndChunkBytes = 12;

Bytes PatternPngEndingInACutShortText(const TempFolder& folder)
{
    const Bytes png = PatternPng(folder);
    ByteWriter cut;
    cut.Raw(FirstBytes(png, png.size() - kEndChunkBytes));
    return PngChunkClaiming(cut, "tEXt", kMaxPngChunkLength, ByteWriter().Raw(Keyword()).Text("cut").Get()).Get();
}

// A JPEG written by GDI+ with an Exif segment after its start whose one directory entry
// claims count values of the type.
Bytes JpegWithExifClaiming(const TempFolder& folder, std::uint32_t type, std::uint32_t count)
{
    const std::wstring path = folder.Path(L"source.jpg");
    EXPECT_TRUE(WriteJpeg(*MakePatternImage(32, 24), path));
    ByteWriter tiff;
    tiff.Text("II").Le16(42).Le32(8).Le16(1).Le16(0x010E).Le16(type).Le32(count).Le32(26).Le32(0).Repeat(16, 'x');
    ByteWriter exif;
    exif.Raw({0xFF, 0xE1}).Be16(static_cast<std::uint32_t>(2 + 6 + tiff.Size())).Text("Exif").Raw({0, 0});
    Bytes jpeg = ReadFileBytes(path);
    const Bytes segment = exif.Raw(tiff.Get()).Get();
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    return jpeg;
}

// A 16 x 16 8-bit BMP with the palette size, data offset and width given (0: the usual).
Bytes BmpClaiming(std::uint32_t colours, std::uint32_t dataOffset, std::int32_t width)
{
    ByteWriter bmp = BmpHeaders(40, width, 16, 0, 8);
    Bytes bytes = bmp.Repeat(256 * 4, 0x80).Repeat(16 * 16, 1).Get();
    const std::uint32_t offset = dataOffset ? dataOffset : 14 + 40 + 256 * 4;
    std::memcpy(&bytes[10], &offset, 4);          // little-endian, as on every target
    std::memcpy(&bytes[14 + 32], &colours, 4);
    return bytes;
}

Bytes RleBmpOfImageSize(std::uint32_t imageBytes)
{
    Bytes bmp = RleBmpClaiming(16, 16);
    std::memcpy(&bmp[14 + 20], &imageBytes, 4);
    return bmp;
}

// A 16 x 16 8-bit grey TIFF in one strip that claims byteCount bytes.
Bytes TiffOfStripClaiming(std::uint32_t byteCount)
{
    ByteWriter tiff;
    tiff.Text("II").Le16(42).Le32(8).Le16(8);
    const auto entry = [&](std::uint32_t tag, std::uint32_t type, std::uint32_t value) {
        tiff.Le16(tag).Le16(type).Le32(1).Le32(value);
    };
    entry(256, 4, 16);            // width
    entry(257, 4, 16);            // length
    entry(258, 3, 8);             // bits per sample
    entry(259, 3, 1);             // no compression
    entry(262, 3, 1);             // black is zero
    entry(273, 4, 8 + 2 + 12 * 8 + 4);
    entry(278, 4, 16);            // rows per strip
    entry(279, 4, byteCount);
    return tiff.Le32(0).Repeat(256, 0x40).Get();
}

const CraftedFile kCraftedFiles[] = {
    {"PngTextClaiming2GiB", "tEXt of 2^31-1 bytes", 32, 32, Outcome::Empty, PngOfTextClaimingTheMost},
    {"PngTextClaiming100MB", "tEXt of 100 MB, then the image", 16, 16, Outcome::Empty,
     [](const TempFolder&) { return PngWithChunkClaiming("tEXt", kHundredMegabytes); }},
    {"PngTextClaiming4GiB", "tEXt of 2^32-1 bytes, then the image", 16, 16, Outcome::Empty,
     [](const TempFolder&) { return PngWithChunkClaiming("tEXt", 0xFFFFFFFF); }},
    {"PngPrivateChunkClaiming1GiB", "prVt of 2^30 bytes, then the image", 16, 16, Outcome::Empty,
     [](const TempFolder&) { return PngWithChunkClaiming("prVt", 1u << 30); }},
    {"PngZtxtInflatingTo100MB", "zTXt inflating to 100 MB", 16, 16, Outcome::Empty,
     [](const TempFolder&) { return PngWith("zTXt", CompressedText("zTXt", 'a', kHundredMegabytes)); }},
    {"PngItxtInflatingTo100MB", "iTXt inflating to 100 MB", 16, 16, Outcome::Empty,
     [](const TempFolder&) { return PngWith("iTXt", CompressedText("iTXt", 'a', kHundredMegabytes)); }},
    {"PngIccpInflatingTo100MB", "iCCP inflating to 100 MB", 16, 16, Outcome::Empty,
     [](const TempFolder&) { return PngWith("iCCP", CompressedRgbProfile(kHundredMegabytes)); }},
    {"Png100ZtxtsInflatingTo1MB", "100 zTXt inflating to 1 MB each", 16, 16, Outcome::Empty,
     [](const TempFolder&) { return PngWith("zTXt", CompressedText("zTXt", 'a', 1000000), 100); }},
    {"PngText20MB", "tEXt of 20 MB, all there", 16, 16, Outcome::Empty,
     [](const TempFolder&) { return PngWith("tEXt", ByteWriter().Raw(Keyword()).Repeat(20000000, 'a').Get()); }},
    {"Png20000EmptyPrivateChunks", "20000 empty prVt", 16, 16, Outcome::Empty,
     [](const TempFolder&) { return PngWith("prVt", {}, 20000); }},
    {"PngZtxtInflatingTo7MB", "zTXt inflating to 7 MB", 16, 16, Outcome::AsTheDecoderDecides,
     [](const TempFolder&) { return PngWith("zTXt", CompressedText("zTXt", 'a', 7 * kMegabyte)); }},
    {"PngTextOf7MB", "tEXt of 7 MB, all there", 16, 16, Outcome::AsTheDecoderDecides,
     [](const TempFolder&) { return PngWith("tEXt", ByteWriter().Raw(Keyword()).Repeat(7 * kMegabyte, 'a').Get()); }},
    {"PngCutInItsImageData", "256 x 256, cut in IDAT", 256, 256, Outcome::AsTheDecoderDecides,
     [](const TempFolder& folder) {
         const Bytes png = PatternPng(folder);
         return FirstBytes(png, png.size() * 3 / 5);
     }},
    {"PngCutInItsEndChunk", "256 x 256, cut in IEND", 256, 256, Outcome::AsTheDecoderDecides,
     [](const TempFolder& folder) {
         const Bytes png = PatternPng(folder);
         return FirstBytes(png, png.size() - 2);
     }},
    {"PngImageDataClaiming2GiBCut", "IDAT of 2^31-1 bytes, cut", 16, 16, Outcome::AsTheDecoderDecides,
     [](const TempFolder&) {
         ByteWriter png = PngHeader(16, 16);
         return PngChunkClaiming(png, "IDAT", kMaxPngChunkLength, ZlibZeros(16 * (1 + 16 * 4))).Get();
     }},
    {"PngEndingInACutShortText", "256 x 256, then tEXt of 2^31-1 cut", 256, 256, Outcome::Empty,
     PatternPngEndingInACutShortText},
    {"IconHoldingPngWithZtxt", "icon: PNG, zTXt inflating to 100 MB", 16, 16, Outcome::Empty,
     [](const TempFolder&) {
         return IconOf({{16, 16, PngWith("zTXt", CompressedText("zTXt", 'a', kHundredMegabytes))}});
     }},
    {"GifFrame8192SquareOnScreen16", "16 x 16 screen, frame 8192 x 8192", 8192, 8192, Outcome::AsTheDecoderDecides,
     [](const TempFolder&) { return GifOfFrames(16, 16, 8192, 8192, 1); }},
    {"Gif20Frames4096Square", "16 x 16 screen, 20 frames 4096 x 4096", 4096, 4096, Outcome::Empty,
     [](const TempFolder&) { return GifOfFrames(16, 16, 4096, 4096, 20); }},
    {"JpegExifTextClaiming2GiB", "Exif ASCII value of 2^31-1 bytes", 32, 24, Outcome::AsTheDecoderDecides,
     [](const TempFolder& folder) { return JpegWithExifClaiming(folder, 2, kMaxPngChunkLength); }},
    {"JpegExifLongsClaiming1GiB", "Exif LONG value of 2^28 items", 32, 24, Outcome::AsTheDecoderDecides,
     [](const TempFolder& folder) { return JpegWithExifClaiming(folder, 4, 1u << 28); }},
    {"JpegCommentPastTheEnd", "COM of 65535 bytes, file ends", 0, 0, Outcome::AsTheDecoderDecides,
     [](const TempFolder&) { return ByteWriter().Raw({0xFF, 0xD8, 0xFF, 0xFE}).Be16(0xFFFF).Text("abc").Get(); }},
    {"BmpPaletteOf4GiColours", "8-bit, 2^32-1 palette colours", 16, 16, Outcome::AsTheDecoderDecides,
     [](const TempFolder&) { return BmpClaiming(0xFFFFFFFF, 0, 16); }},
    {"BmpDataOffsetPastTheEnd", "8-bit, pixels at 0xFFFFFFF0", 16, 16, Outcome::AsTheDecoderDecides,
     [](const TempFolder&) { return BmpClaiming(0, 0xFFFFFFF0, 16); }},
    {"BmpNegativeWidth", "8-bit, width -16384", 16384, 16, Outcome::AsTheDecoderDecides,
     [](const TempFolder&) { return BmpClaiming(0, 0, -16384); }},
    {"RleBmpImageSizeOf4GiB", "RLE8 16 x 16, image size 2^32-1", 16, 16, Outcome::AsTheDecoderDecides,
     [](const TempFolder&) { return RleBmpOfImageSize(0xFFFFFFFF); }},
    {"TiffStripClaiming2GiB", "16 x 16, one strip of 2^31-1 bytes", 16, 16, Outcome::AsTheDecoderDecides,
     [](const TempFolder&) { return TiffOfStripClaiming(kMaxPngChunkLength); }},
};

// The size GDI+ itself, without the program's checks, decodes the file to; 0 x 0 when it
// cannot. No pixel is read, so that a large image costs this process only its decoding.
ImageSize GdiplusDecodes(const std::wstring& path)
{
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Gdiplus::Ok) {
        if (bitmap)
            Gdiplus::DllExports::GdipDisposeImage(bitmap);
        return {};
    }
    return ImageHandle(bitmap).Size();
}

void PrintTo(const CraftedFile& crafted, std::ostream* out)
{
    *out << crafted.name;
}

std::string CraftedFileName(const testing::TestParamInfo<CraftedFile>& crafted)
{
    return crafted.param.name;
}

class DecodingMemory : public testing::TestWithParam<CraftedFile> {};

}  // namespace

TEST_P(DecodingMemory, CraftedFileOpenedInAFreshProcessStaysWithinWhatItsImageAllows)
{
    const CraftedFile& crafted = GetParam();
    TempFolder folder;
    const std::wstring path = folder.Path(L"crafted.bin");
    const Bytes bytes = crafted.make(folder);
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    const std::uint64_t bound = MemoryBound(crafted);

    // Now and then, with other suites busy beside it, a probe has not reported at all (twice
    // in many runs, each time on a file it opened in every other run), so a probe that did
    // not report runs once more, and says why; a file that stops it twice fails the test.
    ProbeResult opened = OpenInFreshProcess(folder, path);
    if (!opened.ran) {
        std::printf("%s: open_probe.exe %s; run again\n", crafted.name, opened.failure.c_str());
        opened = OpenInFreshProcess(folder, path);
    }
    ASSERT_TRUE(opened.ran) << "open_probe.exe " << opened.failure << ", twice";
    const std::uint64_t rise = opened.peakWorkingSet - opened.idleWorkingSet;
    std::printf("%s: %zu bytes, %s (%llu x %llu): peak %llu KB of %llu KB allowed, %s %ux%u\n", crafted.name,
                bytes.size(), crafted.claim, static_cast<unsigned long long>(crafted.width),
                static_cast<unsigned long long>(crafted.height), static_cast<unsigned long long>(rise / 1024),
                static_cast<unsigned long long>(bound / 1024), opened.empty ? "empty" : "decoded", opened.width,
                opened.height);
    std::fflush(stdout);
    EXPECT_LE(rise, bound);
    if (crafted.outcome == Outcome::Empty) {
        EXPECT_TRUE(opened.empty);
    } else {
        const ImageSize decoded = GdiplusDecodes(path);
        EXPECT_EQ(decoded.width, opened.width);
        EXPECT_EQ(decoded.height, opened.height);
        EXPECT_EQ(decoded.width == 0, opened.empty != 0);
    }
    EXPECT_EQ(opened.bitmapsBefore + (opened.empty ? 0 : 1), opened.bitmapsHeld);
    EXPECT_EQ(opened.bitmapsBefore, opened.bitmapsAfter);
}

INSTANTIATE_TEST_SUITE_P(CraftedFiles, DecodingMemory, testing::ValuesIn(kCraftedFiles), CraftedFileName);
