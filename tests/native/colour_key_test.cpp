// The colour work against pictures of known truth, and its behaviour a caller sees: the
// background connected or everywhere, the range, large and winding backgrounds, and which
// pixels change.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "colour_key.h"
#include "key_truth.h"

namespace {

constexpr std::uint32_t kTolerance = 8;
constexpr std::uint32_t kJpegTolerance = 40;
constexpr int kJpegQuality = 90;
constexpr ArgbValue kWhite = 0xFFFFFFFFu;
constexpr ArgbValue kInk = 0xFF203040u;

TruthMeasures Keyed(const TruthCase& truthCase, std::uint32_t tolerance, bool connected, bool softShadows)
{
    std::vector<ArgbValue> keyed;
    EXPECT_TRUE(KeyedImage(truthCase, TruthOptions(truthCase, tolerance, connected, softShadows), keyed));
    return MeasureTruth(truthCase, keyed, connected);
}

// An image of one colour, with rows that can be handed to the colour work.
struct Picture {
    ImageSize size;
    std::vector<ArgbValue> pixels;

    Picture(std::uint32_t width, std::uint32_t height, ArgbValue colour)
        : size{width, height}, pixels(std::size_t{width} * height, colour)
    {
    }
    ArgbValue& At(std::uint32_t x, std::uint32_t y) { return pixels[std::size_t{y} * size.width + x]; }
    ArgbValue At(std::uint32_t x, std::uint32_t y) const { return pixels[std::size_t{y} * size.width + x]; }
    PixelRows Rows() { return PixelRows{pixels.data(), static_cast<std::ptrdiff_t>(size.width * sizeof(ArgbValue))}; }
    ImageRect Whole() const { return ImageRect{0, 0, size.width, size.height}; }

    // The picture with result put in.
    Picture With(const ColourKeyResult& result) const
    {
        Picture out = *this;
        const ImageRect& r = result.changed;
        for (std::uint32_t y = 0; y < r.height; ++y)
            std::copy_n(result.pixels.data() + std::size_t{y} * r.width, r.width, out.pixels.data() +
                        std::size_t{r.y + y} * size.width + r.x);
        return out;
    }
};

ColourKeyOptions WhiteKey(const ImageRect& area, std::uint32_t x = 0, std::uint32_t y = 0)
{
    ColourKeyOptions options;
    options.key = kWhite;
    options.tolerance = kTolerance;
    options.area = area;
    options.startX = x;
    options.startY = y;
    return options;
}

ColourKeyResult KeyOut(Picture& picture, const ColourKeyOptions& options)
{
    ColourKeyResult result;
    EXPECT_TRUE(MakeColourTransparent(picture.Rows(), picture.size, options, result));
    EXPECT_EQ(result.pixels.size(), result.changed.PixelCount());
    return result;
}

}  // namespace

// Logos on white, mid grey and a saturated key: no halo, the true alpha at the edges, the
// inside and the enclosed hole untouched, and the same picture again over the key.
TEST(ColourKeyTruth, LogosComeOutCleanOnEveryKey)
{
    const TruthLayer layer = DrawTruthLayer(TruthScene::kLogo);
    for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey}) {
        const TruthCase logo = Flattened(layer, key);
        SCOPED_TRACE(logo.name);
        const TruthMeasures m = Keyed(logo, kTolerance, true, false);
        EXPECT_LE(m.halo, 70u);
        EXPECT_GE(m.EdgeAlphaShare(), 0.99);
        EXPECT_EQ(m.farInsideChanged, 0u);
        EXPECT_EQ(m.enclosedChanged, 0u);
        EXPECT_LE(m.worstOverKey, 3);
        EXPECT_GT(m.edgePixels, 1000u);
    }
}

// Everywhere, the hole the ring encloses is cleared too, its edge as clean as the outside.
TEST(ColourKeyTruth, EverywhereClearsTheEnclosedHole)
{
    const TruthCase logo = DrawTruthCase(TruthScene::kLogo, kWhiteKey);
    const TruthMeasures m = Keyed(logo, kTolerance, false, false);
    EXPECT_EQ(m.holeLeft, 0u);
    EXPECT_LE(m.halo, 70u);
    EXPECT_GE(m.EdgeAlphaShare(), 0.99);
    EXPECT_EQ(m.farInsideChanged, 0u);
}

// Where lines meet at a sharp angle, the wedge between them is a mix one ring beyond the edge
// band too, and is taken out there.
TEST(ColourKeyTruth, ThinLinesAndLettersKeepLittleHalo)
{
    const TruthLayer layer = DrawTruthLayer(TruthScene::kStrokes);
    for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey}) {
        const TruthCase strokes = Flattened(layer, key);
        SCOPED_TRACE(strokes.name);
        const TruthMeasures m = Keyed(strokes, kTolerance, true, false);
        EXPECT_LE(m.halo, 95u);
        EXPECT_EQ(m.farInsideChanged, 0u);
        EXPECT_LE(m.worstOverKey, 3);
    }
}

