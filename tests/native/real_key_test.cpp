// The colour work on real cut-outs beside the plain flood fill, a background in parts, the
// starting tolerance a picture's noise asks for, and soft fades that stop at an outline.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "colour_key.h"
#include "edge_unmix.h"
#include "real_cutouts.h"

namespace {

constexpr std::uint32_t kTolerance = 8;
constexpr double kHaloShareGoal = 0.10;  // of the plain flood fill's halo, on a clean picture
constexpr double kJpegHaloShare = 0.72;  // of the plain flood fill's halo, on a JPEG
constexpr double kPhotographShare = 0.8;  // of the plain flood fill's halo, on a photograph cut out
constexpr double kShadowShare = 0.5;      // of the plain flood fill's halo, on an icon with a soft shadow
constexpr double kPageShadowShare = 0.8;  // the same, on a light page with a faint shadow
constexpr double kSoftShadowShare = 0.2;  // the same, with soft fades
constexpr double kCornerShare = 0.05;     // of a light page icon's opaque pixels: its folded corner
constexpr ArgbValue kWhite = 0xFFFFFFFFu;
constexpr ArgbValue kInk = 0xFF202020u;
constexpr ArgbValue kClear = 0x00FFFFFFu;
constexpr ArgbValue kPaleBox = 0xFF9A9996u;  // 26 levels off mid grey at most
constexpr ArgbValue kStrayGrey = 0xFFF0F0F0u;  // 15 levels off white

const std::vector<TruthCase>& Cases()
{
    static const std::vector<TruthCase> cases = RealCases();
    return cases;
}

TruthMeasures Keyed(const TruthCase& c, std::uint32_t tolerance, bool softShadows)
{
    std::vector<ArgbValue> keyed;
    EXPECT_TRUE(KeyedImage(c, TruthOptions(c, tolerance, true, softShadows), keyed));
    return MeasureTruth(c, keyed, true);
}

std::size_t FillHalo(const TruthCase& c, std::uint32_t tolerance)
{
    return MeasureTruth(c, PlainFloodFill(c, tolerance), true).halo;
}

bool NamedOneOf(const TruthCase& c, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char* name) { return c.name.rfind(name, 0) == 0; });
}

// Expects each case named one of names to leave, with clean edges (and soft fades if asked),
// at most share of the plain flood fill's halo; returns how many cases it measured.
std::size_t ExpectShareOfFillHalo(std::initializer_list<const char*> names, double share, bool softShadows = false)
{
    std::size_t measured = 0;
    for (const TruthCase& c : Cases()) {
        if (!NamedOneOf(c, names))
            continue;
        SCOPED_TRACE(c.name);
        EXPECT_LE(double(Keyed(c, kTolerance, softShadows).halo), share * double(FillHalo(c, kTolerance)));
        ++measured;
    }
    return measured;
}

std::uint32_t StartingToleranceOf(const TruthCase& c)
{
    const PixelRows rows{const_cast<ArgbValue*>(c.input.data()), static_cast<std::ptrdiff_t>(c.size.width * sizeof(ArgbValue))};
    const ImagePoint start = c.starts.front();
    return StartingTolerance(rows, c.size, c.key, start.x, start.y, c.saved);
}

// A picture of one colour to draw in, as the colour work takes it.
struct Canvas {
    ImageSize size;
    std::vector<ArgbValue> pixels;

    Canvas(std::uint32_t width, std::uint32_t height) : size{width, height}, pixels(std::size_t{width} * height, kWhite) {}
    ArgbValue& At(std::uint32_t x, std::uint32_t y) { return pixels[std::size_t{y} * size.width + x]; }
    ArgbValue At(std::uint32_t x, std::uint32_t y) const { return pixels[std::size_t{y} * size.width + x]; }
    PixelRows Rows() { return PixelRows{pixels.data(), static_cast<std::ptrdiff_t>(size.width * sizeof(ArgbValue))}; }

    // The picture with the colour work's result put in.
    Canvas Keyed(const ColourKeyOptions& options)
    {
        ColourKeyResult result;
        EXPECT_TRUE(MakeColourTransparent(Rows(), size, options, result));
        Canvas out = *this;
        const ImageRect& r = result.changed;
        for (std::uint32_t y = 0; y < r.height; ++y)
            std::copy_n(result.pixels.data() + std::size_t{y} * r.width, r.width, &out.At(r.x, r.y + y));
        return out;
    }
};

ColourKeyOptions WhiteFrom(const Canvas& canvas, std::uint32_t x, std::uint32_t y)
{
    ColourKeyOptions options;
    options.key = kWhite;
    options.area = WholeOf(canvas.size);
    options.startX = x;
    options.startY = y;
    return options;
}

// The picture keyed with soft fades from its top-left corner, on white.
Canvas KeyedWithSoftFades(Canvas& canvas)
{
    ColourKeyOptions options = WhiteFrom(canvas, 0, 0);
    options.softShadows = true;
    return canvas.Keyed(options);
}

// How many pixels of the rectangle [left, right) × [top, bottom), farther than 3 pixels in from
// its sides, are not colour.
std::size_t OffColourInside(const Canvas& canvas, std::uint32_t left, std::uint32_t top, std::uint32_t right,
                            std::uint32_t bottom, ArgbValue colour)
{
    std::size_t off = 0;
    for (std::uint32_t y = top + 3; y < bottom - 3; ++y) {
        for (std::uint32_t x = left + 3; x < right - 3; ++x)
            off += canvas.At(x, y) != colour;
    }
    return off;
}

// How many opaque pixels farther than three from the subject's edge change when the case is
// made transparent with soft fades and options (the tolerance and starts; as the dialog opens
// when none are given).
std::size_t FarInsideWithSoftFades(const TruthCase& c, ColourKeyOptions options)
{
    options.softShadows = true;
    std::vector<ArgbValue> keyed;
    EXPECT_TRUE(KeyedImage(c, options, keyed));
    return MeasureTruth(c, keyed, true).farInsideChanged;
}

std::size_t FarInsideWithSoftFades(const TruthCase& c)
{
    return FarInsideWithSoftFades(c, OpeningOptions(c, true, true));
}

// How many pixels of the case's truth are opaque.
double OpaquePixels(const TruthCase& c)
{
    return double(std::count_if(c.truth.begin(), c.truth.end(), [](ArgbValue v) { return v >> 24 == 255; }));
}

