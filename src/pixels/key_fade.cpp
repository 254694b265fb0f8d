#include "key_fade.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "pixel_result.h"
#include "reference_search.h"
#include "span_fill.h"

namespace {

constexpr int kLevels = 256;
constexpr int kChannelMax = 255;
constexpr int kFadeOpaque = 247;   // a pixel of this alpha or more is the subject, not a fade
// A fade grows more opaque away from the background: a pixel joins it only if its alpha is at
// least the most any pixel on its way in from the background had, less a kFadeSlackShare-th of
// that most (a glow's grain and aliased rays, and the levels' rounding). A light subject without
// an outline, whose colour nears the key inwards, is no fade: a few levels fainter than its
// faint rim is already too faint (a pale body's shading falls by a level or two a pixel).
constexpr int kFadeSlackShare = 8;
// A fade rises from the background over several pixels, and the background next to it is its
// own faint tail. A patch of one colour within kSharpReach of the background and more than
// kSharpStep levels off it has risen in a pixel or two: the light body of a subject without an
// outline (a page, a pale case), which a fade does not enter. But such a patch of the key
// darkened (within kShadowLevels) that gives way, within kBandReach of a row or column, to a
// colour more than kBandEdge levels off it and farther from the key is a hard-edged shadow
// beside its subject, and stays a fade.
constexpr std::uint32_t kSharpReach = 2;
constexpr std::uint32_t kSharpStep = 8;
constexpr std::uint32_t kBandReach = 8;
constexpr std::uint32_t kBandEdge = 8;
constexpr double kShadowLevels = 2.0;
// In a JPEG a patch of one colour is one within kNoisyFlatLevels: its noise turns every pixel
// a little. And its ringing spreads a body's edge over a pixel or two more: there a patch as far
// as kNoisySharpReach from the background rises sharply too, if beyond kSharpReach it lies more
// than kNoisyRiseLevels a pixel from the background (a glow's disc, flat within the noise
// behind a steep rim, rises less).
constexpr std::uint32_t kNoisyFlatLevels = 6;
constexpr std::uint32_t kNoisySharpReach = 4;
constexpr std::uint32_t kNoisyRiseLevels = 10;
// A fade keeps its colour as its alpha grows: each of its pixels lies on the line from the key
// through the pixel before it, within the levels' rounding. In a clean picture, a pixel more
// than kAsideLevels off the line through a shadow's pixel (the key darkened) it joins from is
// a subject beside the shadow; so is one in a patch of one colour off the line through a
// shadow's pixel next to it (a light case beside its own drop shadow, entered through the mixes
// between). A glow's colour turns from ray to ray and towards its core, and a JPEG's noise
// turns every pixel a little: there only a patch of one colour off the line through the pixel
// it joins from is a subject, and, in a JPEG, a pixel more than kCrossLevels on the other side
// of the key than the pixel it joins from in some channel (a shadow stays darker than the key;
// a JPEG blurs a light body's edge into its shadow's colour, so that no pixel there is of one
// colour). Nearer the key than kAsideFrom the line is too short to tell.
constexpr std::uint32_t kAsideFrom = 4;
constexpr double kAsideLevels = 3.0;
// A black shadow stays black. Past a pixel of a fade at least kBlackReach levels from the key
// and the key darkened within kBlackLevels (a black shadow's rounding, by whichever tool
// flattened it), the fade joins only the key darkened (within kShadowLevels). Otherwise a light
// body a level or two warmer or cooler than grey, shaded in bands, is entered from its faint
// black shadow through the mixes along its anti-aliased edge, whose colours turn a level at a
// time. A shadow tinted by a tenth or more lies farther than kBlackLevels off the key darkened
// by then, and turns as it likes. In a JPEG, whose noise turns a black shadow's grey by a level
// or two, a black shadow's pixel lies within kNoisyBlackLevels of the key darkened, and past it
// the fade joins only the key darkened within kNoisyShadowLevels, and its 3 × 3 square's mean
// within kNoisyShadowMeanLevels: a light body without an outline above its drop shadow (a
// folder's pale flap, a grey roller a few levels warm) is otherwise entered from the shadow,
// the JPEG having blurred the body's colour into the shadow's last pixels, and its noise
// hiding a tint that the mean, its noise averaged out, shows.
constexpr std::uint32_t kBlackReach = 16;
constexpr double kBlackLevels = 1.5;
constexpr double kNoisyBlackLevels = 3.0;
constexpr double kNoisyShadowLevels = 5.0;
constexpr double kNoisyShadowMeanLevels = 1.5;
constexpr int kCrossLevels = 12;
// A patch of one colour that rises sharply from the background is part of a body that a fade
// does not enter anywhere, though a shadow may lead into it smoothly elsewhere: every pixel
// joined to it through pixels within kFlatLevels (kNoisyFlatLevels) of its colour. But a smooth
// shade (a shadow, a glow, a shaded sphere) is a staircase of such bands, each a level or two
// from the next, and one of them may meet a body of its colour: where more than one step in
// kGentleShare across the border is at most kGentleStep levels, it is no body. A body is thick,
// too: a part of it thinner than a 3 × 3 square is no body (the band of a steep shade).
constexpr std::uint32_t kGentleStep = 2;
constexpr std::size_t kGentleShare = 5;
// A fade rises from the background, and a shadow's flat part lies between its rise and its
// subject. Where a fade has stopped rising over a square wider than that, every pixel of it of
// the fade, within kPlateauLevels of alpha and at least kPlateauFloor, the square is a body the
// fade has entered: a panel shaded in bands a level apart, or, in a JPEG, whose noise breaks up
// every patch of one colour, a light page or a grey case over green. The squares are
// kPlateauBlocks blocks of kBlockSide pixels a side (40 pixels), on the blocks' grid: the flat
// part of a hard shadow 40 pixels from its subject is narrower.
constexpr std::uint32_t kBlockSide = 8;
constexpr std::uint32_t kPlateauBlocks = 5;
constexpr int kPlateauLevels = 2;
constexpr std::uint8_t kPlateauFloor = 8;
// Such a body reaches past its flat square wherever its shading goes on smoothly: every pixel
// joined to the square through steps of at most kFlatLevels, within kFlatBodySpread of the
// square's colour (a panel shaded from one end to the other by a few levels, in bands its
// slots and lights cut apart), which a soft shadow it meets soon leaves.
constexpr std::uint32_t kFlatBodySpread = 8;
// A fade rises from the background straight in: each of its pixels lies about as far from the
// background through the fade as in a straight line. A shaded body is entered where its
// shading nears the key, through a gap in its hard edge, and the fade then reaches its other
// parts only far around. A part of a fade that lies more than kAroundShare times farther
// through the fade than straight (and kAroundMargin more), and somewhere at least kThickReach
// from the background, is a body's; the thin strip of a shadow with a steep edge, entered at
// its ends, reaches no farther from the background than that. Distances count 8-neighbour
// steps, up to kFarthestStep.
constexpr double kAroundShare = 1.5;
constexpr int kAroundMargin = 8;
constexpr std::uint8_t kThickReach = 12;
constexpr std::uint8_t kFarthestStep = 255;
constexpr std::size_t kSparseFades = 4;  // fades sparser than one pixel in this many of their bounds
// The most starts of bodies looked at: one per body is enough.
constexpr std::size_t kMostBodyStarts = std::size_t{1} << 20;

// The smallest alpha that explains each level of a channel as a mix with the key's level,
// in 8-bit levels, rounded up: the pixel's alpha is the largest of its three channels'.
class AlphaLevels {
public:
    explicit AlphaLevels(ArgbValue key)
    {
        for (int c = 0; c < 3; ++c) {
            const int k = ChannelOf(key, 16 - 8 * c);
            for (int level = 0; level < kLevels; ++level) {
                const int room = level < k ? k : kChannelMax - k;
                const int off = std::abs(level - k);
                tables_[c][level] = static_cast<std::uint8_t>(room > 0 ? (off * kChannelMax + room - 1) / room : 0);
            }
        }
    }
    std::uint8_t Of(ArgbValue value) const
    {
        return std::max({tables_[0][(value >> 16) & 0xFFu], tables_[1][(value >> 8) & 0xFFu], tables_[2][value & 0xFFu]});
    }

private:
    std::array<std::array<std::uint8_t, kLevels>, 3> tables_{};
};

bool Near(std::uint8_t a, std::uint8_t b) { return std::abs(int{a} - int{b}) <= kFadeStep; }

// Tells which pixels may be part of a fade, looking at the image only where asked: a fade
// is found from the background's rim outwards, and most of an image is never asked about.
class FadeTest {
public:
    FadeTest(const KeyMask& mask, const PixelRows& image, std::uint32_t left, ArgbValue key, bool noisy)
        : mask_(mask),
          area_{image.Row(0) + left, image.stride},
          size_{mask.width, mask.height},
          key_(key),
          noisy_(noisy),
          levels_(key)
    {
    }

