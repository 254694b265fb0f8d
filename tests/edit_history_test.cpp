// Undoing and redoing edits (the range alpha edit, edits of given pixels, strokes of the
// brush) on real GDI+ bitmaps: the exact pixels come back, the history keeps to its memory
// bound, and it gives back the image as it was opened.
#include <gtest/gtest.h>

#include "alpha_brush.h"
#include "alpha_edit.h"
#include "edit_history.h"
#include "image_document.h"
#include "test_support.h"

namespace {

// Records and applies one edit, as the tool panel does.
void Edit(ImageDocument& document, EditHistory& history, std::uint32_t xFrom, std::uint32_t yFrom,
          std::uint32_t xTo, std::uint32_t yTo, std::uint32_t alpha)
{
    SetRange(document, xFrom, yFrom, xTo, yTo);
    history.RecordAlphaEdit(document);
    ApplyAlphaToRange(document, alpha);
}

}  // namespace

TEST(EditHistory, UndoAndRedoGiveBackTheExactPixelsOfEachStepInTurn)
{
    ImageDocument document;
    document.SetImage(MakePatternImage(40, 30));
    EditHistory history(EditHistory::kProgramMaxBytes);
    const std::vector<ArgbValue> original = ReadAllPixels(*document.Image());
    Edit(document, history, 5, 5, 25, 20, 0);
    const std::vector<ArgbValue> afterFirst = ReadAllPixels(*document.Image());
    Edit(document, history, 15, 0, 4294967295u, 12, 200);  // overlaps the first, past the image
    const std::vector<ArgbValue> afterSecond = ReadAllPixels(*document.Image());
    ASSERT_NE(afterFirst, afterSecond);

    ASSERT_TRUE(history.Undo(*document.Image()));
    EXPECT_EQ(afterFirst, ReadAllPixels(*document.Image()));
    ASSERT_TRUE(history.Undo(*document.Image()));
    EXPECT_EQ(original, ReadAllPixels(*document.Image()));
    EXPECT_FALSE(history.Undo(*document.Image()));

    ASSERT_TRUE(history.Redo(*document.Image()));
    EXPECT_EQ(afterFirst, ReadAllPixels(*document.Image()));
    ASSERT_TRUE(history.Redo(*document.Image()));
    EXPECT_EQ(afterSecond, ReadAllPixels(*document.Image()));
    EXPECT_FALSE(history.Redo(*document.Image()));

    // A new edit after an undo drops what could have been redone; an edit that changes
    // nothing is no step.
    ASSERT_TRUE(history.Undo(*document.Image()));
    Edit(document, history, 0, 0, 3, 3, 9);
    EXPECT_FALSE(history.CanRedo());
    Edit(document, history, 30, 0, 10, 30, 9);
    ASSERT_TRUE(history.Undo(*document.Image()));
    EXPECT_EQ(afterFirst, ReadAllPixels(*document.Image()));
    EXPECT_EQ((20u * 15 + 3 * 3) * 4, history.Bytes()) << "the dropped step's pixels are no longer kept";
}

TEST(EditHistory, ManyWholeImageEditsStayUnderTheBoundAndTheNewestCanBeUndone)
{
    ImageDocument document;
    document.SetImage(CreateArgbImage(40, 30));  // 4,800 bytes of pixels a step
    constexpr std::size_t kStepBytes = 40 * 30 * 4;
    EditHistory history(5 * kStepBytes + kStepBytes / 2);
    for (std::uint32_t edit = 1; edit <= 8; ++edit) {
        Edit(document, history, 0, 0, 40, 30, edit);
        EXPECT_LE(history.Bytes(), history.MaxBytes());
    }
    EXPECT_EQ(5 * kStepBytes, history.Bytes());
    int undone = 0;
    while (history.Undo(*document.Image()))
        ++undone;
    EXPECT_EQ(5, undone) << "five whole-image steps fit in five and a half";
    ArgbValue colour = 0;
    ASSERT_TRUE(document.Image()->GetPixel(39, 29, colour));
    EXPECT_EQ(3u, colour >> 24) << "back to the third edit, the oldest kept";
}

