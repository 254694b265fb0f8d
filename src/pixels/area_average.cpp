#include "area_average.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

// Sums of at most this denominator fit in 32 bits: a premultiplied channel is at most
// 255 × 255, and the weights of the image rows under one view row add up to the denominator.
constexpr std::uint64_t kLargestNarrowDenominator = 0xFFFFFFFFull / (255 * 255);
constexpr int kChannels = 4;  // alpha, red, green, blue, in that order in the sums

// How the image pixels along one direction fall into the view pixels along it. Measured in
// units of 1 / n image pixel (n/d the scale), image pixel i spans [i*n, (i+1)*n) and view
// pixel v spans [v*d, (v+1)*d); the weight of an image pixel in a view pixel is the length
// of their overlap, so every weight is a whole number.
struct Coverage {
    std::vector<std::uint32_t> first;    // per view pixel: its first image pixel, from the range's start
    std::vector<std::uint32_t> begin;    // per view pixel and one more: where its weights begin
    std::vector<std::uint32_t> weights;  // the weights of its image pixels, in order
    std::vector<std::uint64_t> total;    // per view pixel: the sum of its weights

    std::uint32_t Count(std::size_t view) const { return begin[view + 1] - begin[view]; }
};

// The coverage of view pixels [viewFrom, viewTo) over an image length of imageLength, with
// the image pixels counted from imageFrom, the first one the range covers.
Coverage CoverageOf(std::uint32_t viewFrom, std::uint32_t viewTo, std::uint32_t imageLength, std::uint32_t imageFrom,
                    ViewScale scale)
{
    const std::uint64_t n = scale.numerator;
    const std::uint64_t d = scale.denominator;
    const std::uint64_t end = std::uint64_t{imageLength} * n;
    Coverage coverage;
    coverage.begin.push_back(0);
    for (std::uint64_t v = viewFrom; v < viewTo; ++v) {
        const std::uint64_t from = v * d;
        const std::uint64_t to = std::min((v + 1) * d, end);
        const std::uint64_t firstPixel = from / n;
        coverage.first.push_back(static_cast<std::uint32_t>(firstPixel - imageFrom));
        for (std::uint64_t i = firstPixel; i * n < to; ++i)
            coverage.weights.push_back(static_cast<std::uint32_t>(std::min((i + 1) * n, to) - std::max(i * n, from)));
        coverage.begin.push_back(static_cast<std::uint32_t>(coverage.weights.size()));
        coverage.total.push_back(to - from);
    }
    return coverage;
}

// Adds one image row, each pixel premultiplied and weighted, to the sums of its columns.
template <typename Sum>
void AddWeightedRow(const ArgbValue* row, std::uint32_t count, std::uint32_t weight, Sum* sums)
{
    for (std::uint32_t i = 0; i < count; ++i) {
        const ArgbValue pixel = row[i];
        const Sum weightedAlpha = static_cast<Sum>(weight) * (pixel >> 24);
        Sum* sum = sums + std::size_t{i} * kChannels;
        sum[0] += weightedAlpha;
        sum[1] += weightedAlpha * ((pixel >> 16) & 0xFF);
        sum[2] += weightedAlpha * ((pixel >> 8) & 0xFF);
        sum[3] += weightedAlpha * (pixel & 0xFF);
    }
}

std::uint32_t Channel(double value)
{
    return value >= 255.0 ? 255u : static_cast<std::uint32_t>(value + 0.5);
}

// A straight ARGB pixel from sums of premultiplied channels over an area: the alpha is the
// mean alpha, each colour its sum divided by the alpha's, which undoes the premultiplying.
ArgbValue StraightPixel(std::uint64_t alpha, std::uint64_t red, std::uint64_t green, std::uint64_t blue,
                        std::uint64_t area)
{
    if (alpha == 0)
        return 0;
    // In floating point: four integer divisions of 64 bits a pixel would take longer than all
    // the rest of the averaging. A double holds each sum to a part in 2^52 or better, far
    // finer than the rounding to 8 bits.
    const double perAlpha = 1.0 / static_cast<double>(alpha);
    const ArgbValue meanAlpha = Channel(static_cast<double>(alpha) / static_cast<double>(area));
    return meanAlpha << 24 | Channel(static_cast<double>(red) * perAlpha) << 16 |
           Channel(static_cast<double>(green) * perAlpha) << 8 | Channel(static_cast<double>(blue) * perAlpha);
}

// Averages the column sums of one view row into its view pixels.
template <typename Sum>
void FinishRow(const Sum* sums, const Coverage& columns, std::uint64_t rowTotal, ArgbValue* out)
{
    for (std::size_t v = 0; v < columns.first.size(); ++v) {
        const Sum* sum = sums + std::size_t{columns.first[v]} * kChannels;
        const std::uint32_t* weight = columns.weights.data() + columns.begin[v];
        std::uint64_t alpha = 0, red = 0, green = 0, blue = 0;
        for (std::uint32_t k = 0; k < columns.Count(v); ++k, sum += kChannels) {
            alpha += std::uint64_t{weight[k]} * sum[0];
            red += std::uint64_t{weight[k]} * sum[1];
            green += std::uint64_t{weight[k]} * sum[2];
            blue += std::uint64_t{weight[k]} * sum[3];
        }
        out[v] = StraightPixel(alpha, red, green, blue, rowTotal * columns.total[v]);
    }
}