    // True when pixel (x, y) is not opaque, not the key, and its alpha is near each of its 8
    // neighbours'. A shadow's pixel may lie right beside its subject, though: in a clean picture,
    // for a pixel of the key darkened, a more opaque neighbour of another colour does not count.
    // (In a JPEG, every dark pixel lies near the line from black to a dark key.)
    bool Smooth(std::uint32_t x, std::uint32_t y) const
    {
        const std::uint8_t alpha = AlphaAt(x, y);
        if (alpha == 0 || alpha >= kFadeOpaque)
            return false;
        const std::uint32_t firstX = x > 0 ? x - 1 : 0, lastX = x + 1 < mask_.width ? x + 1 : x;
        const std::uint32_t firstY = y > 0 ? y - 1 : 0, lastY = y + 1 < mask_.height ? y + 1 : y;
        for (std::uint32_t j = firstY; j <= lastY; ++j) {
            for (std::uint32_t i = firstX; i <= lastX; ++i) {
                const std::uint8_t other = AlphaAt(i, j);
                if (Near(alpha, other))
                    continue;
                if (other < alpha || noisy_ || !Shadow(ColourAt(x, y)) || Shadow(ColourAt(i, j)))
                    return false;
            }
        }
        return true;
    }

    std::uint8_t AlphaAt(std::uint32_t x, std::uint32_t y) const { return levels_.Of(ColourAt(x, y)); }
    // True when (x, y) is light enough to be part of a fade.
    bool MayFade(std::uint32_t x, std::uint32_t y) const { return AlphaAt(x, y) < kFadeOpaque; }
    ArgbValue ColourAt(std::uint32_t x, std::uint32_t y) const { return area_.Row(y)[x]; }
    // How far a pixel of a patch of one colour may lie from the patch's colour.
    std::uint32_t FlatLevels() const { return noisy_ ? kNoisyFlatLevels : kFlatLevels; }
    // How far from the background a patch that rises sharply may lie (see kNoisySharpReach).
    std::uint32_t SharpReach() const { return noisy_ ? kNoisySharpReach : kSharpReach; }

