// The view's pixels at any zoom, against a direct computation of the same pixels: the area
// average below 100%, the nearest-neighbour squares above it, and the checkerboard behind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "area_average.h"
#include "view_pixels.h"
#include "view_scale.h"

namespace {

// An image in memory, row by row, with a pattern no two neighbours share.
struct TestImage {
    ImageSize size;
    std::vector<ArgbValue> pixels;

    TestImage(std::uint32_t width, std::uint32_t height) : size{width, height}, pixels(std::size_t{width} * height)
    {
        for (std::uint32_t y = 0; y < height; ++y)
            for (std::uint32_t x = 0; x < width; ++x)
                pixels[std::size_t{y} * width + x] = Pattern(x, y);
    }
    static ArgbValue Pattern(std::uint32_t x, std::uint32_t y)
    {
        const std::uint32_t alpha = (x * 37 + y * 11) % 4 == 0 ? 0 : (x * 53 + y * 29) % 256;
        return alpha << 24 | (x * 97 + y * 13) % 256 << 16 | (x * 7 + y * 101) % 256 << 8 | (x * y + 3 * x) % 256;
    }
    PixelRows Rows(std::uint32_t x = 0, std::uint32_t y = 0)
    {
        return {&pixels[std::size_t{y} * size.width + x], std::ptrdiff_t{size.width} * 4};
    }
    ArgbValue At(std::uint32_t x, std::uint32_t y) const { return pixels[std::size_t{y} * size.width + x]; }
};

std::uint32_t Channel(ArgbValue pixel, int shift) { return pixel >> shift & 0xFF; }

// The box filter written out: the exact area of each image pixel that view pixel (vx, vy)
// covers, in premultiplied alpha, with doubles.
ArgbValue DirectAverage(const TestImage& image, ViewScale scale, std::uint32_t vx, std::uint32_t vy)
{
    const double n = scale.numerator, d = scale.denominator;
    const double left = vx * d / n, right = std::min<double>((vx + 1) * d / n, image.size.width);
    const double top = vy * d / n, bottom = std::min<double>((vy + 1) * d / n, image.size.height);
    double sums[4] = {}, area = 0;
    for (auto y = static_cast<std::uint32_t>(top); y < bottom; ++y)
        for (auto x = static_cast<std::uint32_t>(left); x < right; ++x) {
            const double w = (std::min<double>(x + 1, right) - std::max<double>(x, left)) *
                             (std::min<double>(y + 1, bottom) - std::max<double>(y, top));
            const ArgbValue p = image.At(x, y);
            const double alpha = Channel(p, 24);
            sums[0] += w * alpha;
            for (int c = 1; c < 4; ++c)
                sums[c] += w * alpha * Channel(p, 24 - 8 * c);
            area += w;
        }
    if (sums[0] == 0)
        return 0;
    ArgbValue result = static_cast<ArgbValue>(std::lround(sums[0] / area)) << 24;
    for (int c = 1; c < 4; ++c)
        result |= static_cast<ArgbValue>(std::lround(sums[c] / sums[0])) << (24 - 8 * c);
    return result;
}

// Each channel of a within one level of b's, for rounding done in another order.
bool WithinOneLevel(ArgbValue a, ArgbValue b)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(static_cast<int>(Channel(a, shift)) - static_cast<int>(Channel(b, shift))) > 1)
            return false;
    return true;
}

ArgbValue CheckerSquareAt(std::uint32_t vx, std::uint32_t vy)
{
    return (vx / kCheckerSquare + vy / kCheckerSquare) % 2 == 0 ? kCheckerWhite : kCheckerGrey;
}

}  // namespace

TEST(ViewPixels, EveryReducedPixelIsTheWeightedAverageOfTheAreaItCovers)
{
    TestImage image(37, 23);
    for (const ViewScale scale : {ViewScale{1, 2}, ViewScale{2, 3}, ViewScale{1, 3}, ViewScale{5, 16}, ViewScale{3, 7}}) {
        const ImageSize view{static_cast<std::uint32_t>(ViewLength(37, scale)),
                             static_cast<std::uint32_t>(ViewLength(23, scale))};
        std::vector<ArgbValue> out(view.width * view.height, 0xDEADBEEF);
        const ImageRect whole{0, 0, view.width, view.height};
        ASSERT_TRUE(AverageAreas(image.Rows(), image.size, scale, whole, {out.data(), std::ptrdiff_t{view.width} * 4}));
        for (std::uint32_t vy = 0; vy < view.height; ++vy)
            for (std::uint32_t vx = 0; vx < view.width; ++vx)
                EXPECT_PRED2(WithinOneLevel, out[vy * view.width + vx], DirectAverage(image, scale, vx, vy))
                    << "view pixel " << vx << ", " << vy << " at " << scale.numerator << "/" << scale.denominator;
    }
}

