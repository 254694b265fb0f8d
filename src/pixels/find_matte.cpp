// The matte an edge is mixed with, measured from the picture: each pixel at the rim of the
// transparent part lies on the line from the subject's colour behind it to the matte M, so M is
// where those lines meet, found by least squares. Where the lines are all alike (a subject of
// one colour, or a black outline) they leave M free along them, and the palest end of the rim
// settles it. When the transparent pixels kept a colour and the rim leads to it, that colour
// is the matte.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#include "alpha_distance.h"
#include "refine_edge.h"

namespace {

using Vec = std::array<double, 3>;  // red, green, blue, 0 to 255

constexpr std::uint8_t kSubjectDepth = 3;          // a pixel this far from the transparent part is the subject
constexpr int kInwardSteps = 2;                    // from a rim pixel to the subject's pixel behind it
constexpr double kSmallestMix = 24.0;              // nearer its subject than this, a rim pixel shows no line
constexpr std::size_t kMostLines = std::size_t{1} << 16;
constexpr double kPriorWeight = 1e-3;              // per line: pulls M only where the lines leave it free
constexpr double kLineSlack = 4.0;                 // levels a good line may pass from M
constexpr double kOutlierFactor = 3.0;             // a line this many medians from M is dropped
constexpr int kRobustRounds = 2;
constexpr double kKeptAgreement = 0.5;             // the mean cosine of the rim's lean towards the kept colour
// Many writers wipe the transparent pixels' colour to black: kept black must be led to clearly.
constexpr double kBlackAgreement = 0.9;
constexpr std::uint32_t kKeptSampling = 2;         // every second pixel of every second row
constexpr double kPalestShare = 0.05;              // the palest share of the rim marks M's end
constexpr double kCubeSnap = 16.0;                 // a palest end this near the cube's face is on it
constexpr double kChannelMax = 255.0;
constexpr double kFaceSnap = 1.5;                  // a channel this near 0 or 255 is taken as on it
constexpr ArgbValue kNoMatte = kOpaqueWhite;

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

// Per channel, how many of the transparent pixels looked at hold each level.
struct KeptColours {
    std::array<std::array<std::size_t, 256>, 3> counts{};
    std::size_t total = 0;

    void Add(ArgbValue value)
    {
        const Vec c = ColourOf(value);
        for (int i = 0; i < 3; ++i)
            ++counts[i][static_cast<int>(c[i])];
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
};

// What the search gathers from the picture.
struct Rim {
    LineSet lines;
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
    if (mix < kSmallestMix)
        return;
    rim.lines.Add(Line{pixel, {d[0] / mix, d[1] / mix, d[2] / mix}, mix});
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
// still lean that way; a colour wiped to black, under a matte of another colour, leans the
// other way.
bool RimLeadsTo(const std::vector<Line>& lines, const Vec& colour)
{
    const double needed = Length(colour) == 0.0 ? kBlackAgreement : kKeptAgreement;
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
    return weight > 0.0 && agreement >= needed * weight;
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
    AlphaDistances distances;
    if (!rim.lines.Reserve() || !MeasureAlphaDistances(image, area, kSubjectDepth, distances))
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

}  // namespace

ArgbValue FindMatte(const PixelRows& image, ImageSize size, const ImageRect& area)
{
    const ImageRect inside = Overlap(area, WholeOf(size));
    Rim rim;
    try {
        if (inside.PixelCount() == 0 || !GatherRim(image, inside, rim))
            return kNoMatte;
        const std::vector<Line>& lines = rim.lines.Lines();
        const Vec kept = rim.kept.Median();
        const ArgbValue keptValue = kOpaqueBlack | (static_cast<ArgbValue>(kept[0]) << 16) |
                                    (static_cast<ArgbValue>(kept[1]) << 8) | static_cast<ArgbValue>(kept[2]);
        // No line to test it by: a kept colour is all there is, unless it is a wiped black.
        if (lines.empty())
            return rim.kept.total && keptValue != kOpaqueBlack ? keptValue : kNoMatte;
        // The colour the transparent pixels kept, where the rim leads to it, is the colour they
        // were cut from, exactly.
        if (rim.kept.total && RimLeadsTo(lines, kept))
            return keptValue;
        return Opaque(MeetingPoint(lines, PalestEnd(lines)));
    } catch (const std::bad_alloc&) {
        return kNoMatte;
    }
}
