// Loading image files: the conversion to 32-bit ARGB keeps every colour and takes alpha,
// the file is left free, and whatever cannot be decoded becomes the empty image.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alpha_edit.h"
#include "image_document.h"
#include "gdiplus_api.h"
#include "image_loader.h"
#include "test_support.h"

namespace {

using namespace Gdiplus::DllExports;

// An image file to load: one from tests/data, or one the test writes into its folder.
struct Sample {
    const char* name;
    std::wstring (*make)(const TempFolder& folder);
};

std::wstring WritePatternJpeg(const TempFolder& folder)
{
    const std::wstring path = folder.Path(L"pattern.jpg");
    EXPECT_TRUE(WriteJpeg(*MakeOpaquePattern(48, 40), path));
    return path;
}

std::wstring WritePatternBmp(const TempFolder& folder)
{
    const std::wstring path = folder.Path(L"pattern.bmp");
    EXPECT_TRUE(WriteBmp(*MakeOpaquePattern(48, 40), path));
    return path;
}

const Sample kSamples[] = {
    {"PngRgba", [](const TempFolder&) { return TestData(L"pngsuite/basn6a08.png"); }},
    {"PngRgba16", [](const TempFolder&) { return TestData(L"pngsuite/basn6a16.png"); }},
    {"PngRgb", [](const TempFolder&) { return TestData(L"pngsuite/basn2c08.png"); }},
    {"PngRgbWithTransparentColour", [](const TempFolder&) { return TestData(L"pngsuite/tbrn2c08.png"); }},
    {"PngPalette8", [](const TempFolder&) { return TestData(L"pngsuite/basn3p08.png"); }},
    {"PngPalette2", [](const TempFolder&) { return TestData(L"pngsuite/basn3p02.png"); }},
    {"PngPaletteWithTransparency", [](const TempFolder&) { return TestData(L"pngsuite/tbbn3p08.png"); }},
    {"PngGrey", [](const TempFolder&) { return TestData(L"pngsuite/basn0g08.png"); }},
    {"PngGrey16", [](const TempFolder&) { return TestData(L"pngsuite/basn0g16.png"); }},
    {"PngGreyAlpha", [](const TempFolder&) { return TestData(L"pngsuite/basn4a08.png"); }},
    {"Bmp24Bit", [](const TempFolder&) { return TestData(L"bmpsuite/g/rgb24.bmp"); }},
    {"Bmp32Bit", [](const TempFolder&) { return TestData(L"bmpsuite/g/rgb32.bmp"); }},
    {"Bmp16Bit565", [](const TempFolder&) { return TestData(L"bmpsuite/g/rgb16-565.bmp"); }},
    {"Bmp8BitPalette", [](const TempFolder&) { return TestData(L"bmpsuite/g/pal8.bmp"); }},
    {"Bmp8BitPaletteTopDown", [](const TempFolder&) { return TestData(L"bmpsuite/g/pal8topdown.bmp"); }},
    {"Bmp8BitPaletteRle", [](const TempFolder&) { return TestData(L"bmpsuite/g/pal8rle.bmp"); }},
    {"Bmp8BitPaletteCoreHeader", [](const TempFolder&) { return TestData(L"bmpsuite/g/pal8os2.bmp"); }},
    {"Bmp4BitPalette", [](const TempFolder&) { return TestData(L"bmpsuite/g/pal4.bmp"); }},
    {"Bmp1BitPalette", [](const TempFolder&) { return TestData(L"bmpsuite/g/pal1.bmp"); }},
    {"Bmp24BitWritten", WritePatternBmp},
    {"Jpeg", WritePatternJpeg},
};

void PrintTo(const Sample& sample, std::ostream* out)
{
    *out << sample.name;
}

class EveryFormat : public testing::TestWithParam<Sample> {
protected:
    std::wstring Path() const { return GetParam().make(folder_); }