TEST(EditHistory, AnEditLargerThanTheBoundIsAppliedButEmptiesTheHistory)
{
    ImageDocument document;
    document.SetImage(CreateArgbImage(64, 48));
    constexpr std::size_t kBound = 63 * 48 * 4;  // one column short of the whole image
    EditHistory history(kBound);
    Edit(document, history, 0, 0, 10, 10, 1);
    ASSERT_TRUE(history.CanUndo());

    Edit(document, history, 0, 0, 64, 48, 77);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(0u, history.Bytes());
    ArgbValue colour = 0;
    ASSERT_TRUE(document.Image()->GetPixel(63, 47, colour));
    EXPECT_EQ(77u, colour >> 24);
    ASSERT_TRUE(document.Image()->GetPixel(0, 0, colour));
    EXPECT_EQ(77u, colour >> 24);

    // An edit of exactly the bound is kept, alone.
    Edit(document, history, 1, 0, 64, 48, 5);
    ASSERT_TRUE(history.CanUndo());
    EXPECT_EQ(kBound, history.Bytes());
    ASSERT_TRUE(history.Undo(*document.Image()));
    ASSERT_TRUE(document.Image()->GetPixel(63, 47, colour));
    EXPECT_EQ(77u, colour >> 24);
}

TEST(EditHistory, AnEditOfGivenPixelsIsOneStepThatKeepsTheOldOnesInTheirMemory)
{
    ImageDocument document;
    document.SetImage(MakePatternImage(40, 30));
    ImageHandle& image = *document.Image();
    const std::vector<ArgbValue> original = ReadAllPixels(image);
    constexpr std::size_t kBound = 20 * 10 * 4;
    EditHistory history(kBound);
    const ImageRect area = {10, 5, 20, 10};
    PixelVector pixels(area.PixelCount(), 0x00123456u);

    ASSERT_TRUE(history.ApplyEdit(image, area, pixels));
    EXPECT_TRUE(pixels.empty());
    EXPECT_EQ(kBound, history.Bytes());
    ArgbValue colour = 0;
    ASSERT_TRUE(image.GetPixel(29, 14, colour));
    EXPECT_EQ(0x00123456u, colour);
    const std::vector<ArgbValue> edited = ReadAllPixels(image);
    ASSERT_TRUE(history.Undo(image));
    EXPECT_EQ(original, ReadAllPixels(image));
    ASSERT_TRUE(history.Redo(image));
    EXPECT_EQ(edited, ReadAllPixels(image));

    // Pixels that do not fit the area, or an area past the image: refused, nothing changes.
    PixelVector tooFew(3, 0u);
    EXPECT_FALSE(history.ApplyEdit(image, area, tooFew));
    PixelVector past(20 * 10, 0u);
    EXPECT_FALSE(history.ApplyEdit(image, {30, 25, 20, 10}, past));
    EXPECT_EQ(20u * 10, past.size());
    EXPECT_EQ(edited, ReadAllPixels(image));
    EXPECT_TRUE(history.CanUndo());

    // Larger than the bound: made, but the history is emptied.
    PixelVector whole(40 * 30, kOpaqueBlack);
    ASSERT_TRUE(history.ApplyEdit(image, {0, 0, 40, 30}, whole));
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(0u, history.Bytes());
    EXPECT_EQ(std::vector<ArgbValue>(40 * 30, kOpaqueBlack), ReadAllPixels(image));
}