// How many pixels of rect change when the case is made transparent with soft fades, as the
// dialog opens.
std::size_t ChangedWithSoftFades(const TruthCase& c, const ImageRect& rect)
{
    std::vector<ArgbValue> keyed;
    EXPECT_TRUE(KeyedImage(c, OpeningOptions(c, true, true), keyed));
    std::size_t changed = 0;
    for (std::uint32_t y = rect.y; y < rect.y + rect.height; ++y) {
        for (std::uint32_t x = rect.x; x < rect.x + rect.width; ++x) {
            const std::size_t at = std::size_t{y} * c.size.width + x;
            changed += keyed[at] != c.input[at];
        }
    }
    return changed;
}

// A box of one colour over white with a soft black drop shadow, offset right and down and
// blurred (a Gaussian's sigma, in pixels).
struct ShadowedBox {
    std::uint32_t left, top, right, bottom;
    double offset, blur, alpha;
    ArgbValue shade = kOpaqueBlack;

    double ShadowAlpha(std::uint32_t x, std::uint32_t y) const
    {
        const auto covered = [this](double at, double from, double to) {
            const double scale = blur * std::sqrt(2.0);
            return 0.5 * (std::erf((at + 0.5 - from) / scale) - std::erf((at + 0.5 - to) / scale));
        };
        return alpha * covered(x, left + offset, right + offset) * covered(y, top + offset, bottom + offset);
    }
    // True when (x, y) lies in the box grown by grow pixels on every side.
    bool Covers(std::uint32_t x, std::uint32_t y, std::uint32_t grow) const
    {
        return x + grow >= left && x < right + grow && y + grow >= top && y < bottom + grow;
    }
    Canvas Drawn(std::uint32_t width, std::uint32_t height, ArgbValue colour) const
    {
        Canvas canvas(width, height);
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = 0; x < width; ++x) {
                const double a = ShadowAlpha(x, y);
                ArgbValue shaded = kOpaqueBlack;
                for (const int shift : {16, 8, 0})
                    shaded |= static_cast<ArgbValue>(255 * (1 - a) + ChannelOf(shade, shift) * a + 0.5) << shift;
                canvas.At(x, y) = Covers(x, y, 0) ? colour : shaded;
            }
        }
        return canvas;
    }
    // How many pixels of the shadow beyond the tolerance, but those within skip of the box,
    // keyed lost more than 4 levels of alpha off the shadow's own.
    std::size_t ShadowOff(const Canvas& drawn, const Canvas& keyed, std::uint32_t skip) const
    {
        std::size_t off = 0;
        for (std::uint32_t y = 0; y < drawn.size.height; ++y) {
            for (std::uint32_t x = 0; x < drawn.size.width; ++x) {
                if (!Covers(x, y, skip) && ChannelDistance(drawn.At(x, y), kWhite) > kTolerance)
                    off += std::abs(double(keyed.At(x, y) >> 24) - 255 * ShadowAlpha(x, y)) > 4.0;
            }
        }
        return off;
    }
};

// The same for the square [from, to)².
std::size_t OffColourInside(const Canvas& canvas, std::uint32_t from, std::uint32_t to, ArgbValue colour)
{
    return OffColourInside(canvas, from, from, to, to, colour);
}

}  // namespace

// On every real cut-out, with clean edges and with soft fades: nothing deep inside the
// subject changes (a white belly inside an outline included), and no background is left.
TEST(RealKey, EveryCutoutKeepsItsInsideAndLeavesNoBackground)
{
    ASSERT_EQ(Cases().size(), 3 * CutoutFiles().size());
    for (const TruthCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        for (const bool soft : {false, true}) {
            const TruthMeasures m = Keyed(c, kTolerance, soft);
            EXPECT_EQ(m.farInsideChanged, 0u);
            EXPECT_EQ(m.backgroundAbove8, 0u);
        }
    }
}

// Drawn cut-outs with outlines and thin legs, on every key, and chalk strokes over green: at
// most a tenth of the plain flood fill's halo, with or without soft fades.
TEST(RealKey, DrawnCutoutsLeaveATenthOfTheFloodFillsHalo)
{
    for (const TruthCase& c : Cases()) {
        const bool chalkOnGreen = NamedOneOf(c, {"chalk_strokes"}) && c.key == kGreenKey;
        if (!NamedOneOf(c, {"penguin_icon", "penguin_outlined", "ladybird_legs"}) && !chalkOnGreen)
            continue;
        SCOPED_TRACE(c.name);
        const double goal = kHaloShareGoal * double(FillHalo(c, kTolerance));
        EXPECT_LE(double(Keyed(c, kTolerance, false).halo), goal);
        EXPECT_LE(double(Keyed(c, kTolerance, true).halo), goal);
    }
}

// The photographs cut out, on every key, with clean edges: at most four fifths of the halo the
// plain flood fill leaves. Their rim is lit lighter than their inside, which reads as a mix with
// a light key: taken out as such, it would be darker than the fill leaves it.
TEST(RealKey, PhotographsLeaveLessHaloThanTheFloodFill)
{
    EXPECT_EQ(ExpectShareOfFillHalo({"kiwi_photo", "ginger_photo"}, kPhotographShare), 6u);
}

// An icon with a soft drop shadow, with clean edges and without soft fades: the shadow's faint
// pixels next to the subject are a fainter part of the shadow, not a light mix of the subject,
// so they do not turn into a light rim. At most half the plain fill's halo on every key. With
// soft fades the shadow stays, its faintest pixels next to the subject, which the tolerance
// takes, included: at most a fifth. A light page with a faint shadow under it, darker a few
// pixels in than the look for the subject's colour reaches from the shadow's faint edge: at
// most four fifths, over white too, where the page is nearly the key.
TEST(RealKey, AFaintShadowDoesNotTurnIntoALightRim)
{
    EXPECT_EQ(ExpectShareOfFillHalo({"folder_shadow"}, kShadowShare), 3u);
    EXPECT_EQ(ExpectShareOfFillHalo({"folder_shadow"}, kSoftShadowShare, true), 3u);

    TruthLayer layer;
    ASSERT_TRUE(LoadCutout("page_light.png", layer));
    for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey}) {
        const TruthCase c = Flattened(layer, key);
        SCOPED_TRACE(c.name);
        EXPECT_LE(double(Keyed(c, kTolerance, false).halo), kPageShadowShare * double(FillHalo(c, kTolerance)));
    }
}