TEST(ViewPixels, APartOfTheReducedViewIsTheSameAsThatPartOfTheWhole)
{
    TestImage image(40, 30);
    const ViewScale scale{2, 5};
    const ImageRect part{3, 2, 7, 5};
    const ImageRect under = ImagePixelsUnder(part, image.size, scale);
    std::vector<ArgbValue> out(part.PixelCount());
    ASSERT_TRUE(AverageAreas(image.Rows(under.x, under.y), image.size, scale, part, {out.data(), std::ptrdiff_t{part.width} * 4}));
    for (std::uint32_t j = 0; j < part.height; ++j)
        for (std::uint32_t i = 0; i < part.width; ++i)
            EXPECT_PRED2(WithinOneLevel, out[j * part.width + i], DirectAverage(image, scale, part.x + i, part.y + j));
    // The view pixels that one image pixel touches are those whose areas meet it.
    const ImageRect covering = ViewPixelsCovering({10, 10, 1, 1}, image.size, scale);
    EXPECT_EQ(covering.x, 4u);
    EXPECT_EQ(covering.width, 1u);
}

TEST(ViewPixels, AScaleThatDoesNotReduceOrIsTooFineIsRefusedWithTheOutputUntouched)
{
    TestImage image(8, 8);
    std::vector<ArgbValue> out(16, 0x12345678);
    const PixelRows rows{out.data(), 16};
    EXPECT_FALSE(AverageAreas(image.Rows(), image.size, {1, 1}, {0, 0, 4, 4}, rows));
    EXPECT_FALSE(AverageAreas(image.Rows(), image.size, {3, 2}, {0, 0, 4, 4}, rows));
    EXPECT_FALSE(AverageAreas(image.Rows(), image.size, {1, kLargestAveragedDenominator + 1}, {0, 0, 1, 1}, rows));
    for (ArgbValue pixel : out)
        EXPECT_EQ(pixel, 0x12345678u);
}

TEST(ViewPixels, EnlargedPixelsAreExactSquaresOfTheImagePixelUnderThem)
{
    TestImage image(13, 9);
    for (const ViewScale scale : {ViewScale{2, 1}, ViewScale{3, 1}, ViewScale{3, 2}, ViewScale{32, 1}}) {
        const ImageRect viewRect{5, 3, 29, 17};  // starts inside a square, not at its edge
        const ImageRect shown = ImagePixelsShown(viewRect, image.size, scale);
        std::vector<ArgbValue> out(viewRect.PixelCount());
        EnlargeInto(image.Rows(shown.x, shown.y), image.size, scale, viewRect, {out.data(), std::ptrdiff_t{viewRect.width} * 4});
        for (std::uint32_t j = 0; j < viewRect.height; ++j)
            for (std::uint32_t i = 0; i < viewRect.width; ++i) {
                const auto x = ViewToImage(viewRect.x + i, scale), y = ViewToImage(viewRect.y + j, scale);
                if (x >= image.size.width || y >= image.size.height)
                    continue;  // past the image: the caller draws nothing there
                EXPECT_EQ(out[j * viewRect.width + i], image.At(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)))
                    << "view pixel " << viewRect.x + i << ", " << viewRect.y + j;
            }
    }
}

TEST(ViewPixels, TransparencyIsBlendedOverTheCheckerboardSquareBehindEachPixel)
{
    TestImage image(40, 20);
    const ImageRect viewRect{3, 5, 40, 20};  // view pixels whose squares start off the rectangle's edge
    std::vector<ArgbValue> out(image.pixels.size());
    CompositeOverCheckerboard(image.Rows(), viewRect, {out.data(), std::ptrdiff_t{image.size.width} * 4});
    for (std::uint32_t j = 0; j < viewRect.height; ++j)
        for (std::uint32_t i = 0; i < viewRect.width; ++i) {
            const ArgbValue p = image.At(i, j), square = CheckerSquareAt(viewRect.x + i, viewRect.y + j);
            const double alpha = Channel(p, 24) / 255.0;
            ArgbValue expected = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8)
                expected |= static_cast<ArgbValue>(std::lround(alpha * Channel(p, shift) + (1 - alpha) * Channel(square, shift)))
                            << shift;
            EXPECT_PRED2(WithinOneLevel, out[j * viewRect.width + i], expected) << "view pixel " << i << ", " << j;
        }
    // In place: the same rows in and out give the same pixels.
    std::vector<ArgbValue> inPlace = image.pixels;
    CompositeOverCheckerboard({inPlace.data(), 160}, viewRect, {inPlace.data(), 160});
    EXPECT_EQ(inPlace, out);
}
