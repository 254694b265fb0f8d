// The matte an edge is mixed with, measured from the picture: each pixel at the rim of the
// transparent part lies on the line from the subject's colour behind it to the matte M. When
// the transparent pixels kept one colour other than black or white, or another colour the rim
// leads to, or the colours of a flat background a fill cleared, that colour is the matte.
// Otherwise candidates are scored by how much of the rim leads to them: the point the lines
// meet at by least squares, the kept colour (black and white being what most writers wipe
// transparent pixels to), points where the lines near single rim pixels meet (a fill's
// outermost rim lies within its tolerance of the key), and the cube's corners; but a rim that
// leads to black behind transparent pixels all white is a dark outline mixed with white.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#include "aliased_edge.h"
#include "alpha_distance.h"
#include "refine_edge.h"

namespace {

using Vec = std::array<double, 3>;  // red, green, blue, 0 to 255

constexpr std::uint8_t kSubjectDepth = 3;          // a pixel this far from the transparent part is the subject
constexpr int kInwardSteps = 2;                    // from a rim pixel to the subject's pixel behind it
constexpr double kSmallestMix = 24.0;              // nearer its subject than this, a rim pixel shows no line
constexpr double kFaintestMix = 6.0;               // nearer than this, a rim pixel's line is only rounding
constexpr std::size_t kMostLines = std::size_t{1} << 16;
constexpr double kPriorWeight = 1e-3;              // per line: pulls M only where the lines leave it free
constexpr double kLineSlack = 4.0;                 // levels a good line may pass from M
constexpr double kOutlierFactor = 3.0;             // a line this many medians from M is dropped
constexpr int kRobustRounds = 2;
constexpr double kKeptAgreement = 0.5;             // the mean cosine of the rim's lean towards the kept colour
constexpr std::uint32_t kKeptSampling = 2;         // every second pixel of every second row
constexpr double kPalestShare = 0.05;              // the palest share of the rim marks M's end
constexpr double kCubeSnap = 16.0;                 // a palest end this near the cube's face is on it
constexpr double kChannelMax = 255.0;
constexpr double kFaceSnap = 1.5;                  // a channel this near 0 or 255 is taken as on it
constexpr int kKeptFlatLevels = 16;                // a cleared flat background lies this near its median,
constexpr double kFlatShare = 0.95;                // this share of it, in each channel
constexpr ArgbValue kNoMatte = kOpaqueWhite;
constexpr std::size_t kSeeds = 64;                 // rim pixels tried as the start of a candidate
constexpr std::size_t kScoredLines = 8192;         // lines a candidate is scored on, evenly spread
constexpr double kSeedReach = 24.0;                // levels a seed may lie from the lines it gathers
constexpr double kKeptMargin = 0.05;              // of the lines' weight, the kept colour's head start
constexpr double kExtendStep = 2.0;               // levels a candidate is moved on at a time
constexpr double kExtendKeep = 0.95;               // of its score, a candidate moved on must keep
constexpr double kScoreReach = 12.0;              // levels from a line at which it stops counting for a candidate
// A pure colour, a corner of the cube, within kCornerReach levels of the best candidate in every
// channel and explaining at least kCornerShare of what it does, is the matte: the best stops short
// of it where the rim is half mixed with it and the subject behind is a colour of the shading,
// not the rim's own.
constexpr double kCornerReach = 48.0;
constexpr double kCornerShare = 0.5;
constexpr double kBehindSlack = 2.0;               // levels a candidate may lie short of a rim pixel

Vec ColourOf(ArgbValue value)
{
    return {double((value >> 16) & 0xFFu), double((value >> 8) & 0xFFu), double(value & 0xFFu)};
}

Vec Minus(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double Dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double Length(const Vec& a) { return std::sqrt(Dot(a, a)); }

// A line from a subject's colour through a rim pixel's colour, towards the matte.
struct Line {
    Vec point;       // the rim pixel's colour
    Vec direction;   // of length 1, from the subject's colour
    double mix;      // the distance from the subject's colour to the rim pixel's

    double DistanceTo(const Vec& colour) const
    {
        const Vec d = Minus(colour, point);
        return std::sqrt(std::max(0.0, Dot(d, d) - Dot(d, direction) * Dot(d, direction)));
    }
    // How far along the line colour lies past the rim pixel.
    double Beyond(const Vec& colour) const { return Dot(Minus(colour, point), direction); }
    // Where the line, going on past the rim pixel, leaves the RGB cube.
    Vec Exit() const
    {
        double reach = 1e9;
        for (int c = 0; c < 3; ++c) {
            if (direction[c] > 0)
                reach = std::min(reach, (kChannelMax - point[c]) / direction[c]);
            else if (direction[c] < 0)
                reach = std::min(reach, -point[c] / direction[c]);
        }
        return {point[0] + reach * direction[0], point[1] + reach * direction[1], point[2] + reach * direction[2]};
    }
};

// The lines of a rim, kept to a bounded number: when full, every other one is dropped and
// from then on only every other rim pixel is taken, and so on.
class LineSet {
public:
    bool Reserve()
    {
        try {
            lines_.reserve(kMostLines);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
    void Add(const Line& line)
    {
        if (++seen_ % stride_ != 0)
            return;
        if (lines_.size() == kMostLines) {
            for (std::size_t i = 0; i < lines_.size() / 2; ++i)
                lines_[i] = lines_[2 * i + 1];
            lines_.resize(lines_.size() / 2);
            stride_ *= 2;
        }
        lines_.push_back(line);
    }
    const std::vector<Line>& Lines() const { return lines_; }

private:
    std::vector<Line> lines_;
    std::size_t seen_ = 0;
    std::size_t stride_ = 1;
};

// Per channel, how many of the transparent pixels looked at hold each level, and whether
// they all hold one colour, as they do when a writer wiped them.
struct KeptColours {
    std::array<std::array<std::size_t, 256>, 3> counts{};
    std::size_t total = 0;
    ArgbValue first = 0;
    bool uniform = true;

    void Add(ArgbValue value)
    {
        const Vec c = ColourOf(value);
        for (int i = 0; i < 3; ++i)
            ++counts[i][static_cast<int>(c[i])];
        if (total == 0)
            first = value;
        uniform = uniform && ((value ^ first) & kColourBits) == 0;
        ++total;
    }
    Vec Median() const
    {
        Vec median{};
        for (int i = 0; i < 3; ++i) {
            std::size_t below = 0;
            int level = 0;
            while (level < 255 && (below += counts[i][level]) * 2 < total)
                ++level;
            median[i] = level;
        }
        return median;
    }
    // True when nearly all of them lie near median, channel by channel: the flat background a
    // fill cleared, with the mixes next to the subject that its tolerance took too.
    bool Flat(const Vec& median) const
    {
        for (int i = 0; i < 3; ++i) {
            const int from = std::max(0, static_cast<int>(median[i]) - kKeptFlatLevels);
            const int to = std::min(255, static_cast<int>(median[i]) + kKeptFlatLevels);
            std::size_t near = 0;
            for (int level = from; level <= to; ++level)
                near += counts[i][level];
            if (near < kFlatShare * total)
                return false;
        }
        return true;
    }
};

// What the search gathers from the picture.
struct Rim {
    AlphaDistances distances;  // capped at kSubjectDepth
    LineSet lines;
    LineSet faint;   // lines of rim pixels little mixed, as a soft glow's are: used when there are no others
    KeptColours kept;
};

// The direction, one step each way at most, from pixel (x, y) of the rim into the subject:
// away from its transparent neighbours.
bool Inward(const AlphaDistances& distances, std::uint32_t x, std::uint32_t y, int& stepX, int& stepY)
{
    int awayX = 0, awayY = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const std::int64_t nx = std::int64_t{x} + dx, ny = std::int64_t{y} + dy;
            if (nx < 0 || ny < 0 || nx >= distances.width || ny >= distances.height)
                continue;
            if (distances.Row(static_cast<std::uint32_t>(ny))[nx] == 0)
                awayX -= dx, awayY -= dy;
        }
    }
    // A direction mostly along one axis is taken as along it.
    stepX = 2 * std::abs(awayX) >= std::abs(awayY) ? (awayX > 0) - (awayX < 0) : 0;
    stepY = 2 * std::abs(awayY) >= std::abs(awayX) ? (awayY > 0) - (awayY < 0) : 0;
    return stepX != 0 || stepY != 0;
}

// Adds the rim pixel (x, y) of the area: its line, when the subject behind it is found and
// differs enough.
void AddRimPixel(const PixelRows& image, const ImageRect& area, const AlphaDistances& distances, std::uint32_t x,
                 std::uint32_t y, Rim& rim)
{
    const ArgbValue* row = image.Row(area.y + y) + area.x;
    int stepX = 0, stepY = 0;
    if (!Inward(distances, x, y, stepX, stepY))
        return;
    const std::int64_t sx = std::int64_t{x} + kInwardSteps * stepX, sy = std::int64_t{y} + kInwardSteps * stepY;
    if (sx < 0 || sy < 0 || sx >= distances.width || sy >= distances.height)
        return;
    if (distances.Row(static_cast<std::uint32_t>(sy))[sx] < kSubjectDepth)
        return;
    const Vec subject = ColourOf(image.Row(area.y + static_cast<std::uint32_t>(sy))[area.x + sx]);
    const Vec pixel = ColourOf(row[x]);
    const Vec d = Minus(pixel, subject);
    const double mix = Length(d);
    if (mix < kFaintestMix)
        return;
    (mix < kSmallestMix ? rim.faint : rim.lines).Add(Line{pixel, {d[0] / mix, d[1] / mix, d[2] / mix}, mix});
}

// The point nearest to the lines kept, pulled lightly towards prior.
Vec Nearest(const std::vector<Line>& lines, const std::vector<bool>& kept, const Vec& prior)
{
    std::array<std::array<double, 3>, 3> a{};
    Vec b{};
    std::size_t count = 0;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        if (!kept[n])
            continue;
        ++count;
        const Line& line = lines[n];
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                const double m = (i == j ? 1.0 : 0.0) - line.direction[i] * line.direction[j];
                a[i][j] += m;
                b[i] += m * line.point[j];
            }
        }
    }
    const double pull = kPriorWeight * std::max<std::size_t>(count, 1);
    for (int i = 0; i < 3; ++i) {
        a[i][i] += pull;
        b[i] += pull * prior[i];
    }
    // Cramer's rule: the matrix is symmetric and, with the pull, positive definite.
    auto det = [](const std::array<std::array<double, 3>, 3>& m) {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    const double whole = det(a);
    Vec solution{};
    for (int c = 0; c < 3; ++c) {
        std::array<std::array<double, 3>, 3> replaced = a;
        for (int r = 0; r < 3; ++r)
            replaced[r][c] = b[r];
        solution[c] = det(replaced) / whole;
    }
    return solution;
}