// A glow with no opaque pixel, over grey and green, stays a glow with soft fades as the dialog
// opens on it: a tenth of the flood fill's halo. Its aliased rays and the grain of its faint
// tail are no noise, so it is not taken for a JPEG. (Over white its white core cannot be
// told from the key.)
TEST(RealKey, AGlowStaysAGlowWithSoftFades)
{
    for (const TruthCase& c : Cases()) {
        if (!NamedOneOf(c, {"sun_glow"}) || c.key == kWhiteKey)
            continue;
        SCOPED_TRACE(c.name);
        const ColourKeyOptions options = OpeningOptions(c, true, true);
        std::vector<ArgbValue> keyed;
        ASSERT_TRUE(KeyedImage(c, options, keyed));
        EXPECT_LE(double(MeasureTruth(c, keyed, true).halo), kHaloShareGoal * double(FillHalo(c, options.tolerance)));
    }
}

// The real JPEGs at the tolerance their noise starts at: above the clean 8, the inside
// untouched, at most seven tenths of the plain flood fill's halo, and no background left above
// alpha 8, the JPEG's ringing and colour bleed next to the subject included.
TEST(RealKey, JpegsAtTheirStartingToleranceBeatTheFloodFill)
{
    const std::vector<TruthCase> jpegs = RealJpegCases();
    ASSERT_EQ(jpegs.size(), 4u);
    for (const TruthCase& c : jpegs) {
        SCOPED_TRACE(c.name);
        const std::uint32_t tolerance = StartingToleranceOf(c);
        EXPECT_GT(tolerance, kDefaultTolerance);
        EXPECT_LE(tolerance, kLargestStartingTolerance);
        const TruthMeasures m = Keyed(c, tolerance, false);
        const TruthMeasures fill = MeasureTruth(c, PlainFloodFill(c, tolerance), true);
        EXPECT_EQ(m.farInsideChanged, 0u);
        EXPECT_LE(double(m.halo), kJpegHaloShare * double(fill.halo));
        EXPECT_EQ(m.backgroundAbove8, 0u);
    }
}

// JPEGs that ring and bleed next to the subject though they look clean: an icon over white
// is nearly clean away from the subject, so its starting tolerance is low (above 8, at most
// 16), yet the dialog takes the picture as noisy; over green, a 4:2:0 JPEG smears the legs'
// colour into the key, whose luma is the legs' own. Neither leaves background above alpha 8
// with the options the dialog opens with, at quality 90 or 75.
TEST(RealKey, JpegsThatRingNextToTheSubjectLeaveNoBackground)
{
    std::size_t measured = 0;
    for (const TruthCase& c : Cases()) {
        const bool iconOverWhite = NamedOneOf(c, {"folder_shadow"}) && c.key == kWhiteKey;
        const bool legsOverGreen = NamedOneOf(c, {"ladybird_legs"}) && c.key == kGreenKey;
        if (!iconOverWhite && !legsOverGreen)
            continue;
        for (const int quality : {90, 75}) {
            const TruthCase jpeg = WithDecodedInside(AsJpeg(c, quality, true));
            SCOPED_TRACE(jpeg.name);
            const ColourKeyOptions options = OpeningOptions(jpeg, true, false);
            EXPECT_TRUE(options.noisyPicture);
            std::vector<ArgbValue> keyed;
            ASSERT_TRUE(KeyedImage(jpeg, options, keyed));
            EXPECT_EQ(MeasureTruth(jpeg, keyed, true).backgroundAbove8, 0u);
            ++measured;
        }
    }
    EXPECT_EQ(measured, 4u);
}

// A light page as a JPEG over white: its noise asks for a tolerance past the page's thin rim,
// yet the page is a patch of one colour off the key's luma, which a JPEG's background is not,
// and the background stops at it (before, about 114,000 of its pixels far inside went, with
// soft fades too). Nor is the page, a body off the key's luma all over, measured as the
// background's noise, which started the tolerance past it (before, 1,885 and 3,189 pixels far
// inside went with clean edges, 11,553 and 15,325 with soft fades; a newspaper's page lost
// 27,099 and 36,669 at quality 90). Nor is faint text on a page, nor its ruled lines, though they
// lie nearer white than 32 levels: their luma lies farther off (before, a page of ruled text lost
// 33,861 and 35,317 pixels, 36,799 and 36,840 with soft fades). Nor need a pale body be flat:
// a card shaded from white to light grey, without an outline, lies off the background's luma
// all over and to one side, as the background's noise does not (before, 16,440 and 15,601 of
// its pixels went with clean edges; its lightest part, within the noise of white, still goes).
TEST(RealKey, AJpegsBackgroundStopsAtALightPage)
{
    struct Page {
        const char* file;
        std::size_t mostFarInside, mostWithSoftFades;
        bool softFadesToo = true;
    };
    for (const Page& picture : {Page{"page_font_sample.png", 0, 2500}, Page{"newspaper_light.png", 0, 0},
                               Page{"page_ruled_text.png", 0, 0}, Page{"card_light.png", 7000, 0, false}}) {
        TruthLayer page;
        ASSERT_TRUE(LoadCutout(picture.file, page));
        for (const int quality : {90, 75}) {
            const TruthCase jpeg = WithDecodedInside(AsJpeg(Flattened(page, kWhiteKey), quality, true));
            for (const bool softFades : {false, true}) {
                if (softFades && !picture.softFadesToo)
                    continue;
                SCOPED_TRACE(jpeg.name + (softFades ? ", soft fades" : ""));
                std::vector<ArgbValue> keyed;
                ASSERT_TRUE(KeyedImage(jpeg, OpeningOptions(jpeg, true, softFades), keyed));
                const TruthMeasures measures = MeasureTruth(jpeg, keyed, true);
                EXPECT_LE(measures.farInsideChanged, softFades ? picture.mostWithSoftFades : picture.mostFarInside);
                EXPECT_EQ(measures.backgroundAbove8, 0u);
            }
        }
    }
}

