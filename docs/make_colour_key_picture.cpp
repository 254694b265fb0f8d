// Draws the README's picture of "この色を透明にする": the same logo before and after the
// command, each over a dark backdrop. The logo is drawn anti-aliased (16 × 16 samples a
// pixel) over white, as a logo saved flat on its background is; the colour work then makes
// white transparent from the top-left pixel, connected, tolerance 8, with clean edges, as the
// dialog starts. Writes the PNG named on the command line. Built natively with the pixel
// library's own sources by make_colour_key_picture.sh.
#include <png.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "colour_key.h"

namespace {

constexpr std::uint32_t kWidth = 360;
constexpr std::uint32_t kHeight = 240;
constexpr int kSamples = 16;
constexpr std::uint32_t kGap = 12;
constexpr ArgbValue kBackdrop = 0xFF202830u;

struct Colour {
    double red, green, blue;
};

// The logo's colour at a point, or no colour (the background) for false.
bool LogoAt(double x, double y, Colour& colour)
{
    const double disc = std::hypot(x - 130, y - 120);
    const double ring = std::hypot(x - 265, y - 120);
    if (disc < 38) {
        colour = {250, 200, 215};  // a pastel disc inside
        return true;
    }
    if (disc < 90) {
        colour = {210, 30, 60};  // a saturated disc
        return true;
    }
    if (ring >= 45 && ring < 62) {
        colour = {30, 40, 70};  // a dark ring around a hole of background
        return true;
    }
    const double stroke = std::fabs((x - 200) - (y - 20) * 0.3);
    if (y > 20 && y < 220 && stroke < 2.0) {
        colour = {40, 120, 60};  // a thin slanted line
        return true;
    }
    return false;
}

ArgbValue Pack(const Colour& colour)
{
    auto channel = [](double value) { return static_cast<ArgbValue>(std::lround(value)) & 0xFFu; };
    return 0xFF000000u | channel(colour.red) << 16 | channel(colour.green) << 8 | channel(colour.blue);
}

// The logo flattened over white, each pixel the mean of its samples.
std::vector<ArgbValue> DrawLogo()
{
    std::vector<ArgbValue> pixels(std::size_t{kWidth} * kHeight);
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            Colour sum = {0, 0, 0};
            for (int j = 0; j < kSamples; ++j)
                for (int i = 0; i < kSamples; ++i) {
                    Colour colour = {255, 255, 255};
                    LogoAt(x + (i + 0.5) / kSamples, y + (j + 0.5) / kSamples, colour);
                    sum = {sum.red + colour.red, sum.green + colour.green, sum.blue + colour.blue};
                }
            const double count = kSamples * kSamples;
            pixels[std::size_t{y} * kWidth + x] = Pack({sum.red / count, sum.green / count, sum.blue / count});
        }
    return pixels;
}

// Straight ARGB composited over the opaque backdrop, as red, green, blue bytes.
void Composite(ArgbValue pixel, unsigned char* out)
{
    const unsigned alpha = pixel >> 24;
    for (int shift = 16, i = 0; shift >= 0; shift -= 8, ++i) {
        const unsigned over = (pixel >> shift) & 0xFFu;
        const unsigned under = (kBackdrop >> shift) & 0xFFu;
        out[i] = static_cast<unsigned char>((over * alpha + under * (255 - alpha) + 127) / 255);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s picture.png\n", argv[0]);
        return 2;
    }
    std::vector<ArgbValue> logo = DrawLogo();
    ColourKeyOptions options;
    options.key = 0xFFFFFFFFu;
    options.area = {0, 0, kWidth, kHeight};
    ColourKeyResult result;
    if (!MakeColourTransparent({logo.data(), static_cast<std::ptrdiff_t>(kWidth * sizeof(ArgbValue))},
                               {kWidth, kHeight}, options, result))
        return 1;
    std::vector<ArgbValue> after = logo;
    for (std::uint32_t y = 0; y < result.changed.height; ++y)
        for (std::uint32_t x = 0; x < result.changed.width; ++x)
            after[std::size_t{result.changed.y + y} * kWidth + result.changed.x + x] =
                result.pixels[std::size_t{y} * result.changed.width + x];

    // Before on the left, after on the right, the backdrop between and around them.
    const std::uint32_t width = 2 * kWidth + 3 * kGap;
    const std::uint32_t height = kHeight + 2 * kGap;
    std::vector<unsigned char> rgb(std::size_t{width} * height * 3);
    for (std::size_t i = 0; i < std::size_t{width} * height; ++i)
        Composite(kBackdrop, &rgb[i * 3]);
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            const std::size_t row = std::size_t{y + kGap} * width;
            Composite(logo[std::size_t{y} * kWidth + x], &rgb[(row + kGap + x) * 3]);
            Composite(after[std::size_t{y} * kWidth + x], &rgb[(row + 2 * kGap + kWidth + x) * 3]);
        }
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, argv[1], 0, rgb.data(), 0, nullptr)) {
        std::fprintf(stderr, "%s\n", image.message);
        return 1;
    }
    return 0;
}