// True when the colour the transparent pixels kept is where the rim leads: on the whole, each
// rim pixel lies from its subject's colour towards it. A textured subject's lines scatter, but
// still lean that way.
bool RimLeadsTo(const std::vector<Line>& lines, const Vec& colour)
{
    double agreement = 0.0, weight = 0.0;
    for (const Line& line : lines) {
        const Vec subject{line.point[0] - line.mix * line.direction[0], line.point[1] - line.mix * line.direction[1],
                          line.point[2] - line.mix * line.direction[2]};
        const Vec towards = Minus(colour, subject);
        const double length = Length(towards);
        if (length > 0.0)
            agreement += line.mix * Dot(towards, line.direction) / length;
        weight += line.mix;
    }
    return weight > 0.0 && agreement >= kKeptAgreement * weight;
}

// The palest end of the rim: the mean of the rim pixels that lie farthest from their subject
// towards the cube's face, moved onto the face when it is near.
Vec PalestEnd(const std::vector<Line>& lines)
{
    std::vector<std::pair<double, std::size_t>> ranked;
    ranked.reserve(lines.size());
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const double left = Length(Minus(lines[n].Exit(), lines[n].point));
        ranked.emplace_back(lines[n].mix / (lines[n].mix + left), n);
    }
    const std::size_t take = std::max<std::size_t>(1, static_cast<std::size_t>(kPalestShare * ranked.size()));
    std::partial_sort(ranked.begin(), ranked.begin() + take, ranked.end(), std::greater<>());
    Vec end{}, face{};
    for (std::size_t k = 0; k < take; ++k) {
        const Line& line = lines[ranked[k].second];
        const Vec exit = line.Exit();
        for (int c = 0; c < 3; ++c)
            end[c] += line.point[c] / take, face[c] += exit[c] / take;
    }
    return Length(Minus(face, end)) <= kCubeSnap ? face : end;
}