// Strokes 1 to 4 pixels wide have no pixel beyond the edge band: their colour is looked for
// farther along them, where they are better covered, and where none covers a pixel fully,
// in their cross-sections, on every key; where strokes cross, in those of the best-covered
// pixel nearby, or of the pixels a step or two along the stroke (before, 71 halo pixels over
// green). The wedges where they meet are taken out too.
TEST(ColourKeyTruth, StrokesThinnerThanTheBandFindTheirColourFartherAlong)
{
    const TruthLayer layer = DrawTruthLayer(TruthScene::kThinLogo);
    for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey}) {
        const TruthCase logo = Flattened(layer, key);
        SCOPED_TRACE(logo.name);
        const TruthMeasures m = Keyed(logo, kTolerance, true, false);
        EXPECT_LE(m.halo, 70u);
        EXPECT_EQ(m.farInsideChanged, 0u);
        EXPECT_EQ(m.backgroundAbove8, 0u);
    }
}

// A JPEG's noise: a larger tolerance clears the background, and nothing of it is left
// visible, whether the JPEG keeps its colour at full resolution or at half.
TEST(ColourKeyTruth, JpegAtToleranceFortyLeavesNoBackground)
{
    const TruthCase logo = DrawTruthCase(TruthScene::kLogo, kWhiteKey);
    const TruthMeasures full = Keyed(AsJpeg(logo, kJpegQuality, false), kJpegTolerance, true, false);
    EXPECT_EQ(full.backgroundAbove8, 0u);
    EXPECT_LE(full.halo, 3300u);
    EXPECT_EQ(full.farInsideChanged, 0u);
    const TruthMeasures half = Keyed(AsJpeg(logo, kJpegQuality, true), kJpegTolerance, true, false);
    EXPECT_EQ(half.backgroundAbove8, 0u);
    EXPECT_LE(half.halo, 5400u);
    EXPECT_EQ(half.farInsideChanged, 0u);
}

// A JPEG that halves its colour blurs it across the edge but keeps luma sharp: in a noisy
// picture the edge's alpha follows luma, and its colour is the subject's. A half mix of black
// ink and white whose blue the colour's blur pushed up takes the ink at luma's share.
TEST(ColourKeyNoise, TheEdgeOfANoisyPictureFollowsLuma)
{
    constexpr std::uint32_t kNoisyTolerance = 24;
    constexpr ArgbValue kBlurredMix = 0xFF8080B0u;  // luma 133.5: a share of (255 - 133.5) / 255
    constexpr double kLumaShare = 121.5;
    constexpr ArgbValue kBlack = 0xFF000000u;
    Picture picture(24, 8, kWhite);
    for (std::uint32_t y = 0; y < picture.size.height; ++y) {
        for (std::uint32_t x = 13; x < picture.size.width; ++x)
            picture.At(x, y) = kBlack;
        picture.At(12, y) = kBlurredMix;
    }
    ColourKeyOptions options = WhiteKey(picture.Whole());
    options.tolerance = kNoisyTolerance;
    ColourKeyResult result;
    ASSERT_TRUE(MakeColourTransparent(picture.Rows(), picture.size, options, result));
    const Picture keyed = picture.With(result);
    for (std::uint32_t y = 0; y < picture.size.height; ++y) {
        EXPECT_EQ(keyed.At(12, y) & 0x00FFFFFFu, 0u) << y;
        EXPECT_NEAR(double(keyed.At(12, y) >> 24), kLumaShare, 1.0) << y;
        EXPECT_EQ(keyed.At(5, y) >> 24, 0u) << y;
        EXPECT_EQ(keyed.At(20, y), kBlack) << y;
    }
}

