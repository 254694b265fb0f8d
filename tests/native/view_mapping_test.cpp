// The one mapping between client points and image pixels, at any zoom and scroll position.
#include <gtest/gtest.h>

#include <cstdint>

#include "view_scale.h"

TEST(ViewMapping, EachClientPixelShowsTheImagePixelWhoseSquareHoldsItAndBackAgain)
{
    for (const ViewScale scale : {ViewScale{1, 1}, ViewScale{3, 1}, ViewScale{1, 3}, ViewScale{1893, 4000}}) {
        const ViewPlace place{scale, {37, 5}};
        for (std::int64_t x = -20; x < 200; ++x) {
            const ViewPoint image = ClientToImage({x, 0}, place);
            // The image pixel shown begins at or before the client pixel; at or above 100% the
            // client pixel lies in the square of screen pixels it covers, and below 100% the
            // next image pixel lies in the same or the next screen pixel.
            EXPECT_LE(ImageToClient(image, place).x, x);
            if (scale.numerator >= scale.denominator)
                EXPECT_GT(ImageToClient({image.x + 1, 0}, place).x, x);
            else
                EXPECT_LE(ImageToClient({image.x + 1, 0}, place).x, x + 1);
        }
    }
    // At 300% pixel p covers client 3p to 3p + 2, less the scroll.
    const ViewPlace triple{{3, 1}, {6, 9}};
    EXPECT_EQ(ClientToImage({0, 0}, triple).x, 2);
    EXPECT_EQ(ClientToImage({2, 0}, triple).x, 2);
    EXPECT_EQ(ClientToImage({3, 0}, triple).x, 3);
    EXPECT_EQ(ImageToClient({10, 10}, triple).y, 21);
    // Left of the view lie negative pixels, not pixel 0: at 1/2 view pixel -1 covers -2 and -1.
    EXPECT_EQ(ClientToImage({-1, -1}, ViewPlace{{1, 2}, {0, 0}}).x, -2);
}

TEST(ViewMapping, AZoomAboutAPointKeepsTheImagePointUnderIt)
{
    const ViewPlace place{{1, 1}, {100, 40}};
    const ViewPoint anchor{250, 130};
    // 100% → 200%: image point 350.5 (the anchor pixel's left edge is 350) goes to view 700.
    const ViewPoint doubled = OriginKeeping(anchor, place, {2, 1});
    EXPECT_EQ(doubled.x + anchor.x, 700);
    EXPECT_EQ(doubled.y + anchor.y, 340);
    EXPECT_EQ(ClientToImage(anchor, {{2, 1}, doubled}).x, ClientToImage(anchor, place).x);
    // Out and back in gives the place it started from.
    const ViewPoint third = OriginKeeping(anchor, place, {1, 3});
    const ViewPoint back = OriginKeeping(anchor, {{1, 3}, third}, {1, 1});
    EXPECT_NEAR(static_cast<double>(back.x), 100.0, 3.0);
    // A fraction of the fit kind: the point under the anchor moves less than a screen pixel.
    const ViewScale fit{1032, 3000};
    const ViewPoint fitted = OriginKeeping(anchor, place, fit);
    const double imageX = 350.0, viewX = imageX * 1032 / 3000;
    EXPECT_NEAR(static_cast<double>(fitted.x + anchor.x), viewX, 0.5);
}