    TempFolder folder_;
};

std::string SampleName(const testing::TestParamInfo<Sample>& info)
{
    return info.param.name;
}

// Counts the pixels that differ, reporting the first few.
int CountMismatches(const std::vector<ArgbValue>& actual, const std::vector<ArgbValue>& expected,
                    std::uint32_t width)
{
    int mismatches = 0;
    for (std::size_t i = 0; i < actual.size() && i < expected.size(); ++i) {
        if (actual[i] != expected[i] && ++mismatches <= 5)
            ADD_FAILURE() << "pixel (" << i % width << ", " << i / width << ") is " << std::hex
                          << actual[i] << ", the file holds " << expected[i];
    }
    return mismatches;
}

// A GDI+ image that is not a bitmap: GDI+ refuses to copy it as one, which is how a failing
// copy can be had on demand. The handle owns it like any other image.
ImageHandle MakeMetafileImage()
{
    HDC screen = GetDC(nullptr);
    Gdiplus::GpMetafile* metafile = nullptr;
    const Gdiplus::GpRectF frame = {0, 0, 40, 30};
    GdipRecordMetafile(screen, Gdiplus::EmfTypeEmfPlusDual, &frame, Gdiplus::MetafileFrameUnitPixel,
                       nullptr, &metafile);
    ReleaseDC(nullptr, screen);
    Gdiplus::GpGraphics* recording = nullptr;  // the frame takes effect once something is recorded
    if (metafile && GdipGetImageGraphicsContext(metafile, &recording) == Gdiplus::Ok) {
        GdipGraphicsClear(recording, 0xFFFF0000);
        GdipDeleteGraphics(recording);
    }
    return ImageHandle(reinterpret_cast<Gdiplus::GpBitmap*>(metafile));
}

}  // namespace

TEST_P(EveryFormat, LoadedImageIsArgbWithEveryPixelOfTheOriginalDecode)
{
    const std::wstring path = Path();
    const DirectDecode original = DecodeDirectly(path);
    ASSERT_TRUE(original.decoded);

    const ImageRef loaded = LoadImageFile(path.c_str());
    ASSERT_FALSE(loaded->IsEmpty());
    EXPECT_EQ(static_cast<std::uint32_t>(PixelFormat32bppARGB), PixelFormatOf(*loaded))
        << "the file decoded as format " << std::hex << original.pixelFormat;
    ASSERT_EQ(original.size.width, loaded->Size().width);
    ASSERT_EQ(original.size.height, loaded->Size().height);
    EXPECT_EQ(0, CountMismatches(ReadAllPixels(*loaded), original.pixels, original.size.width));
}

TEST_P(EveryFormat, LoadedImageTakesTheAlphaOfTheRangeEditOnEveryPixel)
{
    const std::wstring path = Path();
    ImageDocument document;
    document.SetImage(LoadImageFile(path.c_str()));
    const ImageSize size = document.GetImageSize();
    ASSERT_GT(size.width, 0u);
    const std::vector<ArgbValue> before = ReadAllPixels(*document.Image());

    SetRange(document, 0, 0, size.width, size.height);
    ApplyAlphaToRange(document, 0x5A);

    std::vector<ArgbValue> expected;
    for (ArgbValue colour : before)
        expected.push_back(WithAlpha(colour, 0x5A));
    EXPECT_EQ(0, CountMismatches(ReadAllPixels(*document.Image()), expected, size.width));
    document.ReleaseImage();
}

INSTANTIATE_TEST_SUITE_P(ImageLoading, EveryFormat, testing::ValuesIn(kSamples), SampleName);