// In a noisy picture a page of one colour, 23 levels off white but within the tolerance, is a
// pale patch the background does not take; a background shaded smoothly, a level darker every
// 20 rows and flat everywhere, is taken as far as the tolerance reaches, with or without soft
// fades.
TEST(ColourKeyNoise, APalePageStaysASmoothShadeOfTheBackgroundGoes)
{
    constexpr std::uint32_t kRowsALevel = 20;
    constexpr ArgbValue kPage = 0xFFE8E8E8u;
    Picture picture(200, 400, kWhite);
    for (std::uint32_t y = 0; y < picture.size.height; ++y) {
        const ArgbValue level = 255 - y / kRowsALevel;
        for (std::uint32_t x = 0; x < picture.size.width; ++x)
            picture.At(x, y) = 0xFF000000u | level << 16 | level << 8 | level;
    }
    for (std::uint32_t y = 100; y < 300; ++y)
        std::fill_n(&picture.At(60, y), 80, kPage);
    for (const bool softShadows : {false, true}) {
        SCOPED_TRACE(softShadows ? "soft fades" : "clean edges");
        ColourKeyOptions options = WhiteKey(picture.Whole());
        options.tolerance = 24;
        options.noisyPicture = true;
        options.softShadows = softShadows;
        const Picture keyed = picture.With(KeyOut(picture, options));
        EXPECT_EQ(keyed.At(100, 200), kPage);
        EXPECT_EQ(keyed.At(10, 395) >> 24, 0u);
        EXPECT_EQ(keyed.At(190, 250) >> 24, 0u);
    }
}

// With soft shadows a drop shadow stays a shadow, and the subject, the light grey disc too,
// stays as it was; without, the shadow stays opaque grey.
TEST(ColourKeyTruth, SoftShadowsKeepTheShadowAndTheSubject)
{
    const TruthCase shadow = DrawTruthCase(TruthScene::kShadow, kWhiteKey);
    const TruthMeasures soft = Keyed(shadow, kTolerance, true, true);
    EXPECT_LE(soft.halo, 5000u);
    EXPECT_EQ(soft.farInsideChanged, 0u);
    const TruthMeasures hard = Keyed(shadow, kTolerance, true, false);
    EXPECT_GT(hard.halo, 5000u);
    EXPECT_EQ(hard.farInsideChanged, 0u);
}

// One colour over a whole large image, and a one-pixel corridor that winds through every
// column: a fill that recursed per pixel or per run would go millions of calls deep.
TEST(ColourKeyLimits, LargeAndWindingBackgroundsAreClearedWithoutRecursion)
{
    Picture plain(2048, 2048, kWhite);
    const ColourKeyResult whole = KeyOut(plain, WhiteKey(plain.Whole()));
    EXPECT_EQ(whole.changed.PixelCount(), plain.pixels.size());
    EXPECT_TRUE(std::all_of(whole.pixels.begin(), whole.pixels.end(), [](ArgbValue v) { return v == 0x00FFFFFFu; }));

    // Walls on every odd column, open at the bottom and the top in turn.
    Picture snake(2048, 1024, kWhite);
    for (std::uint32_t x = 1; x < snake.size.width; x += 2)
        for (std::uint32_t y = 0; y < snake.size.height; ++y)
            snake.At(x, y) = (y == ((x / 2) % 2 ? 0 : snake.size.height - 1)) ? kWhite : kInk;
    const Picture keyed = snake.With(KeyOut(snake, WhiteKey(snake.Whole())));
    std::size_t cleared = 0, walls = 0;
    for (std::size_t i = 0; i < keyed.pixels.size(); ++i) {
        cleared += snake.pixels[i] == kWhite && keyed.pixels[i] == 0x00FFFFFFu;
        walls += snake.pixels[i] == kInk && keyed.pixels[i] == kInk;
    }
    EXPECT_EQ(cleared + walls, snake.pixels.size());
}

// A row with more one-pixel branches than the fill keeps at once, each leading on to a pixel
// of its own: the branches the fill had no room for are found again.
TEST(ColourKeyLimits, BranchesBeyondTheFillsRoomAreFollowed)
{
    Picture comb(140000, 3, kWhite);
    for (std::uint32_t x = 1; x < comb.size.width; x += 2)
        comb.At(x, 1) = comb.At(x, 2) = kInk;
    const Picture keyed = comb.With(KeyOut(comb, WhiteKey(comb.Whole())));
    std::size_t left = 0;
    for (std::uint32_t x = 0; x < comb.size.width; x += 2)
        left += keyed.At(x, 2) != 0x00FFFFFFu;
    EXPECT_EQ(left, 0u);
}

// Only the range counts: clipped to the image, nothing outside it changes, and a start
// outside it changes nothing.
TEST(ColourKeyArea, OnlyTheRangeClippedToTheImageChanges)
{
    Picture picture(300, 200, kWhite);
    for (std::uint32_t y = 80; y < 120; ++y)
        for (std::uint32_t x = 120; x < 180; ++x)
            picture.At(x, y) = kInk;
    const ImageRect range{100, 50, 1000, 1000};
    const ColourKeyResult result = KeyOut(picture, WhiteKey(range, 100, 50));
    const ImageRect& r = result.changed;
    EXPECT_EQ(r.x, 100u);
    EXPECT_EQ(r.y, 50u);
    EXPECT_EQ(r.x + r.width, 300u);
    EXPECT_EQ(r.y + r.height, 200u);
    const Picture keyed = picture.With(result);
    EXPECT_EQ(keyed.At(99, 60), kWhite);
    EXPECT_EQ(keyed.At(150, 49), kWhite);
    EXPECT_EQ(keyed.At(299, 199), 0x00FFFFFFu);
    EXPECT_EQ(keyed.At(150, 100), kInk);

    EXPECT_EQ(KeyOut(picture, WhiteKey(range, 10, 10)).changed.PixelCount(), 0u);
    ColourKeyOptions outside = WhiteKey(ImageRect{300, 0, 10, 10});
    outside.connected = false;
    EXPECT_EQ(KeyOut(picture, outside).changed.PixelCount(), 0u);
}

