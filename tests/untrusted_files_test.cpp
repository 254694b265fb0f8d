// Files from anywhere through the program's open path: every file of the public image
// suites, files claiming huge sizes, files just inside and past the decode limits, and
// memory over a long session.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app_state.h"
#include "crafted_files.h"
#include "image_document.h"
#include "image_encoder.h"
#include "image_header.h"
#include "image_loader.h"
#include "open_image.h"
#include "test_support.h"

namespace {

// Opens a file through the program's own open path, the one a file chosen in the open
// dialog takes.
void OpenAsTheProgramDoes(const std::wstring& path)
{
    ASSERT_TRUE(OpenImageFile(g_document, ToAnsi(path).c_str()));
    ASSERT_STREQ(path.c_str(), g_document.WidePath());
    ASSERT_TRUE(g_document.HasImage());
    ASSERT_NE(nullptr, g_document.Image());
}

constexpr std::uint64_t kMegabyte = 1024 * 1024;

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
        const std::vector<std::wstring> names = FileNamesIn(TestData(folder), pattern);
        ASSERT_FALSE(names.empty()) << "no test data in " << ToAnsi(TestData(folder));
        int loaded = 0;
        std::string emptyNames;
        for (const std::wstring& name : names) {
            const std::wstring path = TestData(folder) + L"\\" + name;
            SCOPED_TRACE(ToAnsi(path));
            OpenAsTheProgramDoes(path);
            if (CheckOpenedFile(path, pixels))
                ++loaded;
            else
                emptyNames += " " + ToAnsi(name);
        }
        const int count = static_cast<int>(names.size());
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