    // True when pixel (x, y) turns aside from the fade (see kAsideLevels): in a clean picture,
    // from a shadow's pixel it joins from, of colour from, or next to it; elsewhere, in a patch
    // of one colour, from the pixel it joins from, or across the key from it (see kCrossLevels).
    bool TurnsAside(std::uint32_t x, std::uint32_t y, ArgbValue from) const
    {
        const ArgbValue colour = ColourAt(x, y);
        const auto offTheLine = [&](ArgbValue other) {
            return ChannelDistance(other, key_) >= kAsideFrom &&
                   !OnLine(colour, key_, other, Projection(colour, key_, other), kAsideLevels);
        };
        if (!noisy_ && Shadow(from) && offTheLine(from))
            return true;
        if (noisy_ && CrossesTheKey(from, colour))
            return true;
        bool turns = offTheLine(from);
        const ReferenceWindow around(size_, x, y, noisy_ ? 0 : 1);
        for (std::uint32_t j = around.top; j < around.bottom && !turns; ++j) {
            for (std::uint32_t i = around.left; i < around.right && !turns; ++i) {
                const ArgbValue other = ColourAt(i, j);
                turns = Shadow(other) && offTheLine(other);
            }
        }
        return turns && InFlatPatch(area_, size_, x, y);
    }

    // True when pixel (x, y) leaves a black shadow (see kBlackReach): black says whether the
    // way in to it has passed a black shadow's pixel.
    bool LeavesBlack(std::uint32_t x, std::uint32_t y, bool black) const
    {
        if (!black)
            return false;
        if (!noisy_)
            return !ShadowOfKey(ColourAt(x, y), key_, kShadowLevels);
        return !ShadowOfKey(ColourAt(x, y), key_, kNoisyShadowLevels) ||
               !ShadowOfKey(MeanAround(x, y), key_, kNoisyShadowMeanLevels);
    }
    // True when colour is a black shadow's (see kBlackReach).
    bool BlackShadow(ArgbValue colour) const
    {
        return ChannelDistance(colour, key_) >= kBlackReach &&
               ShadowOfKey(colour, key_, noisy_ ? kNoisyBlackLevels : kBlackLevels);
    }

    // True when pixel (x, y) lies in a patch of one colour that rises sharply from the
    // background (see kSharpStep), and is no hard-edged shadow.
    bool RisesSharply(std::uint32_t x, std::uint32_t y) const
    {
        const std::uint32_t distance = KeyMask::Distance(mask_.Row(y)[x]);
        if (distance > SharpReach())
            return false;
        const std::uint32_t step = distance > kSharpReach ? kNoisyRiseLevels * distance : kSharpStep;
        const ArgbValue colour = ColourAt(x, y);
        return StepFromBackground(x, y, colour) > step && InFlatPatch(area_, size_, x, y, FlatLevels()) &&
               !(KeyDarkened(colour) && BandBesideSubject(x, y, colour));
    }

private:
    // The mean colour of (x, y)'s 3 × 3 square.
    ArgbValue MeanAround(std::uint32_t x, std::uint32_t y) const
    {
        ArgbValue mean = ColourAt(x, y);
        InnerNeighbourMean(area_, size_, x, y, [](std::uint32_t, std::uint32_t) { return true; }, mean);
        return mean;
    }

    // True when some channel of colour lies on the other side of the key from from's, both
    // more than kCrossLevels off it.
    bool CrossesTheKey(ArgbValue from, ArgbValue colour) const
    {
        for (const int shift : kChannelShifts) {
            const int k = ChannelOf(key_, shift), a = ChannelOf(from, shift), b = ChannelOf(colour, shift);
            if ((a + kCrossLevels < k && b > k + kCrossLevels) || (a > k + kCrossLevels && b + kCrossLevels < k))
                return true;
        }
        return false;
    }

    // How far colour, at (x, y), lies from the nearest colour of the background within
    // SharpReach().
    std::uint32_t StepFromBackground(std::uint32_t x, std::uint32_t y, ArgbValue colour) const
    {
        std::uint32_t step = ChannelDistance(colour, key_);
        const ReferenceWindow window(size_, x, y, SharpReach());
        for (std::uint32_t j = window.top; j < window.bottom; ++j) {
            for (std::uint32_t i = window.left; i < window.right; ++i) {
                if (mask_.Row(j)[i] & kBackground)
                    step = std::min(step, ChannelDistance(colour, ColourAt(i, j)));
            }
        }
        return step;
    }

    // How much of the key colour is, along the line from black through the key; -1 when colour
    // lies more than kShadowLevels off that line in some channel.
    double ShareOfKey(ArgbValue colour) const { return ::ShareOfKey(colour, key_, kShadowLevels); }

    // True when colour is the key darkened (or lightened), as under a shadow.
    bool KeyDarkened(ArgbValue colour) const { return ShareOfKey(colour) >= 0.0; }

    // True when colour is the key darkened, less than the key: a shadow's.
    bool Shadow(ArgbValue colour) const { return ShadowOfKey(colour, key_, kShadowLevels); }