// Connected, the background is what the start pixel reaches; everywhere, every pixel within
// the tolerance; and nothing at all when the start is not the key.
TEST(ColourKeyArea, ConnectedTakesWhatTheStartReachesEverywhereTakesAll)
{
    Picture picture(64, 64, kWhite);
    for (std::uint32_t y = 20; y < 44; ++y)
        for (std::uint32_t x = 20; x < 44; ++x)
            picture.At(x, y) = (x < 24 || x >= 40 || y < 24 || y >= 40) ? kInk : 0xFFFCFBFAu;
    ColourKeyOptions options = WhiteKey(picture.Whole());
    options.cleanEdges = false;
    const Picture connected = picture.With(KeyOut(picture, options));
    EXPECT_EQ(connected.At(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(connected.At(30, 30), 0xFFFCFBFAu);
    options.connected = false;
    const Picture everywhere = picture.With(KeyOut(picture, options));
    EXPECT_EQ(everywhere.At(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(everywhere.At(30, 30), 0x00FCFBFAu);
    options.connected = true;
    options.startX = options.startY = 21;
    EXPECT_EQ(KeyOut(picture, options).changed.PixelCount(), 0u);
}

// The result holds the smallest rectangle around what changes: an edge of one colour next to
// the key needs no change, so only the key's own pixels are in it.
TEST(ColourKeyArea, TheResultIsTheSmallestRectangleOfChanges)
{
    Picture picture(64, 48, kInk);
    for (std::uint32_t y = 5; y < 9; ++y)
        for (std::uint32_t x = 10; x < 20; ++x)
            picture.At(x, y) = kWhite;
    const ColourKeyResult result = KeyOut(picture, WhiteKey(picture.Whole(), 12, 6));
    EXPECT_EQ(result.changed.x, 10u);
    EXPECT_EQ(result.changed.y, 5u);
    EXPECT_EQ(result.changed.width, 10u);
    EXPECT_EQ(result.changed.height, 4u);
}

// Without clean edges only the background changes, its colour kept and a transparent pixel
// left as it was; with them, only pixels within three of the background change besides (two,
// and one ring more where a pixel plainly is a mix).
TEST(ColourKeyArea, NothingButTheBackgroundAndItsEdgeChanges)
{
    const TruthCase logo = DrawTruthCase(TruthScene::kLogo, kGreyKey);
    Picture picture(logo.size.width, logo.size.height, 0);
    picture.pixels = logo.input;
    picture.At(5, 5) = 0x00808080u;  // already transparent
    picture.At(599, 399) = 0x00123456u;
    ColourKeyOptions options = TruthOptions(logo, kTolerance, true, false);
    options.cleanEdges = false;
    const Picture fill = picture.With(KeyOut(picture, options));
    std::vector<std::uint8_t> cleared(picture.pixels.size());
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const bool changed = fill.pixels[i] != picture.pixels[i];
        cleared[i] = fill.pixels[i] >> 24 == 0;
        if (changed)
            EXPECT_EQ(fill.pixels[i], picture.pixels[i] & 0x00FFFFFFu) << i;
    }
    EXPECT_EQ(fill.At(5, 5), 0x00808080u);

    options.cleanEdges = true;
    const Picture clean = picture.With(KeyOut(picture, options));
    for (std::uint32_t y = 0; y < picture.size.height; ++y) {
        for (std::uint32_t x = 0; x < picture.size.width; ++x) {
            if (clean.At(x, y) == picture.At(x, y) || cleared[std::size_t{y} * 600 + x])
                continue;
            bool nearBackground = false;
            for (std::uint32_t j = y > 3 ? y - 3 : 0; j <= std::min(y + 3, 399u); ++j)
                for (std::uint32_t i = x > 3 ? x - 3 : 0; i <= std::min(x + 3, 599u); ++i)
                    nearBackground = nearBackground || cleared[std::size_t{j} * 600 + i];
            EXPECT_TRUE(nearBackground) << x << ", " << y;
        }
    }
}
