// The document's state and the range alpha edit, on real GDI+ bitmaps.
#include <gtest/gtest.h>

#include <memory>

#include "alpha_edit.h"
#include "image_document.h"
#include "test_support.h"

namespace {

constexpr std::uint32_t kWidth = 40;
constexpr std::uint32_t kHeight = 30;
constexpr std::uint32_t kFar = 4294967295u;

}  // namespace

TEST(ImageDocument, StartsWithNoImageNoRangeAndNoOutline)
{
    const auto document = std::make_unique<ImageDocument>();
    const PixelRange& range = document->Range();
    EXPECT_EQ(0u, range.xFrom);
    EXPECT_EQ(0u, range.yFrom);
    EXPECT_EQ(0u, range.xTo);
    EXPECT_EQ(0u, range.yTo);
    EXPECT_FALSE(document->HasImage());
    EXPECT_EQ(nullptr, document->Image());
    EXPECT_FALSE(document->IsRangeShown());
    EXPECT_EQ(RangePenMode::None, document->PenMode());
    EXPECT_EQ(0u, document->GetImageSize().width);
    EXPECT_EQ(0u, document->GetImageSize().height);
    EXPECT_STREQ("", document->OpenedPath());
    EXPECT_STREQ("", document->OpenedTitle());
}

TEST(ImageDocument, RangeValuesAreStoredEachInItsOwnPlace)
{
    ImageDocument document;
    SetRange(document, 1, 2, 3, kFar);
    EXPECT_EQ(1u, document.Range().xFrom);
    EXPECT_EQ(2u, document.Range().yFrom);
    EXPECT_EQ(3u, document.Range().xTo);
    EXPECT_EQ(kFar, document.Range().yTo);
}

TEST(ImageDocument, HidingTheRangeKeepsThePenModeAndShowingAgainChangesIt)
{
    ImageDocument document;
    document.ShowRange(RangePenMode::White);
    EXPECT_TRUE(document.IsRangeShown());
    EXPECT_EQ(RangePenMode::White, document.PenMode());

    document.HideRange();
    EXPECT_FALSE(document.IsRangeShown());
    EXPECT_EQ(RangePenMode::White, document.PenMode());

    document.ShowRange(RangePenMode::Black);
    EXPECT_TRUE(document.IsRangeShown());
    EXPECT_EQ(RangePenMode::Black, document.PenMode());
}

TEST(ImageDocument, AnEmptyImageCountsAsOpenedButHasNoSize)
{
    ImageDocument document;
    document.SetImage(std::make_shared<ImageHandle>());
    EXPECT_TRUE(document.HasImage());
    EXPECT_EQ(0u, document.GetImageSize().width);
    EXPECT_EQ(0u, document.GetImageSize().height);
}

TEST(ImageDocument, ASecondImageReplacesTheFirstWhileAnotherHolderKeepsItAlive)
{
    const int before = ImageHandle::LiveBitmapCount();
    ImageDocument document;
    document.SetImage(MakePatternImage(4, 3));
    ImageRef pendingSave = document.SharedImage();

    document.SetImage(MakeFilledImage(2, 2, kOpaqueWhite));
    EXPECT_TRUE(document.HasImage());
    EXPECT_EQ(2u, document.GetImageSize().width);
    EXPECT_EQ(2, ImageHandle::LiveBitmapCount() - before);

    // The other holder still has the first image, whole.
    ASSERT_EQ(4u, pendingSave->Size().width);
    ArgbValue colour = 0;
    ASSERT_TRUE(pendingSave->GetPixel(3, 2, colour));
    EXPECT_EQ(PatternColour(3, 2), colour);

    pendingSave.reset();
    EXPECT_EQ(1, ImageHandle::LiveBitmapCount() - before);
    document.ReleaseImage();
    EXPECT_EQ(0, ImageHandle::LiveBitmapCount() - before);
}

class AlphaEdit : public testing::Test {
protected:
    void SetUp() override { document_.SetImage(MakePatternImage(kWidth, kHeight)); }