// The point the lines meet at, the lines far from it dropped, again and again.
Vec MeetingPoint(const std::vector<Line>& lines, const Vec& prior)
{
    std::vector<bool> kept(lines.size(), true);
    Vec matte = Nearest(lines, kept, prior);
    std::vector<double> off(lines.size());
    for (int round = 0; round < kRobustRounds; ++round) {
        for (std::size_t n = 0; n < lines.size(); ++n)
            off[n] = lines[n].DistanceTo(matte);
        std::vector<double> sorted = off;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        const double limit = std::max(kLineSlack, kOutlierFactor * sorted[sorted.size() / 2]);
        for (std::size_t n = 0; n < lines.size(); ++n)
            kept[n] = off[n] <= limit;
        matte = Nearest(lines, kept, prior);
    }
    return matte;
}

// colour as an opaque value. Mattes are often pure colours: a channel next to the cube's face,
// where the lines' noise leaves it a level off, is put on the face.
ArgbValue Opaque(const Vec& colour)
{
    ArgbValue value = kOpaqueBlack;
    for (int c = 0; c < 3; ++c) {
        double level = std::clamp(colour[c], 0.0, kChannelMax);
        if (level <= kFaceSnap)
            level = 0.0;
        else if (level >= kChannelMax - kFaceSnap)
            level = kChannelMax;
        value |= static_cast<ArgbValue>(std::lround(level)) << (16 - 8 * c);
    }
    return value;
}