// A click on a speck of a JPEG's noise picks a key a few levels of luma off the background's
// flat colour; the background is still taken whole, a flat patch of it being no pale patch
// (when measured from the key, 63,038 of its pixels stayed above alpha 8).
TEST(RealKey, AClickOnAJpegsNoiseStillTakesTheBackground)
{
    TruthLayer penguin;
    ASSERT_TRUE(LoadCutout("penguin_outlined.png", penguin));
    const TruthCase jpeg = WithDecodedInside(AsJpeg(Flattened(penguin, kWhiteKey), 75, true));
    const ColourKeyOptions atCorner = OpeningOptions(jpeg, true, false);
    std::vector<ArgbValue> keyed;
    ASSERT_TRUE(KeyedImage(jpeg, atCorner, keyed));
    const TruthMeasures corner = MeasureTruth(jpeg, keyed, true);
    std::uint32_t x = 0;
    while (x < jpeg.size.width && std::abs(LumaOf(jpeg.input[x]) - LumaOf(kOpaqueWhite)) < 4.0)
        ++x;
    ASSERT_LT(x, jpeg.size.width);
    ColourKeyOptions atSpeck = atCorner;
    atSpeck.key = jpeg.input[x];
    atSpeck.startX = x;
    ASSERT_TRUE(KeyedImage(jpeg, atSpeck, keyed));
    const TruthMeasures speck = MeasureTruth(jpeg, keyed, true);
    EXPECT_EQ(speck.backgroundAbove8, 0u);
    EXPECT_LE(speck.halo, corner.halo + corner.halo / 10);
}

// The starting tolerance: 8 for a clean picture, whatever the key: pale subjects, chalk's
// grain, a glow's aliased rays and a subject of nearly the key's colour with a hard edge
// included; more for the same picture as a JPEG, the more the lower its quality.
TEST(RealKey, StartingToleranceFollowsTheNoise)
{
    // The glow's faint tail too, whose grain over green stands out by 3 levels: it is a few
    // stray pixels (were the picture a JPEG, they would start it at 9).
    for (const TruthCase& c : Cases())
        EXPECT_EQ(StartingToleranceOf(c), kDefaultTolerance) << c.name;
    const TruthCase logo = DrawTruthCase(TruthScene::kLogo, kWhiteKey);
    EXPECT_EQ(StartingToleranceOf(logo), kDefaultTolerance);
    // A pale subject's own edge is no noise: the light grey disc beside the shadow, and a box
    // 26 levels lighter than a grey background, its edge one step.
    EXPECT_EQ(StartingToleranceOf(DrawTruthCase(TruthScene::kShadow, kWhiteKey)), kDefaultTolerance);
    Canvas box(200, 200);
    std::fill(box.pixels.begin(), box.pixels.end(), 0xFF000000u | kGreyKey);
    for (std::uint32_t y = 50; y < 150; ++y)
        std::fill_n(&box.At(40, y), 120, kPaleBox);
    EXPECT_EQ(StartingTolerance(box.Rows(), box.size, kGreyKey, 0, 0, PictureSaved::Lossless), kDefaultTolerance);
    // Nor is a light frame's rim, one pixel 17 levels off white around a body of 11: the body is
    // a flat patch, which a clean background never holds off the key (before, 30).
    TruthLayer frame;
    ASSERT_TRUE(LoadCutout("picture_frame_light.png", frame));
    EXPECT_EQ(StartingToleranceOf(Flattened(frame, kWhiteKey)), kDefaultTolerance);
    // Nor, in a picture saved without loss, are a few hundred stray pixels: the grain of a
    // newspaper's shadow where it fades out (before, 42, and the light page went with the
    // background). Had the picture come from a JPEG, they would be the noise of it.
    TruthLayer newspaper;
    ASSERT_TRUE(LoadCutout("newspaper_light.png", newspaper));
    TruthCase page = Flattened(newspaper, kWhiteKey);
    EXPECT_EQ(StartingToleranceOf(page), kDefaultTolerance);
    std::vector<ArgbValue> keyed;
    ASSERT_TRUE(KeyedImage(page, OpeningOptions(page, true, false), keyed));
    EXPECT_EQ(0u, MeasureTruth(page, keyed, true).farInsideChanged);
    // Had a picture with a few dozen stray pixels come from a JPEG, they would be its noise.
    Canvas strays(200, 200);
    for (std::uint32_t i = 0; i < 40; ++i)
        strays.At(10 + 4 * i, 20 + 3 * i) = kStrayGrey;
    EXPECT_EQ(StartingTolerance(strays.Rows(), strays.size, kWhiteKey, 0, 0, PictureSaved::Lossless),
              kDefaultTolerance);
    EXPECT_GT(StartingTolerance(strays.Rows(), strays.size, kWhiteKey, 0, 0, PictureSaved::Lossy),
              kLeastLossyTolerance);
    // A JPEG whose background is quiet away from its subject still rings next to it: a light
    // page's page is no noise (before, it started the tolerance at 18), and the JPEG opens at
    // the least a JPEG does.
    TruthLayer pageSample;
    ASSERT_TRUE(LoadCutout("page_font_sample.png", pageSample));
    EXPECT_EQ(StartingToleranceOf(AsJpeg(Flattened(pageSample, kWhiteKey), 90, true)), kLeastLossyTolerance);
    const std::uint32_t high = StartingToleranceOf(AsJpeg(logo, 90, true));
    const std::uint32_t low = StartingToleranceOf(AsJpeg(logo, 75, true));
    EXPECT_GT(high, kDefaultTolerance);
    EXPECT_GT(low, high);
    EXPECT_LE(low, kLargestStartingTolerance);
    // A JPEG's start in a corner the subject cuts off, too small to show the noise, measures it
    // on the rest of the background (before, 8, and the specks of its ringing stayed).
    TruthCase corner = logo;
    constexpr std::uint32_t kCorner = 12;
    for (std::uint32_t i = 0; i <= kCorner; ++i)
        corner.input[kCorner * logo.size.width + i] = corner.input[i * logo.size.width + kCorner] = kInk;
    corner.starts = {ImagePoint{2, 2}};
    EXPECT_GT(StartingToleranceOf(AsJpeg(corner, 90, true)), kDefaultTolerance);
    // Outside the image there is nothing to measure.
    const PixelRows rows{const_cast<ArgbValue*>(logo.input.data()), static_cast<std::ptrdiff_t>(logo.size.width * 4)};
    EXPECT_EQ(StartingTolerance(rows, logo.size, logo.key, logo.size.width, 0, PictureSaved::Lossy), kDefaultTolerance);
}

