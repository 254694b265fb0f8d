// Picking a colour with the left button: the numbers and the swatch in the tool panel.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <vector>

#include "alpha_edit.h"
#include "image_document.h"
#include "image_saver.h"
#include "resource.h"
#include "test_support.h"
#include "app_state.h"
#include "ui_support.h"

namespace {

constexpr ArgbValue kPicked = 0x80FF4020;  // alpha 128, red 255, green 64, blue 32

// The leak check: picks to let the heaps settle, then picks counted, and how much the
// committed memory may move over those.
constexpr int kSettlingPicks = 50;
constexpr int kCountedPicks = 200;
constexpr SIZE_T kCommittedSlack = 256 * 1024;

class ColourPick : public ProgramTest {
protected:

    std::vector<std::string> PickFields() const
    {
        std::vector<std::string> texts;
        for (int id : {IDC_PICK_ALPHA, IDC_PICK_RED, IDC_PICK_GREEN, IDC_PICK_BLUE})
            texts.push_back(FieldText(Panel(), id));
        return texts;
    }

    HBITMAP SwatchPicture() const
    {
        return reinterpret_cast<HBITMAP>(SendMessageA(g_app.swatch, STM_GETIMAGE, IMAGE_BITMAP, 0));
    }
};

using Fields = std::vector<std::string>;

// The swatch picture's pixels as 0x00RRGGBB, row by row from the top.
std::vector<DWORD> PicturePixels(HBITMAP picture, int& width, int& height)
{
    BITMAP info = {};
    GetObjectA(picture, sizeof info, &info);
    width = info.bmWidth;
    height = info.bmHeight;
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = -height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<std::size_t>(width) * height);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, picture, 0, height, pixels.data(), &header, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (DWORD& pixel : pixels)
        pixel &= 0x00FFFFFF;
    return pixels;
}

void ExpectSwatch(HBITMAP picture, DWORD fill)
{
    ASSERT_NE(nullptr, picture);
    int width = 0;
    int height = 0;
    const std::vector<DWORD> pixels = PicturePixels(picture, width, height);
    ASSERT_EQ(50, width);
    ASSERT_EQ(30, height);
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool frame = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            if (pixels[static_cast<std::size_t>(y) * width + x] != (frame ? 0u : fill))
                ++wrong;
        }
    }
    EXPECT_EQ(0, wrong) << "pixels that are neither the one-pixel black frame nor the fill";
}

}  // namespace

TEST_F(ColourPick, ClickShowsThePixelsFourNumbersAndASwatchOfItsColour)
{
    ImageRef image = MakeFilledImage(60, 40, kOpaqueBlack);
    image->SetPixel(5, 7, kPicked);
    UseImage(image);
    ClickAt(5, 7);
    EXPECT_EQ(Fields({"128", "255", "64", "32"}), PickFields());
    ExpectSwatch(SwatchPicture(), 0xFF4020);
}

TEST_F(ColourPick, ClickInTheWindowButOutsideTheImageShowsOpaqueBlack)
{
    // The system keeps the window wider than a 16-pixel image.
    UseImage(MakeFilledImage(16, 16, kOpaqueWhite));
    ASSERT_GT(ClientSize(Main()).cx, 40);
    ClickAt(8, 8);
    EXPECT_EQ(Fields({"255", "255", "255", "255"}), PickFields());
    ClickAt(30, 8);
    EXPECT_EQ(Fields({"255", "0", "0", "0"}), PickFields());
    ExpectSwatch(SwatchPicture(), 0x000000);
}

TEST_F(ColourPick, ClickBeforeAnyImageChangesNothing)
{
    ClickAt(10, 10);
    EXPECT_EQ(Fields({"", "", "", ""}), PickFields());
    EXPECT_EQ(nullptr, SwatchPicture());
}

TEST_F(ColourPick, ClickOnAnEmptyImageShowsOpaqueBlack)
{
    UseImage(std::make_shared<ImageHandle>());
    ClickAt(0, 0);
    EXPECT_EQ(Fields({"255", "0", "0", "0"}), PickFields());
}

TEST_F(ColourPick, AfterMakingARangeTransparentAClickShowsAlphaZeroAndTheSameColour)
{
    UseImage(MakeFilledImage(30, 30, 0xFF336699));
    g_document.SetRangeValue(RangeValue::XTo, 10);
    g_document.SetRangeValue(RangeValue::YTo, 10);
    ApplyAlphaToRange(g_document, 0);
    ClickAt(4, 4);
    EXPECT_EQ(Fields({"0", "51", "102", "153"}), PickFields());
    ClickAt(20, 20);
    EXPECT_EQ(Fields({"255", "51", "102", "153"}), PickFields());
}

TEST_F(ColourPick, TheReplacedSwatchPictureIsFreed)
{
    UseImage(MakeFilledImage(30, 30, kPicked));
    ClickAt(1, 1);
    const HBITMAP first = SwatchPicture();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(OBJ_BITMAP, GetObjectType(first));
    ClickAt(2, 2);
    EXPECT_NE(nullptr, SwatchPicture());
    EXPECT_EQ(0u, GetObjectType(first));
}

TEST_F(ColourPick, EveryPickFreesThePictureItReplacesAndCommitsNoMoreMemory)
{
    UseImage(MakeFilledImage(30, 30, kPicked));
    // Moving the cursor queues mouse messages; they are handled as the program's loop would.
    const auto pick = [this](int i) {
        ClickAt(i % 30, 3 + i % 20);
        PumpMessages(0);
    };
    for (int i = 0; i < kSettlingPicks; ++i)
        pick(i);
    const SIZE_T settled = MemoryCounters().PagefileUsage;
    std::vector<HBITMAP> shown;
    for (int i = 0; i < kCountedPicks; ++i) {
        pick(i);
        shown.push_back(SwatchPicture());
    }
    const SIZE_T after = MemoryCounters().PagefileUsage;
    std::printf("committed memory over %d picks: %+lld KB\n", kCountedPicks,
                (static_cast<long long>(after) - static_cast<long long>(settled)) / 1024);

    const HBITMAP current = SwatchPicture();
    ASSERT_NE(nullptr, current);
    EXPECT_EQ(OBJ_BITMAP, GetObjectType(current));
    int alive = 0;
    for (HBITMAP picture : shown)
        if (picture != current && GetObjectType(picture) != 0)
            ++alive;
    EXPECT_EQ(0, alive) << "of " << kCountedPicks << " pictures replaced by the next pick, these are not freed";
    // A leaked 50 × 30 picture costs about 6 KB and a leaked memory DC about 2 KB: 200 of
    // them are some 1.2 MB or 370 KB.
    EXPECT_LT(after, settled + kCommittedSlack) << "grew from " << settled << " to " << after;
}