// Gathers the rim of the area; false when there is no memory for it.
bool GatherRim(const PixelRows& image, const ImageRect& area, Rim& rim)
{
    AlphaDistances& distances = rim.distances;
    if (!rim.lines.Reserve() || !rim.faint.Reserve() || !MeasureAlphaDistances(image, area, kSubjectDepth, distances))
        return false;
    for (std::uint32_t y = 0; y < area.height; ++y) {
        const std::uint8_t* row = distances.Row(y);
        const ArgbValue* pixels = image.Row(area.y + y) + area.x;
        // The transparent part is mostly large and of one colour, if it kept one: a sample is
        // enough.
        const bool sampled = y % kKeptSampling == 0;
        for (std::uint32_t x = 0; x < area.width; ++x) {
            if (row[x] == 1)
                AddRimPixel(image, area, distances, x, y, rim);
            else if (row[x] == 0 && sampled && x % kKeptSampling == 0)
                rim.kept.Add(pixels[x]);
        }
    }
    return true;
}

// True when the subject in the area was drawn without anti-aliasing against colour.
bool AliasedAgainst(const PixelRows& image, const ImageRect& area, const AlphaDistances& distances, ArgbValue colour)
{
    const PixelRows rows{image.Row(area.y) + area.x, image.stride};
    return DrawnWithoutAntialiasing(rows, ImageSize{area.width, area.height}, colour & kColourBits,
                                    [&distances](std::uint32_t i, std::uint32_t j) { return distances.Row(j)[i]; });
}

// Whether the line leads to colour: colour lies past the rim pixel, within reach of the line
// (widened by the rim pixel's rounding, which tilts the line more the nearer it is to its
// subject).
bool LeadsTo(const Line& line, const Vec& colour, double reach)
{
    const double beyond = line.Beyond(colour);
    return beyond >= -kBehindSlack && line.DistanceTo(colour) <= reach + beyond / line.mix;
}

// How well colour explains the rim as mixes of subjects with it: the share of the lines'
// weight that leads to it.
double Score(const std::vector<Line>& lines, std::size_t stride, const Vec& colour)
{
    double led = 0.0, all = 0.0;
    for (std::size_t n = 0; n < lines.size(); n += stride) {
        const Line& line = lines[n];
        all += line.mix;
        const double beyond = line.Beyond(colour);
        if (beyond < -kBehindSlack)
            continue;
        const double off = line.DistanceTo(colour) / (kScoreReach + beyond / line.mix);
        led += line.mix * std::max(0.0, 1.0 - off * off);
    }
    return all > 0.0 ? led / all : 0.0;
}