// A background the subject cuts in three: one start clears its own part only; more starts
// add the others; a start inside a part already taken adds nothing; the key stays the first
// start's.
TEST(RealKey, ABackgroundInThreePartsIsTakenPartByPart)
{
    Canvas canvas(90, 30);
    for (std::uint32_t y = 0; y < canvas.size.height; ++y)
        canvas.At(29, y) = canvas.At(60, y) = kInk;
    ColourKeyOptions options = WhiteFrom(canvas, 5, 5);
    const Canvas one = canvas.Keyed(options);
    EXPECT_EQ(one.pixels[5], kClear);
    EXPECT_EQ(one.pixels[45], kWhite);
    EXPECT_EQ(one.pixels[80], kWhite);

    options.moreStarts = {ImagePoint{45, 10}, ImagePoint{80, 20}};
    const Canvas all = canvas.Keyed(options);
    for (const std::uint32_t x : {5u, 45u, 80u})
        EXPECT_EQ(all.pixels[x], kClear) << x;
    EXPECT_EQ(all.pixels[29], kInk);

    // The caller can tell that a point lies in a part already taken, and it adds nothing.
    ColourKeyResult oneResult;
    ColourKeyOptions first = WhiteFrom(canvas, 5, 5);
    ASSERT_TRUE(MakeColourTransparent(canvas.Rows(), canvas.size, first, oneResult));
    EXPECT_TRUE(InClearedBackground(oneResult, canvas.Rows(), first, 10, 25));
    EXPECT_FALSE(InClearedBackground(oneResult, canvas.Rows(), first, 45, 10));
    EXPECT_FALSE(InClearedBackground(oneResult, canvas.Rows(), first, 29, 10));
    options.moreStarts.push_back(ImagePoint{10, 25});
    EXPECT_EQ(canvas.Keyed(options).pixels, all.pixels);
    // A start on the subject or outside the image adds nothing either.
    options.moreStarts = {ImagePoint{60, 3}, ImagePoint{500, 500}};
    EXPECT_EQ(canvas.Keyed(options).pixels, one.pixels);
}

// With soft fades a grey fade around a subject drawn with a dark outline becomes
// semi-transparent, and stops at the outline: the white inside stays opaque white.
TEST(RealKey, ASoftFadeStopsAtTheOutline)
{
    constexpr std::uint32_t kSize = 120, kCentre = 60, kRing = 30, kInkWidth = 3, kFade = 40;
    Canvas canvas(kSize, kSize);
    for (std::uint32_t y = 0; y < kSize; ++y) {
        for (std::uint32_t x = 0; x < kSize; ++x) {
            const double r = std::hypot(double(x) - kCentre, double(y) - kCentre);
            if (r >= kRing && r < kRing + kInkWidth)
                canvas.At(x, y) = kInk;
            else if (r >= kRing + kInkWidth && r < kRing + kInkWidth + kFade) {
                // A fade from a quarter black at the outline to nothing.
                const auto level = static_cast<ArgbValue>(255 - 64 * (1 - (r - kRing - kInkWidth) / kFade));
                canvas.At(x, y) = 0xFF000000u | level << 16 | level << 8 | level;
            }
        }
    }
    ColourKeyOptions options = WhiteFrom(canvas, 0, 0);
    options.softShadows = true;
    const Canvas keyed = canvas.Keyed(options);
    EXPECT_EQ(keyed.At(kCentre, kCentre), kWhite);
    EXPECT_EQ(keyed.At(kCentre + kRing - 5, kCentre), kWhite);
    EXPECT_EQ(keyed.At(kCentre + kRing + 1, kCentre), kInk);
    // Halfway down the fade: black, about an eighth opaque.
    const ArgbValue half = keyed.At(kCentre + kRing + kInkWidth + kFade / 2, kCentre);
    EXPECT_LE(half & 0x00FFFFFFu, 0x00101010u);
    EXPECT_NEAR(double(half >> 24), 32.0, 6.0);

    options.softShadows = false;
    EXPECT_EQ(canvas.Keyed(options).At(kCentre + kRing + kInkWidth + kFade / 2, kCentre) >> 24, 255u);
}