    // True when, along a row or a column from (x, y), the patch of colour gives way within
    // kBandReach to a colour farther from the key (see kBandEdge) before the background.
    bool BandBesideSubject(std::uint32_t x, std::uint32_t y, ArgbValue colour) const
    {
        constexpr int kWays[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        const std::uint32_t fromKey = ChannelDistance(colour, key_);
        for (const auto& way : kWays) {
            for (std::int64_t k = 1; k <= std::int64_t{kBandReach}; ++k) {
                const std::int64_t i = std::int64_t{x} + way[0] * k, j = std::int64_t{y} + way[1] * k;
                if (i < 0 || j < 0 || i >= std::int64_t{size_.width} || j >= std::int64_t{size_.height})
                    break;
                const auto column = static_cast<std::uint32_t>(i), row = static_cast<std::uint32_t>(j);
                if (mask_.Row(row)[column] & kBackground)
                    break;
                const ArgbValue other = ColourAt(column, row);
                if (ChannelDistance(other, colour) > kBandEdge) {
                    if (ChannelDistance(other, key_) > fromKey)
                        return true;
                    break;
                }
            }
        }
        return false;
    }

    const KeyMask& mask_;
    PixelRows area_;  // the image's pixels under the mask
    ImageSize size_;
    ArgbValue key_;
    bool noisy_;
    AlphaLevels levels_;
};

// Which pixels join a body started at a patch of colour: those within FlatLevels() of it, or,
// for a body started at a flat square, those its shading reaches (see kFlatBodySpread), and in
// no other body. They are marked kFade while the body is found. Counts the steps across the
// body's border on the way, and the rows the bodies reach.
class BodyRule {
public:
    explicit BodyRule(const FadeTest& test) : test_(test) {}

    void Start(ArgbValue colour, bool flatSquare)
    {
        colour_ = colour;
        flatSquare_ = flatSquare;
        border_ = 0;
        gentle_ = 0;
    }

    bool Open(std::uint32_t x, std::uint32_t y, std::uint32_t fromX, std::uint32_t fromY, std::uint8_t value)
    {
        if (value & (kBody | kFade))
            return false;
        if (!(value & kBackground)) {
            const ArgbValue colour = test_.ColourAt(x, y);
            const bool joins = flatSquare_ ? ChannelDistance(colour, test_.ColourAt(fromX, fromY)) <= kFlatLevels &&
                                                 ChannelDistance(colour, colour_) <= kFlatBodySpread
                                           : ChannelDistance(colour, colour_) <= test_.FlatLevels();
            if (joins) {
                top_ = std::min(top_, y);
                bottom_ = std::max(bottom_, y + 1);
                return true;
            }
            gentle_ += ChannelDistance(colour, test_.ColourAt(fromX, fromY)) <= kGentleStep;
        }
        ++border_;
        return false;
    }
    static void Fill(std::uint8_t& value) { value |= kFade; }

    // True when the border steps gently, as between the bands of a smooth shade.
    bool Banded() const { return gentle_ * kGentleShare > border_; }
    std::uint32_t Top() const { return top_; }
    std::uint32_t Bottom() const { return bottom_; }

private:
    const FadeTest& test_;
    ArgbValue colour_ = 0;
    bool flatSquare_ = false;
    std::size_t border_ = 0, gentle_ = 0;
    std::uint32_t top_ = UINT32_MAX, bottom_ = 0;
};

// Marks the body just found (kFade alone) kBody, and, when it is a smooth shade's band,
// kFade as well.
struct FoundBody {
    bool banded;

