// Writes the README's picture of the colour work: the same logo, drawn on white, before and
// after white is made transparent, each over a dark backdrop, with a part of its edge enlarged
// four times below. Made, from the top of the source tree, by:
//   make key-picture
// which builds it with the "native-bench" preset and writes docs/colour_key.png.
#include <cstdio>
#include <vector>

#include "colour_key.h"
#include "key_truth.h"
#include "picture_canvas.h"

namespace {

constexpr std::uint32_t kGap = 16;
constexpr std::uint32_t kZoom = 4;
constexpr ImageRect kEnlarged{60, 70, 150, 60};  // a part of the red disc's edge
constexpr std::uint32_t kTolerance = 8;

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