// A fade grows more opaque away from the background: a light subject without an outline whose
// colour nears the key inwards, as an icon's body shaded towards white, is no fade, and soft
// fades leave all but its rim as it was. A drop shadow with a wide band of one alpha beside
// its subject stays a fade all through, as does a glow so wide that its levels step once
// every few pixels.
TEST(RealKey, ASoftFadeGrowsMoreOpaqueAwayFromTheBackground)
{
    constexpr std::uint32_t kSize = 200, kCentre = 100, kRadius = 60;
    const auto grey = [](double level) {
        const auto value = static_cast<ArgbValue>(level + 0.5);
        return 0xFF000000u | value << 16 | value << 8 | value;
    };
    // The picture of level(x, y) over white, and what soft fades make of it.
    const auto keyed = [&](auto level) {
        Canvas canvas(kSize, kSize);
        for (std::uint32_t y = 0; y < kSize; ++y) {
            for (std::uint32_t x = 0; x < kSize; ++x)
                canvas.At(x, y) = grey(level(x, y));
        }
        ColourKeyOptions options = WhiteFrom(canvas, 0, 0);
        options.softShadows = true;
        return std::make_pair(canvas, canvas.Keyed(options));
    };
    // A disc shaded from 20 levels off white at its rim to 5 at its centre.
    const auto shaded = keyed([&](std::uint32_t x, std::uint32_t y) {
        const double r = std::hypot(double(x) - kCentre, double(y) - kCentre);
        return r < kRadius ? 235 + 15 * (1 - r / kRadius) : 255;
    });
    std::size_t changed = 0;
    for (std::uint32_t y = 0; y < kSize; ++y) {
        for (std::uint32_t x = 0; x < kSize; ++x)
            changed += std::hypot(double(x) - kCentre, double(y) - kCentre) < kRadius / 2 &&
                       shaded.second.At(x, y) != shaded.first.At(x, y);
    }
    EXPECT_EQ(changed, 0u);
    // A black box whose shadow, a quarter black, lies 30 pixels down and right with an edge 4
    // pixels soft: the band of one alpha between them is 22 pixels wide.
    constexpr double kBox = 40, kBoxEnd = 120, kOffset = 30, kSoft = 4;
    const auto cover = [](double v, double from, double to) {
        return std::clamp((v - from) / kSoft + 0.5, 0.0, 1.0) * std::clamp((to - v) / kSoft + 0.5, 0.0, 1.0);
    };
    const auto dropped = keyed([&](std::uint32_t x, std::uint32_t y) {
        if (x >= kBox && x < kBoxEnd && y >= kBox && y < kBoxEnd)
            return 0.0;
        return 255 * (1 - 0.25 * cover(x, kBox + kOffset, kBoxEnd + kOffset) * cover(y, kBox + kOffset, kBoxEnd + kOffset));
    });
    const ArgbValue band = dropped.second.At(static_cast<std::uint32_t>(kBoxEnd + kOffset / 2), static_cast<std::uint32_t>(kBoxEnd - 10));
    EXPECT_NEAR(double(band >> 24), 64.0, 2.0);
    EXPECT_LE(band & kColourBits, 0x00020202u);

    // A yellow glow 300 pixels wide, a sixth opaque at its middle: its blue steps a level once
    // every eight pixels or so, and every pixel of it beyond the tolerance stays a fade.
    constexpr std::uint32_t kWide = 600, kMiddle = 300;
    Canvas glow(kWide, kWide);
    for (std::uint32_t y = 0; y < kWide; ++y) {
        for (std::uint32_t x = 0; x < kWide; ++x) {
            const double r = std::hypot(double(x) - kMiddle, double(y) - kMiddle) / kMiddle;
            const auto blue = static_cast<ArgbValue>(255 - 255 * std::max(0.0, 1 - r) / 6 + 0.5);
            glow.At(x, y) = 0xFFFFFF00u | blue;
        }
    }
    ColourKeyOptions options = WhiteFrom(glow, 0, 0);
    options.softShadows = true;
    const Canvas glowKeyed = glow.Keyed(options);
    std::size_t opaque = 0;
    for (std::uint32_t y = 0; y < kWide; ++y) {
        for (std::uint32_t x = 0; x < kWide; ++x)
            opaque += (glow.At(x, y) & 0xFFu) < 255 - kTolerance && glowKeyed.At(x, y) >> 24 == 255;
    }
    EXPECT_EQ(opaque, 0u);
}

// A picture in a light frame without an outline, about ten levels off white inside a rim of 17,
// with a faint shadow around it: over white a fade came up the shadow, crossed the rim and went
// on into the frame a few levels fainter (before, 2,341 pixels far inside went). No pixel more
// than three in from the edge changes with soft fades, over any key.
TEST(RealKey, AFrameFainterInwardsThanItsRimIsNoFade)
{
    TruthLayer layer;
    ASSERT_TRUE(LoadCutout("picture_frame_light.png", layer));
    for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey}) {
        const TruthCase c = Flattened(layer, key);
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FarInsideWithSoftFades(c, TruthOptions(c, kTolerance, true, true)), 0u);
    }
}

// Soft fades leave a light subject without an outline opaque. One rises from the background in
// a pixel or two: a page about ten levels off white (the real icon, all but its folded corner,
// which is shaded towards the key; before, 97% of its inside went), and a drawn light box with
// a hard edge. One beside its own soft drop shadow has a colour of its own, off the shadow's:
// a beige body, entered through the mixes of its sides or, on its diagonal, next to the
// shadow's own pixels. A hard-edged band of the key darkened, under a dark bar, is a shadow
// beside its subject and stays a fade, as the beige body's shadow does.
TEST(RealKey, ALightSubjectBesideTheBackgroundIsNoFade)
{
    TruthLayer layer;
    ASSERT_TRUE(LoadCutout("page_light.png", layer));
    for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey}) {
        const TruthCase c = Flattened(layer, key);
        SCOPED_TRACE(c.name);
        EXPECT_LE(double(FarInsideWithSoftFades(c)), kCornerShare * OpaquePixels(c));
    }

    constexpr ArgbValue kLightBox = 0xFFF0F0F0u, kBar = 0xFF282828u, kShadowBand = 0xFFE5E5E5u;
    constexpr std::uint32_t kBoxFrom = 20, kBoxTo = 100, kBarLeft = 120, kBarRight = 180, kBarTop = 30,
                            kBarBottom = 60, kBandBottom = 66;
    Canvas canvas(200, 120);
    for (std::uint32_t y = kBoxFrom; y < kBoxTo; ++y) {
        for (std::uint32_t x = kBoxFrom; x < kBoxTo; ++x)
            canvas.At(x, y) = kLightBox;
    }
    for (std::uint32_t y = kBarTop; y < kBandBottom; ++y) {
        for (std::uint32_t x = kBarLeft; x < kBarRight; ++x)
            canvas.At(x, y) = y < kBarBottom ? kBar : kShadowBand;
    }
    const Canvas keyed = KeyedWithSoftFades(canvas);
    EXPECT_EQ(OffColourInside(keyed, kBoxFrom, kBoxTo, kLightBox), 0u);
    // A tenth black: 26 levels of alpha.
    const ArgbValue band = keyed.At((kBarLeft + kBarRight) / 2, kBandBottom - 3);
    EXPECT_NEAR(double(band >> 24), 26.0, 2.0);
    EXPECT_LE(band & kColourBits, 0x00020202u);

    // A beige body whose shadow, a fifth black at the body, fades out over 6 pixels around it:
    // its left and top sides a half mix of the two, its lower right side a diagonal, where the
    // body's own pixels touch the shadow's between the mixes.
    constexpr ArgbValue kBeige = 0xFFDED4CAu;
    constexpr std::uint32_t kSide = 200, kFrom = 40, kShadowWidth = 6, kSamples = 4;
    constexpr double kDiagonal = 200.0;  // the body is x + y < kDiagonal
    const auto over = [](ArgbValue colour, double alpha, ArgbValue below) {
        ArgbValue mixed = kOpaqueBlack;
        for (const int shift : {16, 8, 0}) {
            const double level = alpha * ((colour >> shift) & 0xFFu) + (1 - alpha) * ((below >> shift) & 0xFFu);
            mixed |= static_cast<ArgbValue>(level + 0.5) << shift;
        }
        return mixed;
    };
    Canvas shaded(kSide, kSide);
    for (std::uint32_t y = 0; y < kSide; ++y) {
        for (std::uint32_t x = 0; x < kSide; ++x) {
            const double cx = x + 0.5, cy = y + 0.5;
            const double away = std::max({kFrom - cx, kFrom - cy, (cx + cy - kDiagonal) / std::sqrt(2.0), 0.0});
            const ArgbValue shadow = over(kOpaqueBlack, 0.2 * std::max(0.0, 1.0 - away / kShadowWidth), kWhite);
            double cover = 0;
            for (std::uint32_t j = 0; j < kSamples; ++j) {
                for (std::uint32_t i = 0; i < kSamples; ++i)
                    cover += x >= kFrom && y >= kFrom && x + y + (i + j + 1.0) / kSamples < kDiagonal;
            }
            cover /= kSamples * kSamples;
            const bool side = (x == kFrom || y == kFrom) && cover > 0;
            shaded.At(x, y) = over(kBeige, side ? 0.5 : cover, shadow);
        }
    }
    const Canvas beigeKeyed = KeyedWithSoftFades(shaded);
    EXPECT_EQ(OffColourInside(beigeKeyed, kFrom + 7, 98, kBeige), 0u);
    const ArgbValue shadow = beigeKeyed.At(kFrom - 2, 70);
    EXPECT_NEAR(double(shadow >> 24), 0.2 * (1.0 - 1.5 / kShadowWidth) * 255, 3.0);
    EXPECT_LE(shadow & kColourBits, 0x00020202u);
}