namespace {

// Paints one stroke of the brush on image as the view does, the pixels changing as it goes,
// and gives it to the history once it ends.
void Stroke(ImageHandle& image, EditHistory& history, const BrushSettings& settings, BrushPoint from, BrushPoint to)
{
    const PixelRows original = settings.mode == BrushMode::Restore ? history.OriginalRows(image) : PixelRows{};
    BrushStroke stroke(settings, image.Size());
    ASSERT_TRUE(image.UsePixels(WholeOf(image.Size()), true, [&](const PixelRows& rows) { stroke.Begin(from, {rows, original}); }));
    ASSERT_TRUE(image.UsePixels(WholeOf(image.Size()), true, [&](const PixelRows& rows) { stroke.MoveTo(to, {rows, original}); }));
    std::vector<PixelTile> tiles = stroke.TakeTilesBefore();
    history.KeepMadeEdit(image, tiles);
    EXPECT_TRUE(tiles.empty());
}

}  // namespace

TEST(EditHistory, AStrokeIsOneStepOfItsTilesAndTheOpenedImageComesBack)
{
    ImageDocument document;
    document.SetImage(MakePatternImage(300, 200));
    ImageHandle& image = *document.Image();
    const std::vector<ArgbValue> opened = ReadAllPixels(image);
    EditHistory history(EditHistory::kProgramMaxBytes);
    Edit(document, history, 0, 0, 300, 100, 0);  // the top half made transparent
    Stroke(image, history, {9, 100, 0, BrushMode::PaintAlpha}, {10.5, 160.5}, {290.5, 160.5});
    const std::vector<ArgbValue> painted = ReadAllPixels(image);
    ASSERT_NE(opened, painted);

    // Only the tiles the stroke touched are kept: two rows of tiles, not the image.
    const ImageRect area = history.UndoArea();
    EXPECT_EQ(128u, area.y);
    EXPECT_EQ(64u, area.height);
    EXPECT_EQ(300u * 100 * 4 + 300u * 64 * 4, history.Bytes() - 20 * sizeof(PixelTile));
    ASSERT_TRUE(history.Undo(image));
    ASSERT_TRUE(history.Redo(image));
    EXPECT_EQ(painted, ReadAllPixels(image));
    EXPECT_EQ(0u, history.OriginalBytes()) << "nothing kept before the restore brush is used";

    // The restore brush over the whole image brings back the image as it was opened, as one
    // step the history undoes.
    Stroke(image, history, {1000, 100, 0, BrushMode::Restore}, {-400.0, 100.0}, {700.0, 100.0});
    EXPECT_EQ(opened, ReadAllPixels(image));
    EXPECT_EQ(300u * 200 * 4, history.OriginalBytes());
    ASSERT_TRUE(history.Undo(image));
    EXPECT_EQ(painted, ReadAllPixels(image));
}

TEST(EditHistory, TheOpenedImageIsKeptBeforeTheOldestStepGoes)
{
    ImageDocument document;
    document.SetImage(MakePatternImage(64, 48));
    ImageHandle& image = *document.Image();
    const std::vector<ArgbValue> opened = ReadAllPixels(image);
    EditHistory history(64 * 48 * 4);  // one whole-image step
    Edit(document, history, 0, 0, 64, 24, 10);  // the top half
    Stroke(image, history, {5, 100, 200, BrushMode::PaintAlpha}, {3.0, 3.0}, {60.0, 40.0});
    EXPECT_EQ(64u * 48 * 4, history.OriginalBytes()) << "kept as the first edit's step went";
    Edit(document, history, 0, 0, 64, 48, 20);
    EXPECT_EQ(64u * 48 * 4, history.OriginalBytes()) << "one copy at most";

    ArgbValue colour = 0;
    ASSERT_TRUE(image.GetPixel(0, 0, colour));
    ASSERT_EQ(20u, colour >> 24);
    const PixelRows original = history.OriginalRows(image);
    ASSERT_NE(nullptr, original.first);
    for (std::uint32_t y = 0; y < 48; ++y)
        for (std::uint32_t x = 0; x < 64; ++x)
            ASSERT_EQ(opened[y * 64 + x], original.Row(y)[x]) << x << ", " << y;
    history.Clear();
    EXPECT_EQ(0u, history.OriginalBytes()) << "a new image forgets it";
}