// The rows first, then the columns: each image row is read once for each view row it falls
// in (once or twice), and the columns are then averaged over the view's rows only.
template <typename Sum>
void AverageRowsThenColumns(const PixelRows& image, std::uint32_t imageColumns, const Coverage& rows,
                            const Coverage& columns, const PixelRows& out)
{
    std::vector<Sum> sums(std::size_t{imageColumns} * kChannels);
    for (std::size_t v = 0; v < rows.first.size(); ++v) {
        std::fill(sums.begin(), sums.end(), Sum{0});
        const std::uint32_t* weight = rows.weights.data() + rows.begin[v];
        for (std::uint32_t k = 0; k < rows.Count(v); ++k)
            AddWeightedRow(image.Row(rows.first[v] + k), imageColumns, weight[k], sums.data());
        FinishRow(sums.data(), columns, rows.total[v], out.Row(static_cast<std::uint32_t>(v)));
    }
}

// The view pixels along one direction whose areas meet image pixels [from, to).
void ViewRangeCovering(std::uint64_t from, std::uint64_t to, std::uint32_t viewLength, ViewScale scale,
                       std::uint32_t& viewFrom, std::uint32_t& viewTo)
{
    const std::uint64_t n = scale.numerator;
    const std::uint64_t d = scale.denominator;
    viewFrom = static_cast<std::uint32_t>(std::min<std::uint64_t>(from * n / d, viewLength));
    viewTo = static_cast<std::uint32_t>(std::min<std::uint64_t>((to * n + d - 1) / d, viewLength));
}

// The image pixels along one direction that view pixels [from, to) cover.
void ImageRangeUnder(std::uint64_t from, std::uint64_t to, std::uint32_t imageLength, ViewScale scale,
                     std::uint32_t& imageFrom, std::uint32_t& imageTo)
{
    const std::uint64_t n = scale.numerator;
    const std::uint64_t d = scale.denominator;
    imageFrom = static_cast<std::uint32_t>(std::min<std::uint64_t>(from * d / n, imageLength));
    imageTo = static_cast<std::uint32_t>(std::min<std::uint64_t>((to * d + n - 1) / n, imageLength));
}

}  // namespace

ImageRect ViewPixelsCovering(const ImageRect& imageRect, ImageSize imageSize, ViewScale scale)
{
    if (imageRect.width == 0 || imageRect.height == 0)
        return {};
    const ViewScale lowest = Reduced(scale);
    // Clipped to the image first, which keeps the products below within 64 bits.
    const std::uint64_t right = std::min<std::uint64_t>(std::uint64_t{imageRect.x} + imageRect.width, imageSize.width);
    const std::uint64_t bottom =
        std::min<std::uint64_t>(std::uint64_t{imageRect.y} + imageRect.height, imageSize.height);
    std::uint32_t xFrom, xTo, yFrom, yTo;
    ViewRangeCovering(std::min(imageRect.x, imageSize.width), right,
                      static_cast<std::uint32_t>(ViewLength(imageSize.width, lowest)), lowest, xFrom, xTo);
    ViewRangeCovering(std::min(imageRect.y, imageSize.height), bottom,
                      static_cast<std::uint32_t>(ViewLength(imageSize.height, lowest)), lowest, yFrom, yTo);
    return FromEdges(xFrom, yFrom, xTo, yTo);
}

ImageRect ImagePixelsUnder(const ImageRect& viewRect, ImageSize imageSize, ViewScale scale)
{
    if (viewRect.width == 0 || viewRect.height == 0)
        return {};
    const ViewScale lowest = Reduced(scale);
    std::uint32_t xFrom, xTo, yFrom, yTo;
    ImageRangeUnder(viewRect.x, std::uint64_t{viewRect.x} + viewRect.width, imageSize.width, lowest, xFrom, xTo);
    ImageRangeUnder(viewRect.y, std::uint64_t{viewRect.y} + viewRect.height, imageSize.height, lowest, yFrom, yTo);
    return FromEdges(xFrom, yFrom, xTo, yTo);
}

bool AverageAreas(const PixelRows& image, ImageSize imageSize, ViewScale scale, const ImageRect& viewRect,
                  const PixelRows& out)
{
    const ViewScale lowest = Reduced(scale);
    if (!(lowest.numerator < lowest.denominator) || lowest.denominator > kLargestAveragedDenominator)
        return false;
    const ImageRect under = ImagePixelsUnder(viewRect, imageSize, lowest);
    if (under.width == 0 || under.height == 0)
        return false;
    try {
        const Coverage columns = CoverageOf(viewRect.x, viewRect.x + viewRect.width, imageSize.width, under.x, lowest);
        const Coverage rows = CoverageOf(viewRect.y, viewRect.y + viewRect.height, imageSize.height, under.y, lowest);
        if (lowest.denominator <= kLargestNarrowDenominator)
            AverageRowsThenColumns<std::uint32_t>(image, under.width, rows, columns, out);
        else
            AverageRowsThenColumns<std::uint64_t>(image, under.width, rows, columns, out);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