// A light body whose own faint shadow rises smoothly into its colour on one side, as a server
// icon's does, is entered there by no fade: it rises sharply from the background elsewhere, and
// a fade that reaches a patch of its colour there stops at the whole of it (before, the whole
// of the server's upper body went over white, and all of the drawn one). But a soft
// shadow is a staircase of bands a level or two apart, and the band of the body's colour that
// meets the body's side is no body: the shadow around it stays a fade.
TEST(RealKey, ALightBodyAFadeLeadsIntoStaysOpaque)
{
    // The server's upper body, one grey 33 levels off white, reached on its left by the ramp of
    // its faint shadow. (Its lower body is shaded in bands, as a shadow is: see below.)
    constexpr ImageRect kUpperBody{60, 60, 390, 190};
    TruthLayer layer;
    ASSERT_TRUE(LoadCutout("server_grey.png", layer));
    for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey}) {
        const TruthCase c = Flattened(layer, key);
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChangedWithSoftFades(c, kUpperBody), 0u);
    }

    // A grey body, its left side reached by a ramp from white over 12 pixels.
    constexpr ArgbValue kGrey = 0xFFDEDEDEu;
    constexpr std::uint32_t kLeft = 40, kTop = 30, kRight = 170, kBottom = 110, kRamp = 12;
    Canvas ramped(200, 140);
    for (std::uint32_t y = kTop; y < kBottom; ++y) {
        for (std::uint32_t x = kLeft - kRamp; x < kRight; ++x) {
            const std::uint32_t level = x < kLeft ? 0xFF - (0xFF - 0xDE) * (x - (kLeft - kRamp) + 1) / (kRamp + 1) : 0xDE;
            ramped.At(x, y) = kOpaqueBlack | level << 16 | level << 8 | level;
        }
    }
    EXPECT_EQ(OffColourInside(KeyedWithSoftFades(ramped), kLeft, kTop, kRight, kBottom, kGrey), 0u);

    // A lighter grey box with a soft drop shadow, half black, 12 pixels off and blurred by 10:
    // its shade is that grey where it meets the box's lower and right sides.
    constexpr ArgbValue kLightGrey = 0xFFE0E0E0u;
    const ShadowedBox shadowed{40, 40, 240, 160, 12, 10, 0.5};
    Canvas boxed = shadowed.Drawn(320, 240, kLightGrey);
    const Canvas boxKeyed = KeyedWithSoftFades(boxed);
    EXPECT_EQ(OffColourInside(boxKeyed, shadowed.left, shadowed.top, shadowed.right, shadowed.bottom, kLightGrey), 0u);
    // Every pixel of the shadow beyond the tolerance, but those next to the box, keeps its alpha.
    EXPECT_EQ(shadowed.ShadowOff(boxed, boxKeyed, 1), 0u);
}

// A soft drop shadow is a fade up to its subject: its pixels right beside a blue box, whose
// alpha jumps to the box's, are no mix of the box with the key but the shadow's own (before,
// they stayed an opaque grey line along the box, 233 pixels off).
TEST(RealKey, AShadowIsAFadeUpToASubjectOfAnotherColour)
{
    constexpr ArgbValue kBlue = 0xFF3366AAu;
    const ShadowedBox shadowed{40, 30, 200, 110, 8, 3, 0.5};
    Canvas canvas = shadowed.Drawn(240, 150, kBlue);
    const Canvas keyed = KeyedWithSoftFades(canvas);
    EXPECT_EQ(shadowed.ShadowOff(canvas, keyed, 0), 0u);
    EXPECT_EQ(OffColourInside(keyed, shadowed.left, shadowed.top, shadowed.right, shadowed.bottom, kBlue), 0u);
}