TEST(ImageLoading, AlphaEditedOnAJpegOrA24BitBmpSurvivesSavingAsPngAndReloading)
{
    TempFolder folder;
    for (const std::wstring& source : {WritePatternJpeg(folder), WritePatternBmp(folder)}) {
        SCOPED_TRACE(ToAnsi(source));
        ImageDocument document;
        document.SetImage(LoadImageFile(source.c_str()));
        const std::vector<ArgbValue> loaded = ReadAllPixels(*document.Image());
        ASSERT_EQ(48u * 40u, loaded.size());

        SetRange(document, 5, 6, 30, 20);
        ApplyAlphaToRange(document, 0x30);
        const std::wstring saved = folder.Path(L"edited.png");
        ASSERT_TRUE(WritePng(*document.Image(), saved));
        const ImageRef reloaded = LoadImageFile(saved.c_str());

        std::vector<ArgbValue> expected = loaded;
        for (std::uint32_t y = 6; y < 20; ++y)
            for (std::uint32_t x = 5; x < 30; ++x)
                expected[y * 48 + x] = WithAlpha(loaded[y * 48 + x], 0x30);
        ASSERT_EQ(48u, reloaded->Size().width);
        EXPECT_EQ(0, CountMismatches(ReadAllPixels(*reloaded), expected, 48));
        document.ReleaseImage();
    }
}

TEST(ImageLoading, LoadedFileCanBeOverwrittenAndDeletedRightAway)
{
    TempFolder folder;
    const ImageRef pattern = MakePatternImage(20, 10);
    const std::wstring paths[] = {folder.Path(L"held.png"), WritePatternJpeg(folder), WritePatternBmp(folder)};
    ASSERT_TRUE(WritePng(*pattern, paths[0]));
    for (const std::wstring& path : paths) {
        SCOPED_TRACE(ToAnsi(path));
        const std::vector<ArgbValue> stored = DecodeDirectly(path).pixels;
        const ImageRef loaded = LoadImageFile(path.c_str());
        ASSERT_FALSE(loaded->IsEmpty());

        EXPECT_TRUE(WritePng(*pattern, path)) << "the loaded image still holds its file";
        EXPECT_TRUE(DeleteFileW(path.c_str())) << "the loaded image still holds its file";
        EXPECT_FALSE(FileExists(path));
        EXPECT_EQ(stored, ReadAllPixels(*loaded));  // the image lives on without its file
    }
}

TEST(ImageLoading, ABitmapStraightFromTheDecoderHoldsItsFile)
{
    TempFolder folder;
    const std::wstring path = folder.Path(L"held.png");
    ASSERT_TRUE(WritePng(*MakePatternImage(20, 10), path));
    Gdiplus::GpBitmap* held = nullptr;
    ASSERT_EQ(Gdiplus::Ok, GdipCreateBitmapFromFile(path.c_str(), &held));
    const ImageHandle owner(held);
    EXPECT_FALSE(DeleteFileW(path.c_str()));
    EXPECT_TRUE(FileExists(path));
}

TEST(ImageLoading, OnlyTheArgbCopyStaysAliveAfterLoading)
{
    TempFolder folder;
    const std::wstring path = WritePatternJpeg(folder);
    const int before = ImageHandle::LiveBitmapCount();
    ImageRef loaded = LoadImageFile(path.c_str());
    ASSERT_FALSE(loaded->IsEmpty());
    EXPECT_EQ(1, ImageHandle::LiveBitmapCount() - before);
    loaded.reset();
    EXPECT_EQ(0, ImageHandle::LiveBitmapCount() - before);
}