// The point the lines leading near seed meet at, pulled towards seed where they leave it free.
Vec Refine(const std::vector<Line>& lines, std::size_t stride, const Vec& seed)
{
    std::vector<bool> kept(lines.size(), false);
    Vec point = seed;
    for (const double reach : {kSeedReach, kSeedReach / 3, kLineSlack}) {
        for (std::size_t n = 0; n < lines.size(); n += stride)
            kept[n] = LeadsTo(lines[n], point, reach);
        point = Nearest(lines, kept, point);
    }
    return point;
}

// A candidate moved on along the lines that lead to it, as far as they still lead there: a
// point short of the key explains lines from subjects of few colours as well as the key does,
// but the key lies at their far end.
Vec Extended(const std::vector<Line>& lines, std::size_t stride, const Vec& candidate, double score)
{
    Vec way{};
    for (std::size_t n = 0; n < lines.size(); n += stride)
        if (LeadsTo(lines[n], candidate, kLineSlack))
            for (int c = 0; c < 3; ++c)
                way[c] += lines[n].mix * lines[n].direction[c];
    const double length = Length(way);
    if (length == 0.0)
        return candidate;
    Vec farthest = candidate;
    for (double step = kExtendStep;; step += kExtendStep) {
        Vec next{};
        for (int c = 0; c < 3; ++c)
            next[c] = candidate[c] + step * way[c] / length;
        if (*std::min_element(next.begin(), next.end()) < -kFaceSnap ||
            *std::max_element(next.begin(), next.end()) > kChannelMax + kFaceSnap ||
            Score(lines, stride, next) < kExtendKeep * score)
            return farthest;
        farthest = next;
    }
}

// candidate with the channels that moving it on brought to the cube's face, from near, put
// there: mattes are often pure colours, and the others are left where the lines meet.
Vec OntoFace(const Vec& candidate, const Vec& extended)
{
    Vec result = candidate;
    if (Length(Minus(extended, candidate)) > kSeedReach)
        return result;
    for (int c = 0; c < 3; ++c) {
        if (extended[c] <= kFaceSnap)
            result[c] = 0.0;
        else if (extended[c] >= kChannelMax - kFaceSnap)
            result[c] = kChannelMax;
    }
    return result;
}

constexpr int kCorners = 8;

// The cube's corner of that number, 0 to 7: one bit for each channel at 255.
Vec Corner(int corner)
{
    return {corner & 1 ? kChannelMax : 0.0, corner & 2 ? kChannelMax : 0.0, corner & 4 ? kChannelMax : 0.0};
}

// The most that a and b differ by in one channel.
double FarthestChannel(const Vec& a, const Vec& b)
{
    const Vec gap = Minus(a, b);
    return std::max({std::abs(gap[0]), std::abs(gap[1]), std::abs(gap[2])});
}

// colour with each channel within kCubeSnap of 0 or 255 put there.
Vec OnFace(Vec colour)
{
    for (double& level : colour)
        level = level <= kCubeSnap ? 0.0 : level >= kChannelMax - kCubeSnap ? kChannelMax : level;
    return colour;
}

