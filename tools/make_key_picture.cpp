// Writes the README's picture of the colour work: the same logo, drawn on white, before and
// after white is made transparent, each over a dark backdrop, with a part of its edge enlarged
// four times below. Made, from the top of the source tree, by:
//   make key-picture
// which builds it with the "native-bench" preset and writes docs/colour_key.png.
#include <png.h>

#include <cstdio>
#include <vector>

#include "colour_key.h"
#include "key_truth.h"

namespace {

constexpr std::uint32_t kGap = 16;
constexpr std::uint32_t kZoom = 4;
constexpr ImageRect kEnlarged{60, 70, 150, 60};  // a part of the red disc's edge
constexpr ArgbValue kBackdrop = 0x24262E;
constexpr std::uint32_t kTolerance = 8;

struct Canvas {
    std::uint32_t width, height;
    std::vector<unsigned char> rgb;

    Canvas(std::uint32_t w, std::uint32_t h) : width(w), height(h), rgb(std::size_t{w} * h * 3)
    {
        for (std::size_t i = 0; i < rgb.size(); i += 3) {
            rgb[i] = (kBackdrop >> 16) & 0xFF;
            rgb[i + 1] = (kBackdrop >> 8) & 0xFF;
            rgb[i + 2] = kBackdrop & 0xFF;
        }
    }

    // Puts value, composited over the backdrop, in the square of side size at (x, y).
    void Put(std::uint32_t x, std::uint32_t y, ArgbValue value, std::uint32_t size)
    {
        const unsigned alpha = value >> 24;
        for (std::uint32_t j = 0; j < size; ++j) {
            for (std::uint32_t i = 0; i < size; ++i) {
                unsigned char* out = &rgb[(std::size_t{y + j} * width + x + i) * 3];
                for (int c = 0; c < 3; ++c) {
                    const unsigned colour = (value >> (16 - 8 * c)) & 0xFF;
                    const unsigned backdrop = (kBackdrop >> (16 - 8 * c)) & 0xFF;
                    out[c] = static_cast<unsigned char>((colour * alpha + backdrop * (255 - alpha) + 127) / 255);
                }
            }
        }
    }
};

// Draws pixels (kTruthWidth wide) at left: whole at the top, the enlarged part below.
void DrawPanel(Canvas& canvas, std::uint32_t left, const std::vector<ArgbValue>& pixels)
{
    for (std::uint32_t y = 0; y < kTruthHeight; ++y)
        for (std::uint32_t x = 0; x < kTruthWidth; ++x)
            canvas.Put(left + x, kGap + y, pixels[std::size_t{y} * kTruthWidth + x], 1);
    const std::uint32_t top = kTruthHeight + 2 * kGap;
    for (std::uint32_t y = 0; y < kEnlarged.height; ++y)
        for (std::uint32_t x = 0; x < kEnlarged.width; ++x)
            canvas.Put(left + x * kZoom, top + y * kZoom,
                       pixels[std::size_t{kEnlarged.y + y} * kTruthWidth + kEnlarged.x + x], kZoom);
}

bool WritePng(const Canvas& canvas, const char* path)
{
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, canvas.width, canvas.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::uint32_t y = 0; y < canvas.height; ++y)
        png_write_row(png, &canvas.rgb[std::size_t{y} * canvas.width * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_key_picture out.png\n");
        return 2;
    }
    const TruthCase logo = DrawTruthCase(TruthScene::kLogo, kWhiteKey);
    std::vector<ArgbValue> after;
    if (!KeyedImage(logo, TruthOptions(logo, kTolerance, true, false), after))
        return 1;
    Canvas canvas(kTruthWidth * 2 + 3 * kGap, kTruthHeight + 3 * kGap + kEnlarged.height * kZoom);
    DrawPanel(canvas, kGap, logo.input);
    DrawPanel(canvas, kTruthWidth + 2 * kGap, after);
    return WritePng(canvas, argv[1]) ? 0 : 1;
}
