// The view's pixels at every zoom: exact squares above 100%, area averages below it kept in a
// reduced copy that an edit updates in place, the checkerboard behind transparency, and 100%
// drawn as it always was. Drawn onto memory bitmaps and a real window, and read back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "image_canvas.h"
#include "reduced_view.h"
#include "test_support.h"
#include "ui_support.h"
#include "view_scale.h"

namespace {

constexpr DWORD kUntouched = 0x123456;  // what a surface holds before anything is drawn on it
constexpr ViewScale kActual = {1, 1};
constexpr ViewScale kDouble = {2, 1};
constexpr ViewScale kHalf = {1, 2};
constexpr ViewScale kFitLike = {1893, 4000};

// A 32-bit memory bitmap to draw on, filled with one colour, read back as 0x00RRGGBB.
class Surface {
public:
    Surface(int width, int height, DWORD colour = kUntouched) : width_(width), height_(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
        std::fill(bits_, bits_ + width * height, colour);
    }
    ~Surface()
    {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC Dc() const { return dc_; }
    DWORD At(int x, int y) const
    {
        GdiFlush();
        return bits_[y * width_ + x] & 0xFFFFFF;
    }
    std::vector<DWORD> All() const
    {
        GdiFlush();
        std::vector<DWORD> pixels(bits_, bits_ + width_ * height_);
        for (DWORD& pixel : pixels)
            pixel &= 0xFFFFFF;
        return pixels;
    }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    DWORD* bits_ = nullptr;
};

void Draw(HDC dc, const ImageHandle* image, const ReducedView* reduced, ViewScale scale, POINT origin,
          const RECT& area, bool checkerboard)
{
    ImageCanvas canvas(dc);
    canvas.DrawView(image, reduced, ViewPlace{scale, {origin.x, origin.y}}, area, checkerboard);
}

// An image whose pixels are given by a function of their position.
template <typename Colour>
ImageRef MakeImage(std::uint32_t width, std::uint32_t height, Colour colour)
{
    ImageRef image = CreateArgbImage(width, height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            image->SetPixel(x, y, colour(x, y));
    return image;
}

std::vector<ArgbValue> ViewPixels(const ReducedView& view)
{
    std::vector<ArgbValue> pixels;
    for (std::uint32_t y = 0; y < view.Size().height; ++y)
        pixels.insert(pixels.end(), view.Row(y), view.Row(y) + view.Size().width);
    return pixels;
}

int Channel(DWORD colour, int shift)
{
    return static_cast<int>((colour >> shift) & 0xFF);
}

// Colours as they look composited over a grey background of one value, within one step.
bool LooksLike(DWORD shown, ArgbValue colour, int background)
{
    const int alpha = static_cast<int>(colour >> 24);
    for (int shift : {0, 8, 16}) {
        const int expected = (Channel(colour, shift) * alpha + background * (255 - alpha) + 127) / 255;
        if (std::abs(Channel(shown, shift) - expected) > 1)
            return false;
    }
    return true;
}

}  // namespace

TEST(ViewDrawing, ScaleMapsCoordinatesByFloorAndLengthsByRounding)
{
    EXPECT_EQ(2, ViewLength(3, kHalf));  // 1.5 rounds up
    EXPECT_EQ(1, ViewLength(1, {1, 16}));  // never less than a pixel
    EXPECT_EQ(0, ViewLength(0, kHalf));
    EXPECT_EQ(1893, ViewLength(4000, kFitLike));
    EXPECT_EQ(6000000000, ViewLength(3000000000, kDouble));
    EXPECT_EQ(-1, ImageToView(-1, kHalf));
    EXPECT_EQ(-2, ViewToImage(-3, kDouble));
    EXPECT_EQ(2, ViewToImage(5, kDouble));
    EXPECT_EQ(2, ImageToView(3, {2, 3}));
    EXPECT_EQ(4, ViewToImage(3, {2, 3}));
    EXPECT_TRUE((ViewScale{3, 3}.IsActualSize()));
    EXPECT_TRUE(kDouble.Enlarges());
    EXPECT_FALSE(kHalf.Enlarges() || kHalf.IsActualSize());
}

TEST(ViewDrawing, ActualSizeWithoutCheckerboardIsDrawImagePartAndNothingIsDrawnWithoutAnImage)
{
    const ImageRef image = MakePatternImage(120, 90);  // every alpha
    const RECT area = {10, 10, 100, 70};
    const POINT origin = {7, 5};
    Surface drawn(130, 100, kWhite), expected(130, 100, kWhite);
    Draw(drawn.Dc(), image.get(), nullptr, kActual, origin, area, false);
    {
        ImageCanvas canvas(expected.Dc());
        canvas.DrawImagePart(image.get(), {10, 10}, {17, 15}, {90, 60});
    }
    EXPECT_TRUE(drawn.All() == expected.All());

    Surface blank(130, 100);
    const ImageHandle empty;
    ReducedView otherZoom;
    ASSERT_TRUE(otherZoom.Build(*image, {1, 3}));
    Draw(blank.Dc(), nullptr, nullptr, kActual, {}, area, true);
    Draw(blank.Dc(), &empty, nullptr, kDouble, {}, area, true);
    Draw(blank.Dc(), image.get(), nullptr, kHalf, {}, area, true);     // no reduced view
    Draw(blank.Dc(), image.get(), &otherZoom, kHalf, {}, area, true);  // one of another zoom
    Draw(blank.Dc(), image.get(), nullptr, kDouble, {240, 0}, area, true);  // scrolled past it
    EXPECT_TRUE(blank.All() == std::vector<DWORD>(130 * 100, kUntouched));
}

TEST(ViewDrawing, EnlargedPixelsAreExactSquaresBlendedAsAtActualSize)
{
    const ImageRef image = MakePatternImage(30, 20);
    Surface actual(30, 20, kWhite);
    Draw(actual.Dc(), image.get(), nullptr, kActual, {}, {0, 0, 30, 20}, false);
    for (std::uint32_t zoom : {2u, 3u}) {
        // Scrolled by an odd number of pixels, and drawn into part of the surface only.
        Surface zoomed(80, 60, kWhite);
        const POINT origin = {5, 3};
        const RECT area = {4, 2, 70, 50};
        Draw(zoomed.Dc(), image.get(), nullptr, {zoom, 1}, origin, area, false);
        int wrong = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x) {
                const POINT point = {x, y};
                const int viewX = x + origin.x, viewY = y + origin.y;
                const bool shown = PtInRect(&area, point) && viewX < 30 * static_cast<int>(zoom) &&
                                   viewY < 20 * static_cast<int>(zoom);
                const DWORD expected = shown ? actual.At(viewX / static_cast<int>(zoom), viewY / static_cast<int>(zoom))
                                             : kWhite;
                if (zoomed.At(x, y) != expected && ++wrong <= 3)
                    ADD_FAILURE() << "at " << zoom << "x, device (" << x << ", " << y << ") is " << std::hex
                                  << zoomed.At(x, y) << ", not " << expected;
            }
        EXPECT_EQ(0, wrong) << zoom << "x";
    }
}

TEST(ViewDrawing, ReducedPixelsAreAreaAveragesInPremultipliedAlpha)
{
    // One-pixel stripes of black and white, across and down: grey at every reducing zoom,
    // where sampling would give black or white or a moiré of both.
    const ImageRef across = MakeImage(400, 300, [](std::uint32_t x, std::uint32_t) {
        return x % 2 ? kOpaqueWhite : kOpaqueBlack;
    });
    const ImageRef down = MakeImage(400, 300, [](std::uint32_t, std::uint32_t y) {
        return y % 2 ? kOpaqueWhite : kOpaqueBlack;
    });
    for (const ViewScale scale : {kHalf, kFitLike, ViewScale{2, 3}, ViewScale{50000, 100003}})
        for (const ImageHandle* image : {across.get(), down.get()}) {
            ReducedView view;
            ASSERT_TRUE(view.Build(*image, scale));
            ASSERT_EQ(ViewLength(400, scale), view.Size().width);
            ASSERT_EQ(ViewLength(300, scale), view.Size().height);
            // A view pixel covers between 1.5 and 2.2 stripes, so its share of white lies
            // between 1/3 and 2/3, but 1/2 on the average. The last row and column may reach
            // past the image, and cover as little as one stripe.
            for (std::uint32_t y = 0; y + 1 < view.Size().height; ++y)
                for (std::uint32_t x = 0; x + 1 < view.Size().width; ++x) {
                    const ArgbValue pixel = view.Row(y)[x];
                    ASSERT_TRUE(pixel >> 24 == 0xFF && Channel(pixel, 0) >= 85 && Channel(pixel, 0) <= 170 &&
                                (pixel & 0xFF) == ((pixel >> 16) & 0xFF))
                        << std::hex << pixel << std::dec << " at " << scale.numerator << "/" << scale.denominator
                        << ", (" << x << ", " << y << ")";
                }
            if (scale.denominator == 2) {
                EXPECT_NEAR(127.5, Channel(view.Row(7)[9], 8), 0.5);  // an even share, 127.5 rounded
            }
        }

    // Transparent red beside opaque blue: half transparent blue, with no red in it.
    const ImageRef mixed = MakeImage(40, 30, [](std::uint32_t x, std::uint32_t y) {
        return (x + y) % 2 ? 0xFF0000FFu : 0x00FF0000u;
    });
    for (const ViewScale scale : {kHalf, kFitLike}) {
        ReducedView view;
        ASSERT_TRUE(view.Build(*mixed, scale));
        const ArgbValue pixel = view.Row(3)[4];
        EXPECT_EQ(0x0000FFu, pixel & 0xFFFFFF) << std::hex << pixel;
        // An even share at 1/2; at the fraction the share of blue varies from pixel to pixel.
        EXPECT_NEAR(128, static_cast<int>(pixel >> 24), scale.denominator == 2 ? 1 : 30) << std::hex << pixel;
    }
    ReducedView none;
    EXPECT_FALSE(none.Build(ImageHandle(), kHalf));
    EXPECT_FALSE(none.Build(*mixed, kDouble));
    EXPECT_FALSE(none.IsBuilt());
    EXPECT_EQ(0u, none.Bytes());
}

TEST(ViewDrawing, AnUpdateMakesAgainTheChangedRectangleOnlyAsAFreshBuildWouldMakeIt)
{
    for (const ViewScale scale : {kFitLike, ViewScale{2, 3}, ViewScale{1, 4}}) {
        const ImageRef image = MakePatternImage(203, 157);
        ReducedView view;
        ASSERT_TRUE(view.Build(*image, scale));
        const std::vector<ArgbValue> before = ViewPixels(view);
        EXPECT_EQ(std::size_t{view.Size().width} * view.Size().height * 4, view.Bytes());

        // Two rectangles change, one at the bottom-right corner, but only the first is updated.
        const ImageRect updated = {31, 17, 45, 38};
        const ImageRect corner = {180, 140, 23, 17};
        for (const ImageRect& rect : {updated, corner}) {
            std::vector<ArgbValue> pixels(rect.PixelCount(), 0x80FF00FFu);
            ASSERT_TRUE(image->SwapPixels(rect, pixels.data()));
        }
        view.Update(*image, updated);
        ReducedView fresh;
        ASSERT_TRUE(fresh.Build(*image, scale));
        const std::vector<ArgbValue> rebuilt = ViewPixels(fresh);
        const std::vector<ArgbValue> after = ViewPixels(view);
        std::size_t changed = 0, stale = 0;
        for (std::size_t i = 0; i < after.size(); ++i) {
            changed += after[i] != before[i];
            stale += after[i] != rebuilt[i];
            ASSERT_TRUE(after[i] == rebuilt[i] || after[i] == before[i]) << i;
        }
        EXPECT_GT(changed, 0u);
        EXPECT_GT(stale, 0u);  // the corner, not updated yet
        view.Update(*image, {170, 130, 100, 100});  // reaching past the image
        EXPECT_TRUE(ViewPixels(view) == rebuilt);
    }
}

TEST(ViewDrawing, CheckerboardShowsThroughTransparencyAnchoredAtTheImage)
{
    // Bands of 8 image pixels: alpha 0, 128 and 255, with colours that differ from the squares.
    const ArgbValue bands[] = {0x00FF0000u, 0x80203040u, 0xFF2060A0u};
    const ImageRef image = MakeImage(48, 40, [&](std::uint32_t x, std::uint32_t) { return bands[x / 8 % 3]; });
    const POINT origin = {5, 3};
    const RECT area = {2, 1, 60, 50};
    for (const ViewScale scale : {kActual, kDouble, kHalf}) {
        ReducedView reduced;
        if (!scale.Enlarges() && !scale.IsActualSize()) {
            ASSERT_TRUE(reduced.Build(*image, scale));
        }
        Surface surface(64, 56);
        Draw(surface.Dc(), image.get(), &reduced, scale, origin, area, true);
        const int viewWidth = static_cast<int>(ViewLength(48, scale));
        const int viewHeight = static_cast<int>(ViewLength(40, scale));
        int wrong = 0;
        for (int y = 0; y < 56; ++y)
            for (int x = 0; x < 64; ++x) {
                const POINT point = {x, y};
                const int viewX = x + origin.x, viewY = y + origin.y;
                const DWORD shown = surface.At(x, y);
                bool right;
                if (!PtInRect(&area, point) || viewX >= viewWidth || viewY >= viewHeight) {
                    right = shown == kUntouched;
                } else {
                    const int square = ((viewX / 8) ^ (viewY / 8)) & 1 ? 204 : 255;
                    const ArgbValue colour = bands[ViewToImage(viewX, scale) / 8 % 3];
                    right = LooksLike(shown, colour, square);
                }
                if (!right && ++wrong <= 3)
                    ADD_FAILURE() << "at " << scale.numerator << "/" << scale.denominator << ", device (" << x
                                  << ", " << y << ") is " << std::hex << shown;
            }
        EXPECT_EQ(0, wrong) << scale.numerator << "/" << scale.denominator;
    }

    // The same pixels on a window of the screen.
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 64,
                                  56, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(window);
    PumpMessages();
    Surface surface(64, 56, kWhite);
    HDC windowDc = GetDC(window);
    for (HDC dc : {windowDc, surface.Dc()}) {
        RECT all = {0, 0, 64, 56};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        Draw(dc, image.get(), nullptr, kDouble, origin, area, true);
    }
    ReleaseDC(window, windowDc);
    const ClientPixels shot = CaptureClient(window);
    DestroyWindow(window);
    EXPECT_TRUE(shot.pixels == surface.All());
}