    static bool Open(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint8_t value)
    {
        return (value & (kBody | kFade)) == kFade;
    }
    void Fill(std::uint8_t& value) const
    {
        value = static_cast<std::uint8_t>(banded ? value | kBody : (value & ~kFade) | kBody);
    }
};

// True when (x, y) and its 8 neighbours are all of a body (kBody without kFade).
bool InBodyCore(const KeyMask& mask, std::uint32_t x, std::uint32_t y)
{
    if (x == 0 || y == 0 || x + 1 >= mask.width || y + 1 >= mask.height)
        return false;
    for (std::uint32_t j = y - 1; j <= y + 1; ++j) {
        const std::uint8_t* row = mask.Row(j);
        for (std::uint32_t i = x - 1; i <= x + 1; ++i) {
            if ((row[i] & (kBody | kFade)) != kBody)
                return false;
        }
    }
    return true;
}

// True when some pixel of (x, y)'s 3 × 3 is marked kPending.
bool NearCore(const KeyMask& mask, std::uint32_t x, std::uint32_t y)
{
    const std::uint32_t left = x > 0 ? x - 1 : 0, right = std::min(x + 1, mask.width - 1);
    const std::uint32_t top = y > 0 ? y - 1 : 0, bottom = std::min(y + 1, mask.height - 1);
    for (std::uint32_t j = top; j <= bottom; ++j) {
        const std::uint8_t* row = mask.Row(j);
        for (std::uint32_t i = left; i <= right; ++i) {
            if (row[i] & kPending)
                return true;
        }
    }
    return false;
}

// Leaves kBody only on the pixels of bodies (not kFade, which marks a smooth shade's bands)
// that lie in a 3 × 3 square of one, in rows [top, bottom); kPending marks the squares' middles
// meanwhile.
void KeepThickBodies(KeyMask& mask, std::uint32_t top, std::uint32_t bottom)
{
    constexpr std::uint8_t kCore = kPending;
    for (std::uint32_t y = top; y < bottom; ++y) {
        std::uint8_t* row = mask.Row(y);
        for (std::uint32_t x = 0; x < mask.width; ++x) {
            if (InBodyCore(mask, x, y))
                row[x] |= kCore;
        }
    }
    for (std::uint32_t y = top; y <= bottom; ++y) {
        if (y < bottom) {
            std::uint8_t* row = mask.Row(y);
            for (std::uint32_t x = 0; x < mask.width; ++x) {
                if ((row[x] & kBody) && ((row[x] & kFade) || !NearCore(mask, x, y)))
                    row[x] = static_cast<std::uint8_t>(row[x] & ~(kBody | kFade));
            }
        }
        // Row y − 1's middles are looked at no more.
        if (y > top) {
            std::uint8_t* above = mask.Row(y - 1);
            for (std::uint32_t x = 0; x < mask.width; ++x)
                above[x] = static_cast<std::uint8_t>(above[x] & ~kCore);
        }
    }
}

// Marks kBody on the bodies that hold starts, patches that rise sharply from the background
// (see kGentleShare), and on those that hold flat squares, which are bodies however gently
// their borders step; false when there is no memory for it.
bool FindBodies(KeyMask& mask, const FadeTest& test, const std::vector<std::size_t>& starts,
                const std::vector<std::size_t>& flatSquares)
{
    SpanFill<BodyRule> body(mask, BodyRule(test));
    SpanFill<FoundBody> found(mask, FoundBody{false});
    if (!body.Reserve() || !found.Reserve())
        return false;
    const auto find = [&](std::size_t at, bool sure) {
        const auto x = static_cast<std::uint32_t>(at % mask.width), y = static_cast<std::uint32_t>(at / mask.width);
        if (mask.Row(y)[x] & kBody)
            return;
        body.Rule().Start(test.ColourAt(x, y), sure);
        body.FillFrom(x, y);
        found.Rule().banded = !sure && body.Rule().Banded();
        found.FillFrom(x, y);
    };
    for (const std::size_t at : starts)
        find(at, false);
    for (const std::size_t at : flatSquares)
        find(at, true);
    if (body.Rule().Bottom() > 0)
        KeepThickBodies(mask, body.Rule().Top(), body.Rule().Bottom());
    return true;
}

// What the fades hold in each block of kBlockSide × kBlockSide pixels of the mask: how many of
// its pixels, and the least and most of their alphas. Blocks cut by the mask's right or bottom
// edge are never full.
class FadeBlocks {
public:
    // False when there is no memory for it.
    bool Reserve(std::uint32_t width, std::uint32_t height)
    {
        columns_ = width / kBlockSide;
        rows_ = height / kBlockSide;
        try {
            blocks_.assign(std::size_t{columns_} * rows_, Block{});
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
    void Add(std::uint32_t x, std::uint32_t y, int alpha)
    {
        const std::uint32_t column = x / kBlockSide, row = y / kBlockSide;
        if (column >= columns_ || row >= rows_)
            return;
        Block& block = blocks_[std::size_t{row} * columns_ + column];
        ++block.count;
        block.least = static_cast<std::uint8_t>(std::min<int>(block.least, alpha));
        block.most = static_cast<std::uint8_t>(std::max<int>(block.most, alpha));
    }

    // True when the fades hold a flat square (see kPlateauBlocks).
    bool AnyPlateau() const { return ForEachPlateau([](std::uint32_t, std::uint32_t) { return true; }); }

    // Lists in middles the middle pixel of each flat square, as an index into a mask width
    // pixels wide; false when there is no memory for it.
    bool PlateauMiddles(std::uint32_t width, std::vector<std::size_t>& middles) const
    {
        constexpr std::uint32_t kHalf = kPlateauBlocks * kBlockSide / 2;
        try {
            ForEachPlateau([&middles, width](std::uint32_t column, std::uint32_t row) {
                middles.push_back(std::size_t{row * kBlockSide + kHalf} * width + column * kBlockSide + kHalf);
                return false;
            });
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    // Marks kBody on every pixel of a flat square, each block once; false when there is no
    // memory for it.
    bool MarkPlateaus(KeyMask& mask) const
    {
        std::vector<std::uint8_t> covered;
        try {
            covered.assign(blocks_.size(), 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        ForEachPlateau([this, &covered](std::uint32_t column, std::uint32_t row) {
            for (std::uint32_t j = row; j < row + kPlateauBlocks; ++j)
                std::fill_n(covered.begin() + std::ptrdiff_t(std::size_t{j} * columns_ + column), kPlateauBlocks, 1);
            return false;
        });
        for (std::uint32_t row = 0; row < rows_; ++row) {
            for (std::uint32_t column = 0; column < columns_; ++column) {
                if (covered[std::size_t{row} * columns_ + column])
                    MarkBlock(mask, column, row);
            }
        }
        return true;
    }

private:
    static constexpr std::uint8_t kFull = kBlockSide * kBlockSide;
    struct Block {
        std::uint8_t count = 0;
        std::uint8_t least = kChannelMax;
        std::uint8_t most = 0;
    };

    // Calls found(column, row) with each flat square's first block until it says to stop; true
    // when it did.
    template <typename Found>
    bool ForEachPlateau(Found found) const
    {
        for (std::uint32_t row = 0; row + kPlateauBlocks <= rows_; ++row) {
            for (std::uint32_t column = 0; column + kPlateauBlocks <= columns_; ++column) {
                if (FlatSquare(column, row) && found(column, row))
                    return true;
            }
        }
        return false;
    }

    bool FlatSquare(std::uint32_t column, std::uint32_t row) const
    {
        int least = kChannelMax, most = 0;
        for (std::uint32_t j = row; j < row + kPlateauBlocks; ++j) {
            for (std::uint32_t i = column; i < column + kPlateauBlocks; ++i) {
                const Block& block = blocks_[std::size_t{j} * columns_ + i];
                least = std::min<int>(least, block.least);
                most = std::max<int>(most, block.most);
                if (block.count != kFull || least < kPlateauFloor || most - least > kPlateauLevels)
                    return false;
            }
        }
        return true;
    }

    static void MarkBlock(KeyMask& mask, std::uint32_t column, std::uint32_t row)
    {
        for (std::uint32_t y = row * kBlockSide; y < (row + 1) * kBlockSide; ++y) {
            std::uint8_t* pixels = mask.Row(y) + column * kBlockSide;
            for (std::uint32_t x = 0; x < kBlockSide; ++x)
                pixels[x] |= kBody;
        }
    }

    std::uint32_t columns_ = 0, rows_ = 0;
    std::vector<Block> blocks_;
};

void ClearFades(KeyMask& mask)
{
    for (std::uint8_t& value : mask.bytes)
        value = static_cast<std::uint8_t>(value & ~kFade);
}

// The pixels of a fade waiting to be looked around, by the most alpha on their way in. The top
// bit of an index, kBlackWay, says that the way in passed a black shadow's pixel.
using Waiting = std::array<std::vector<std::size_t>, kLevels>;
constexpr std::size_t kBlackWay = ~(~std::size_t{0} >> 1);

// What the first growth of the fades notes of where they may have entered a body: pixels of a
// fade's colour near the background that it did not join, and what each block of the mask holds.
struct Entries {
    std::vector<std::size_t> starts;
    FadeBlocks blocks;
};

// Adds pixel (x, y) to the fade when it is open and smooth, not fainter (beyond the slack) than
// the most alpha on the way to it, most, and no light subject beside the fade: one that rises
// sharply from the background, one that turns aside from the colour of the fade's pixel it
// joins from, from (the key for a pixel next to the background), or one that leaves the black
// shadow the way in to it passed, when black says it did. Notes it in entries, when given, and
// a pixel of from's colour near the background that does not join, which may be where the fade
// has entered a body.
void Join(KeyMask& mask, const FadeTest& test, std::uint32_t x, std::uint32_t y, int most, ArgbValue from,
          bool black, Waiting& waiting, Entries* entries)
{
    std::uint8_t& value = mask.Row(y)[x];
    if (value & (kBackground | kFade | kBody))
        return;
    const int alpha = test.AlphaAt(x, y);
    if (alpha < most - most / kFadeSlackShare || !test.Smooth(x, y) || test.RisesSharply(x, y) ||
        test.TurnsAside(x, y, from) || test.LeavesBlack(x, y, black)) {
        if (entries && KeyMask::Distance(value) <= test.SharpReach() && entries->starts.size() < kMostBodyStarts &&
            ChannelDistance(test.ColourAt(x, y), from) <= test.FlatLevels())
            entries->starts.push_back(std::size_t{y} * mask.width + x);
        return;
    }
    value |= kFade;
    if (entries)
        entries->blocks.Add(x, y, alpha);
    waiting[std::max(most, alpha)].push_back((std::size_t{y} * mask.width + x) | (black ? kBlackWay : 0));
}

// Grows the fades from the background, noting in entries (when given) where they may have
// entered a body; false when there is no memory for it.
bool GrowFades(KeyMask& mask, const FadeTest& test, ArgbValue key, Entries* entries)
{
    Waiting waiting;
    try {
        // A smooth pixel next to the background starts a fade.
        for (std::uint32_t y = 0; y < mask.height; ++y) {
            const std::uint8_t* row = mask.Row(y);
            for (std::uint32_t x = 0; x < mask.width; ++x) {
                if (KeyMask::Distance(row[x]) == 1)
                    Join(mask, test, x, y, 0, key, false, waiting, entries);
            }
        }
        // Taken faintest way first, each pixel joins by the way in whose most alpha is least.
        for (int most = 0; most < kLevels; ++most) {
            std::vector<std::size_t>& level = waiting[most];
            while (!level.empty()) {
                const std::size_t at = level.back() & ~kBlackWay;
                const bool blackWay = (level.back() & kBlackWay) != 0;
                level.pop_back();
                const auto x = static_cast<std::uint32_t>(at % mask.width), y = static_cast<std::uint32_t>(at / mask.width);
                const ArgbValue colour = test.ColourAt(x, y);
                const bool black = blackWay || test.BlackShadow(colour);
                if (x > 0)
                    Join(mask, test, x - 1, y, most, colour, black, waiting, entries);
                if (x + 1 < mask.width)
                    Join(mask, test, x + 1, y, most, colour, black, waiting, entries);
                if (y > 0)
                    Join(mask, test, x, y - 1, most, colour, black, waiting, entries);
                if (y + 1 < mask.height)
                    Join(mask, test, x, y + 1, most, colour, black, waiting, entries);
            }
            level.shrink_to_fit();
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Calls visit(i, j) for each 8-neighbour of (x, y) in an area of size.
template <typename Visit>
void ForEachNeighbour(std::uint32_t x, std::uint32_t y, ImageSize size, Visit visit)
{
    const ReferenceWindow around(size, x, y, 1);
    for (std::uint32_t j = around.top; j < around.bottom; ++j) {
        for (std::uint32_t i = around.left; i < around.right; ++i) {
            if (i != x || j != y)
                visit(i, j);
        }
    }
}

// Calls found(at) with the index of each byte of the mask marked kFade, in order; most of a
// mask holds none, and is passed over eight bytes at a time.
template <typename Found>
void ForEachFade(const KeyMask& mask, Found found)
{
    constexpr std::uint64_t kFadeInEvery = 0x0101010101010101u * kFade;
    const std::size_t size = mask.bytes.size();
    std::size_t at = 0;
    for (; at + sizeof(std::uint64_t) <= size; at += sizeof(std::uint64_t)) {
        std::uint64_t eight = 0;
        std::memcpy(&eight, mask.bytes.data() + at, sizeof eight);
        if (!(eight & kFadeInEvery))
            continue;
        for (std::size_t i = at; i < at + sizeof eight; ++i) {
            if (mask.bytes[i] & kFade)
                found(i);
        }
    }
    for (; at < size; ++at) {
        if (mask.bytes[at] & kFade)
            found(at);
    }
}

// The bounds of the fades (8-connected) of at least kThickReach × kThickReach pixels: a smaller
// one reaches no part that far from the background. Empty when there are none. False when
// there is no memory for it.
bool LargeFadeBounds(const KeyMask& mask, ImageRect& bounds)
{
    constexpr std::size_t kSmallest = std::size_t{kThickReach} * kThickReach;
    ChangedBounds all;
    try {
        std::vector<bool> seen(mask.bytes.size(), false);
        std::vector<std::uint32_t> fade;
        ForEachFade(mask, [&](std::size_t at) {
            if (seen[at])
                return;
            const auto x = static_cast<std::uint32_t>(at % mask.width), y = static_cast<std::uint32_t>(at / mask.width);
            ChangedBounds one{x, y, x + 1, y + 1};  // the fill reaches rows out of order
            fade.assign(1, static_cast<std::uint32_t>(at));
            seen[at] = true;
            for (std::size_t head = 0; head < fade.size(); ++head) {
                const std::uint32_t i0 = fade[head] % mask.width, j0 = fade[head] / mask.width;
                one.Merge(ChangedBounds{i0, j0, i0 + 1, j0 + 1});
                ForEachNeighbour(i0, j0, ImageSize{mask.width, mask.height}, [&](std::uint32_t i, std::uint32_t j) {
                    const std::size_t to = std::size_t{j} * mask.width + i;
                    if ((mask.bytes[to] & kFade) && !seen[to]) {
                        seen[to] = true;
                        fade.push_back(static_cast<std::uint32_t>(to));
                    }
                });
            }
            if (fade.size() >= kSmallest)
                all.Merge(one);
        });
    } catch (const std::bad_alloc&) {
        return false;
    }
    bounds = all.Rect();
    return true;
}

// The distances of a rectangle of the mask around the large fades, row by row: in a straight
// line from the background and through the fade from its pixels next to the background.
class FadeReach {
public:
    // False when there is no memory for it.
    bool Measure(const KeyMask& mask)
    {
        // Where the fades fill much of their bounds, every fade's pixels are looked at anyway;
        // where they are sparse, only the large ones are.
        box_ = BoundsWhere(
            mask.width, mask.height, [&mask](std::uint32_t y) { return mask.Row(y); },
            [](std::uint8_t value) { return (value & kFade) != 0; });
        std::size_t fades = 0;
        ForEachFade(mask, [&fades](std::size_t) { ++fades; });
        if (box_.PixelCount() > kSparseFades * fades && !LargeFadeBounds(mask, box_))
            return false;
        if (box_.PixelCount() == 0)
            return true;
        Widen(mask);
        try {
            straight_.assign(box_.PixelCount(), kFarthestStep);
            through_.assign(box_.PixelCount(), kFarthestStep);
            queue_.clear();
            MeasureStraight(mask);
            MeasureThroughFade(mask);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    // Clears kFade on the parts of fades reached far around that reach far from the
    // background; false when there is no memory for it.
    bool ClearBodies(KeyMask& mask)
    {
        // A fade's pixel not reached within kFarthestStep is reached around too, unless the
        // background is as far in a straight line.
        for (std::uint32_t y = 0; y < box_.height; ++y) {
            const std::uint8_t* row = MaskRow(mask, y);
            for (std::uint32_t x = 0; x < box_.width; ++x) {
                const std::size_t at = std::size_t{y} * box_.width + x;
                if ((row[x] & kFade) && through_[at] > kAroundShare * straight_[at] + kAroundMargin)
                    through_[at] = 0;  // reached around, in no part yet
            }
        }
        try {
            for (std::size_t at = 0; at < through_.size(); ++at) {
                if (through_[at] == 0 && PartIsThick(at))
                    ClearPart(mask);
            }
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

private:
    // The rectangle grown each way as far as the background can lie from a fade's pixel that
    // may be reached around, within the mask.
    void Widen(const KeyMask& mask)
    {
        const auto reach = static_cast<std::uint32_t>((kFarthestStep - kAroundMargin) / kAroundShare) + 1;
        const std::uint32_t left = box_.x >= reach ? box_.x - reach : 0;
        const std::uint32_t top = box_.y >= reach ? box_.y - reach : 0;
        const std::uint32_t right = std::min<std::uint32_t>(mask.width, box_.x + box_.width + reach);
        const std::uint32_t bottom = std::min<std::uint32_t>(mask.height, box_.y + box_.height + reach);
        box_ = ImageRect{left, top, right - left, bottom - top};
    }
    const std::uint8_t* MaskRow(const KeyMask& mask, std::uint32_t y) const { return mask.Row(box_.y + y) + box_.x; }

    // Two sweeps, each taking every pixel's distance from the neighbours already swept.
    void MeasureStraight(const KeyMask& mask)
    {
        const std::uint32_t w = box_.width, h = box_.height;
        const auto relax = [this](std::size_t at, std::size_t from) {
            const int step = straight_[from] + 1;
            if (step < straight_[at])
                straight_[at] = static_cast<std::uint8_t>(step);
        };
        for (std::uint32_t y = 0; y < h; ++y) {
            const std::uint8_t* row = MaskRow(mask, y);
            for (std::uint32_t x = 0; x < w; ++x) {
                const std::size_t at = std::size_t{y} * w + x;
                if (row[x] & kBackground) {
                    straight_[at] = 0;
                    continue;
                }
                if (x > 0)
                    relax(at, at - 1);
                if (y > 0) {
                    relax(at, at - w);
                    if (x > 0)
                        relax(at, at - w - 1);
                    if (x + 1 < w)
                        relax(at, at - w + 1);
                }
            }
        }
        for (std::uint32_t y = h; y-- > 0;) {
            for (std::uint32_t x = w; x-- > 0;) {
                const std::size_t at = std::size_t{y} * w + x;
                if (x + 1 < w)
                    relax(at, at + 1);
                if (y + 1 < h) {
                    relax(at, at + w);
                    if (x + 1 < w)
                        relax(at, at + w + 1);
                    if (x > 0)
                        relax(at, at + w - 1);
                }
            }
        }
    }

    // Breadth first through the fade from its pixels next to the background.
    void MeasureThroughFade(const KeyMask& mask)
    {
        for (std::uint32_t y = 0; y < box_.height; ++y) {
            const std::uint8_t* row = MaskRow(mask, y);
            for (std::uint32_t x = 0; x < box_.width; ++x) {
                if ((row[x] & kFade) && KeyMask::Distance(row[x]) == 1) {
                    const std::size_t at = std::size_t{y} * box_.width + x;
                    through_[at] = 1;
                    queue_.push_back(static_cast<std::uint32_t>(at));
                }
            }
        }
        for (std::size_t head = 0; head < queue_.size(); ++head) {
            const std::uint32_t at = queue_[head];
            const std::uint8_t next = static_cast<std::uint8_t>(through_[at] + 1);
            if (next >= kFarthestStep)
                continue;
            ForEachNeighbour(at % box_.width, at / box_.width, ImageSize{box_.width, box_.height},
                             [&](std::uint32_t i, std::uint32_t j) {
                                 const std::size_t to = std::size_t{j} * box_.width + i;
                                 if ((MaskRow(mask, j)[i] & kFade) && through_[to] == kFarthestStep) {
                                     through_[to] = next;
                                     queue_.push_back(static_cast<std::uint32_t>(to));
                                 }
                             });
        }
    }

    // Gathers into queue_ the part reached around that holds start (marking its pixels
    // kFarthestStep), and says whether it reaches kThickReach from the background.
    bool PartIsThick(std::size_t start)
    {
        queue_.assign(1, static_cast<std::uint32_t>(start));
        through_[start] = kFarthestStep;
        std::uint8_t farthest = 0;
        for (std::size_t head = 0; head < queue_.size(); ++head) {
            const std::uint32_t at = queue_[head];
            farthest = std::max(farthest, straight_[at]);
            ForEachNeighbour(at % box_.width, at / box_.width, ImageSize{box_.width, box_.height},
                             [&](std::uint32_t i, std::uint32_t j) {
                                 const std::size_t to = std::size_t{j} * box_.width + i;
                                 if (through_[to] == 0) {
                                     through_[to] = kFarthestStep;
                                     queue_.push_back(static_cast<std::uint32_t>(to));
                                 }
                             });
        }
        return farthest >= kThickReach;
    }

    void ClearPart(KeyMask& mask) const
    {
        for (const std::uint32_t at : queue_) {
            std::uint8_t& value = mask.Row(box_.y + at / box_.width)[box_.x + at % box_.width];
            value = static_cast<std::uint8_t>(value & ~kFade);
        }
    }

    ImageRect box_;
    std::vector<std::uint8_t> straight_, through_;
    std::vector<std::uint32_t> queue_;
};

// Clears the fades from the parts of bodies they reached far around (see kAroundShare); false
// when there is no memory for it.
bool ClearBodiesReachedAround(KeyMask& mask)
{
    FadeReach reach;
    return reach.Measure(mask) && reach.ClearBodies(mask);
}

}  // namespace

bool FindFades(KeyMask& mask, const PixelRows& image, std::uint32_t left, ArgbValue key, bool noisy)
{
    const FadeTest test(mask, image, left, key, noisy);
    // Most fades never reach a body: only where one has are the bodies found, and the fades
    // grown again around them.
    Entries entries;
    if (!entries.blocks.Reserve(mask.width, mask.height) || !GrowFades(mask, test, key, &entries))
        return false;
    std::vector<std::size_t>& starts = entries.starts;
    const auto notBody = [&mask, &test](std::size_t at) {
        const auto x = static_cast<std::uint32_t>(at % mask.width), y = static_cast<std::uint32_t>(at / mask.width);
        return !test.MayFade(x, y) || !test.RisesSharply(x, y);
    };
    starts.erase(std::remove_if(starts.begin(), starts.end(), notBody), starts.end());
    if (starts.empty() && !entries.blocks.AnyPlateau())
        return ClearBodiesReachedAround(mask);
    ClearFades(mask);
    std::vector<std::size_t> flatSquares;
    return entries.blocks.PlateauMiddles(mask.width, flatSquares) && FindBodies(mask, test, starts, flatSquares) &&
           entries.blocks.MarkPlateaus(mask) && GrowFades(mask, test, key, nullptr) && ClearBodiesReachedAround(mask);
}