// A fade that has stopped rising over a square wider than a shadow's flat part has entered a
// body. The server's lower panel, shaded across in bands a level apart and reached from below
// by its faint shadow's ramp, stays as it is, from end to end, between its slots and lights
// too (before, it went over white and grey, and then all but its flat middle did), and so
// does most of a light page as a JPEG; a shadow under a dark bar, flat over 32 pixels, stays a
// fade.
TEST(RealKey, ABodyAFadeStopsRisingInStaysOpaque)
{
    constexpr ImageRect kPanel{80, 290, 360, 80};
    TruthLayer layer;
    ASSERT_TRUE(LoadCutout("server_grey.png", layer));
    for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey}) {
        const TruthCase c = Flattened(layer, key);
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChangedWithSoftFades(c, kPanel), 0u);
    }

    // The page icon, about ten levels off white, as a JPEG: its noise breaks up every patch of
    // one colour, but not the squares (before, 84% of its opaque pixels went; its lines of text
    // still break up some squares).
    constexpr double kPageShare = 0.25;
    ASSERT_TRUE(LoadCutout("page_light.png", layer));
    const TruthCase page = WithDecodedInside(AsJpeg(Flattened(layer, kWhiteKey), 90, true));
    EXPECT_LE(double(FarInsideWithSoftFades(page)), kPageShare * OpaquePixels(page));

    // A tenth black, 26 levels of alpha, its flat part 32 pixels wide, fading out over 6 on its
    // three other sides.
    constexpr ArgbValue kBar = 0xFF282828u;
    constexpr std::uint32_t kLeft = 40, kRight = 200, kTop = 20, kBarBottom = 60, kFlatBottom = 92, kRamp = 6;
    Canvas canvas(240, 140);
    for (std::uint32_t y = kTop; y < kFlatBottom + kRamp; ++y) {
        for (std::uint32_t x = kLeft - kRamp; x < kRight + kRamp; ++x) {
            const std::uint32_t in = std::min({x - (kLeft - kRamp), kRight + kRamp - 1 - x, kFlatBottom + kRamp - 1 - y});
            const std::uint32_t level = in >= kRamp ? 0xE5 : 0xFF - (0xFF - 0xE5) * (in + 1) / (kRamp + 1);
            canvas.At(x, y) = y < kBarBottom ? kBar : kOpaqueBlack | level << 16 | level << 8 | level;
        }
    }
    const Canvas keyed = KeyedWithSoftFades(canvas);
    for (std::uint32_t y = kBarBottom + 1; y < kFlatBottom; ++y)
        EXPECT_NEAR(double(keyed.At((kLeft + kRight) / 2, y) >> 24), 26.0, 2.0);
}

// A fade rises from the background straight in. A sphere shaded towards white, whose faint
// shadow leads into it where it is lightest, was entered there and followed round inside its
// hard edge: that band of shading lies far round through the fade, though the background is a
// few pixels off in a straight line, so it is the sphere's (before, 28,472 pixels far inside
// went over white). Every shadow and glow above lies as far through the fade as straight in,
// and stays a fade.
TEST(RealKey, ABodyAFadeReachesOnlyFarRoundStaysOpaque)
{
    constexpr double kShare = 0.01;
    TruthLayer layer;
    ASSERT_TRUE(LoadCutout("camera_shaded.png", layer));
    for (const ArgbValue key : {kWhiteKey, kGreyKey, kGreenKey}) {
        const TruthCase c = Flattened(layer, key);
        SCOPED_TRACE(c.name);
        EXPECT_LE(double(FarInsideWithSoftFades(c, TruthOptions(c, kTolerance, true, true))), kShare * OpaquePixels(c));
    }
}

// A black shadow stays black. A grey printer a level or two warmer than grey, its drawers
// shaded in bands, was entered from its faint black shadow through the mixes along its edge,
// whose colours turn a level at a time (before, 10,949 pixels far inside went over grey). A
// shadow tinted maroon or dark green is no black one, and keeps its alpha as a black one does.
TEST(RealKey, AFadeFromABlackShadowGoesOnOnlyAsBlack)
{
    TruthLayer layer;
    ASSERT_TRUE(LoadCutout("printer_grey.png", layer));
    EXPECT_EQ(FarInsideWithSoftFades(Flattened(layer, kGreyKey)), 0u);

    constexpr ArgbValue kOrange = 0xFFE0A040u;
    for (const ArgbValue shade : {kOpaqueBlack, 0xFF300010u, 0xFF003000u}) {
        SCOPED_TRACE(shade);
        const ShadowedBox shadowed{40, 30, 200, 110, 8, 8, 0.5, shade};
        Canvas canvas = shadowed.Drawn(260, 160, kOrange);
        EXPECT_EQ(shadowed.ShadowOff(canvas, KeyedWithSoftFades(canvas), 1), 0u);
    }
}

// In a JPEG, soft fades leave light bodies opaque though its noise turns every pixel a little,
// and a body's edge next to its shadow is blurred into the shadow's colour, so that no pixel
// there tells the body apart. A patch of one colour is one within a JPEG's noise: the drawn
// shadow's light grey disc at quality 75 over white keeps its inside (before, 784 pixels went).
// And a shadow stays on its side of the key: a fade does not go on from it into a colour well
// on the other side of the key in some channel. A grey printer over green, its shadow right
// under it, keeps its inside (before, at quality 75, its whole body went through its bottom
// edge: 109,055 pixels far inside). Nor does a fade leave a black shadow for a colour off the
// key darkened, though the JPEG has blurred the body's colour into the shadow's last pixels: a
// green circuit board over green keeps its inside (before, at quality 90, 36,773 pixels went).
// Nor does it for a colour whose tint the noise hides pixel by pixel: a projector screen's
// grey roller, a few levels warm, over white keeps its inside but for a few specks (before,
// 24,283 pixels went at quality 90). Nor is a pale flap without an outline entered where the
// JPEG's ringing has spread its light edge over more pixels (before, 34,698 pixels of an open
// folder's flap went at quality 90).
TEST(RealKey, LightBodiesInAJpegStayOpaqueWithSoftFades)
{
    constexpr std::size_t kFewSpecks = 32;
    TruthLayer screen, folder;
    ASSERT_TRUE(LoadCutout("projector_screen.png", screen));
    ASSERT_TRUE(LoadCutout("folder_open_flap.png", folder));
    for (const int quality : {90, 75}) {
        SCOPED_TRACE(quality);
        EXPECT_LE(FarInsideWithSoftFades(WithDecodedInside(AsJpeg(Flattened(screen, kWhiteKey), quality, true))),
                  kFewSpecks);
        EXPECT_EQ(FarInsideWithSoftFades(WithDecodedInside(AsJpeg(Flattened(folder, kWhiteKey), quality, true))), 0u);
    }
    EXPECT_EQ(FarInsideWithSoftFades(WithDecodedInside(AsJpeg(DrawTruthCase(TruthScene::kShadow, kWhiteKey), 75, true))), 0u);
    for (const char* file : {"printer_grey.png", "circuit_board_green.png"}) {
        TruthLayer layer;
        ASSERT_TRUE(LoadCutout(file, layer));
        for (const int quality : {90, 75}) {
            SCOPED_TRACE(std::string(file) + " " + std::to_string(quality));
            EXPECT_EQ(FarInsideWithSoftFades(WithDecodedInside(AsJpeg(Flattened(layer, kGreenKey), quality, true))), 0u);
        }
    }
}