// The best of the candidates: the lines' meeting point, the kept colour, and points refined
// from the rim pixels themselves (a fill's outermost rim lies within its tolerance of the key).
Vec BestCandidate(const std::vector<Line>& lines, const Vec& meeting, const Vec* kept)
{
    const std::size_t stride = std::max<std::size_t>(1, lines.size() / kScoredLines);
    std::vector<Vec> candidates{meeting};
    if (kept)
        candidates.push_back(*kept);
    const std::size_t seedStride = std::max<std::size_t>(1, lines.size() / kSeeds);
    for (std::size_t n = 0; n < lines.size(); n += seedStride)
        candidates.push_back(Refine(lines, stride, lines[n].point));
    // Mattes are often pure colours: the cube's corners are tried, and each candidate near the
    // cube's face is tried on it too.
    const std::size_t firstCorner = candidates.size();
    for (int corner = 0; corner < kCorners; ++corner)
        candidates.push_back(Corner(corner));
    const std::size_t found = candidates.size();
    for (std::size_t n = 0; n < found; ++n)
        candidates.push_back(OnFace(candidates[n]));
    std::vector<double> scores;
    scores.reserve(candidates.size());
    Vec best = meeting;
    double bestScore = -1.0;
    for (const Vec& candidate : candidates) {
        scores.push_back(Score(lines, stride, candidate));
        if (scores.back() > bestScore)
            best = candidate, bestScore = scores.back();
    }
    // A kept colour is exact where it is right: it wins when it explains the rim nearly as well.
    // Black is what most writers wipe to, so it earns no head start.
    if (kept && Length(*kept) > 0.0 && Score(lines, stride, *kept) >= bestScore - kKeptMargin)
        return *kept;
    // Near a pure colour that explains enough of the rim, the pure colour (see kCornerReach).
    for (int corner = 0; corner < kCorners; ++corner) {
        const Vec& pure = candidates[firstCorner + corner];
        if (FarthestChannel(pure, best) <= kCornerReach && scores[firstCorner + corner] >= kCornerShare * bestScore)
            return pure;
    }
    return OntoFace(best, Extended(lines, stride, best, bestScore));
}

}  // namespace

ArgbValue FindMatte(const PixelRows& image, ImageSize size, const ImageRect& area)
{
    const ImageRect inside = Overlap(area, WholeOf(size));
    Rim rim;
    try {
        if (inside.PixelCount() == 0 || !GatherRim(image, inside, rim))
            return kNoMatte;
        const std::vector<Line>& lines = rim.lines.Lines().empty() ? rim.faint.Lines() : rim.lines.Lines();
        const Vec kept = rim.kept.Median();
        const ArgbValue keptValue = kOpaqueBlack | (static_cast<ArgbValue>(kept[0]) << 16) |
                                    (static_cast<ArgbValue>(kept[1]) << 8) | static_cast<ArgbValue>(kept[2]);
        // No line to test it by: a kept colour is all there is, unless it is a wiped black.
        if (lines.empty())
            return rim.kept.total && keptValue != kOpaqueBlack ? keptValue : kNoMatte;
        // The colour the transparent pixels kept, where the rim leads to it, is the colour they
        // were cut from, exactly.
        // Black and white are what most writers wipe the transparent pixels to: there, they
        // are only candidates, scored as the others are. One other colour is no wipe: the fill
        // took the key alone, as it does beside a sprite drawn without anti-aliasing, whose rim
        // leads nowhere. Transparent pixels of more than one colour were not wiped either: a
        // cut-out kept the faint background it cleared. When they lie close together, that
        // background was flat and is the matte, even where the rim leans elsewhere: a thin dark
        // outline mixed with the key is darker than the subject behind it. Black wiped but for
        // a few pixels is no such background.
        const bool wiped = rim.kept.uniform && (keptValue == kOpaqueBlack || keptValue == kOpaqueWhite);
        const bool flat = !rim.kept.uniform && keptValue != kOpaqueBlack && rim.kept.Flat(kept);
        if (rim.kept.total && !wiped && (rim.kept.uniform || flat || RimLeadsTo(lines, kept)))
            return keptValue;
        // A subject drawn without anti-aliasing has no mix at its rim to measure, and its lines
        // lead anywhere: the colour kept is as likely as any, and the edge stays as it is.
        if (wiped && AliasedAgainst(image, inside, rim.distances, keptValue))
            return keptValue;
        const ArgbValue best =
            Opaque(BestCandidate(lines, MeetingPoint(lines, PalestEnd(lines)), rim.kept.total ? &kept : nullptr));
        // Behind transparent pixels all white, a rim that leads to black is a dark outline mixed
        // with white (a fill that kept the key alone), far likelier than a picture cut out of
        // black and saved wiped white.
        if (wiped && keptValue == kOpaqueWhite && ChannelDistance(best, kOpaqueBlack) <= kCubeSnap)
            return keptValue;
        return best;
    } catch (const std::bad_alloc&) {
        return kNoMatte;
    }
}