    // Pixels that differ from the untouched pattern, with the alpha each should have.
    void ExpectOnlyRangeChanged(std::uint32_t xFrom, std::uint32_t yFrom, std::uint32_t xEnd,
                                std::uint32_t yEnd, std::uint32_t alpha)
    {
        int mismatches = 0;
        for (std::uint32_t y = 0; y < kHeight; ++y) {
            for (std::uint32_t x = 0; x < kWidth; ++x) {
                const bool inside = x >= xFrom && x < xEnd && y >= yFrom && y < yEnd;
                const ArgbValue expected = inside ? WithAlpha(PatternColour(x, y), alpha) : PatternColour(x, y);
                ArgbValue actual = 0;
                ASSERT_TRUE(document_.Image()->GetPixel(x, y, actual));
                if (actual != expected && ++mismatches <= 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << actual
                                  << ", expected " << expected;
            }
        }
        EXPECT_EQ(0, mismatches);
    }

    void ExpectUnchanged() { ExpectOnlyRangeChanged(0, 0, 0, 0, 0); }

    ImageDocument document_;
};

TEST_F(AlphaEdit, ChangesExactlyTheHalfOpenRangeAndNoNeighbour)
{
    SetRange(document_, 10, 10, 20, 15);
    ApplyAlphaToRange(document_, 0x40);
    ExpectOnlyRangeChanged(10, 10, 20, 15, 0x40);
}

TEST_F(AlphaEdit, EmptyOrReversedRangesChangeNothing)
{
    ApplyAlphaToRange(document_, 0);  // the initial range 0, 0, 0, 0
    SetRange(document_, 5, 0, 5, kHeight);
    ApplyAlphaToRange(document_, 0);
    SetRange(document_, 0, 7, kWidth, 7);
    ApplyAlphaToRange(document_, 0);
    SetRange(document_, 30, 0, 10, kHeight);
    ApplyAlphaToRange(document_, 0);
    SetRange(document_, 0, 20, kWidth, 3);
    ApplyAlphaToRange(document_, 0);
    ExpectUnchanged();
}

TEST_F(AlphaEdit, RangeReachingFarPastTheImageChangesOnlyPixelsInside)
{
    // Unclipped, this would walk 4 billion columns of every row and never return.
    SetRange(document_, 35, 25, kFar, kFar);
    ApplyAlphaToRange(document_, 0x11);
    ExpectOnlyRangeChanged(35, 25, kWidth, kHeight, 0x11);
}

TEST_F(AlphaEdit, RangeStartingOutsideTheImageChangesNothing)
{
    SetRange(document_, kWidth, 0, kFar, kFar);
    ApplyAlphaToRange(document_, 0);
    SetRange(document_, 0, kFar, kFar, kFar);
    ApplyAlphaToRange(document_, 0);
    ExpectUnchanged();
}

TEST_F(AlphaEdit, WholeImageKeepsEveryRedGreenAndBlue)
{
    SetRange(document_, 0, 0, kWidth, kHeight);
    ApplyAlphaToRange(document_, 128);
    ExpectOnlyRangeChanged(0, 0, kWidth, kHeight, 128);
}

TEST_F(AlphaEdit, OnlyTheLowEightBitsOfTheAlphaCount)
{
    const struct {
        std::uint32_t typed;
        std::uint32_t applied;
    } cases[] = {{255, 255}, {256, 0}, {300, 44}, {511, 255}, {kFar, 255}, {0, 0}};
    SetRange(document_, 0, 0, 1, 1);
    for (const auto& c : cases) {
        ApplyAlphaToRange(document_, c.typed);
        ArgbValue colour = 0;
        ASSERT_TRUE(document_.Image()->GetPixel(0, 0, colour));
        EXPECT_EQ(c.applied, colour >> 24) << "alpha typed as " << c.typed;
        EXPECT_EQ(PatternColour(0, 0) & 0x00FFFFFFu, colour & 0x00FFFFFFu);
    }
}