TEST(ImageLoading, UndecodableInputGivesAnEmptyImageOfNoSize)
{
    TempFolder folder;
    const std::string text = "this is a text file, not an image";
    ASSERT_TRUE(WriteFileBytes(folder.Path(L"text.png"), {text.begin(), text.end()}));
    ASSERT_TRUE(WriteFileBytes(folder.Path(L"nothing.bmp"), {}));
    std::vector<unsigned char> cut = ReadFileBytes(TestData(L"pngsuite/basn6a08.png"));
    ASSERT_GT(cut.size(), 60u);
    cut.resize(60);
    ASSERT_TRUE(WriteFileBytes(folder.Path(L"cut.png"), cut));

    const std::wstring inputs[] = {L"", folder.Path(L"missing.png"), folder.Path(L"text.png"),
                                   folder.Path(L"nothing.bmp"), folder.Path(L"cut.png"), folder.Folder()};
    const int before = ImageHandle::LiveBitmapCount();
    for (const std::wstring& input : inputs) {
        SCOPED_TRACE(ToAnsi(input));
        const ImageRef image = LoadImageFile(input.c_str());
        ASSERT_NE(nullptr, image);
        EXPECT_TRUE(image->IsEmpty());
        EXPECT_EQ(0u, image->Size().width);
        EXPECT_EQ(0u, image->Size().height);
        ArgbValue colour = 0x12345678;
        EXPECT_FALSE(image->GetPixel(0, 0, colour));
        EXPECT_EQ(0x12345678u, colour);
        EXPECT_FALSE(image->SetPixel(0, 0, kOpaqueWhite));
        EXPECT_EQ(before, ImageHandle::LiveBitmapCount());
    }
    const ImageRef none = LoadImageFile(nullptr);
    ASSERT_NE(nullptr, none);
    EXPECT_TRUE(none->IsEmpty());
}

TEST(ImageLoading, ACopyGdiplusRefusesGivesTheEmptyImageAndLeavesNothingAllocated)
{
    const int before = ImageHandle::LiveBitmapCount();
    {
        const ImageHandle source = MakeMetafileImage();
        ASSERT_FALSE(source.IsEmpty());
        ASSERT_EQ(40u, source.Size().width);  // so the copy is really attempted
        const ImageRef copy = CopyToArgbImage(source);
        ASSERT_NE(nullptr, copy);
        EXPECT_TRUE(copy->IsEmpty());
        EXPECT_EQ(0u, copy->Size().height);
        EXPECT_EQ(1, ImageHandle::LiveBitmapCount() - before);  // the source alone
    }
    EXPECT_EQ(0, ImageHandle::LiveBitmapCount() - before);
}

TEST(ImageLoading, ACopyPastTheDecodeLimitsOrOfNothingGivesTheEmptyImage)
{
    const int before = ImageHandle::LiveBitmapCount();
    {
        const ImageRef wide = CreateArgbImage(16385, 1);
        ASSERT_FALSE(wide->IsEmpty());
        const ImageRef copy = CopyToArgbImage(*wide);
        EXPECT_TRUE(copy->IsEmpty());
        EXPECT_TRUE(CopyToArgbImage(ImageHandle())->IsEmpty());
        EXPECT_EQ(1, ImageHandle::LiveBitmapCount() - before);
    }
    EXPECT_EQ(0, ImageHandle::LiveBitmapCount() - before);
}

TEST(ImageLoading, ACopyIsArgbWithEveryPixelOfItsSource)
{
    Gdiplus::GpBitmap* rgb = nullptr;
    ASSERT_EQ(Gdiplus::Ok, GdipCreateBitmapFromScan0(30, 20, 0, PixelFormat24bppRGB, nullptr, &rgb));
    ImageHandle source(rgb);
    for (std::uint32_t y = 0; y < 20; ++y)
        for (std::uint32_t x = 0; x < 30; ++x)
            ASSERT_TRUE(source.SetPixel(x, y, PatternColour(x, y) | kOpaqueBlack));

    const ImageRef copy = CopyToArgbImage(source);
    ASSERT_FALSE(copy->IsEmpty());
    EXPECT_EQ(static_cast<std::uint32_t>(PixelFormat32bppARGB), PixelFormatOf(*copy));
    EXPECT_EQ(ReadAllPixels(source), ReadAllPixels(*copy));
    ASSERT_TRUE(copy->SetPixel(3, 4, 0x12345678));
    ArgbValue colour = 0;
    ASSERT_TRUE(copy->GetPixel(3, 4, colour));
    EXPECT_EQ(0x12345678u, colour);
}
