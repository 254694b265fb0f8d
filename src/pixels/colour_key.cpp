// Provisional: the simplest background removal, enough to drive the dialog and its preview.
// Pixels within the tolerance of the key become fully transparent; no edge is cleaned.
#include "colour_key.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>

namespace {

constexpr std::uint32_t kMostTolerance = 255;

int Channel(ArgbValue colour, int shift)
{
    return static_cast<int>((colour >> shift) & 0xFFu);
}

bool IsNearKey(ArgbValue colour, ArgbValue key, int tolerance)
{
    for (int shift : {16, 8, 0})
        if (std::abs(Channel(colour, shift) - Channel(key, shift)) > tolerance)
            return false;
    return true;
}

struct Marks {
    std::vector<unsigned char> marked;  // one byte per pixel of the area: 1 for the background
    ImageRect area;
    bool Inside(std::uint32_t x, std::uint32_t y) const
    {
        return x >= area.x && y >= area.y && x - area.x < area.width && y - area.y < area.height;
    }
    unsigned char& At(std::uint32_t x, std::uint32_t y)
    {
        return marked[std::size_t{y - area.y} * area.width + (x - area.x)];
    }
};

void MarkEverywhere(const PixelRows& image, const ColourKeyOptions& options, int tolerance, Marks& marks)
{
    for (std::uint32_t y = marks.area.y; y < marks.area.y + marks.area.height; ++y)
        for (std::uint32_t x = marks.area.x; x < marks.area.x + marks.area.width; ++x)
            marks.At(x, y) = IsNearKey(image.Row(y)[x], options.key, tolerance) ? 1 : 0;
}

// An explicit stack of pixels to visit, so that a large region of one colour cannot overflow
// the call stack.
void MarkConnected(const PixelRows& image, const ColourKeyOptions& options, int tolerance, Marks& marks)
{
    std::vector<std::pair<std::uint32_t, std::uint32_t>> stack;
    auto visit = [&](std::uint32_t x, std::uint32_t y) {
        if (marks.Inside(x, y) && !marks.At(x, y) && IsNearKey(image.Row(y)[x], options.key, tolerance)) {
            marks.At(x, y) = 1;
            stack.emplace_back(x, y);
        }
    };
    visit(options.startX, options.startY);
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        visit(x + 1, y);
        visit(x - 1, y);  // 0 - 1 wraps to a value outside every area
        visit(x, y + 1);
        visit(x, y - 1);
    }
}

ImageRect BoundsOfMarks(Marks& marks)
{
    std::uint32_t left = UINT32_MAX, top = UINT32_MAX, right = 0, bottom = 0;
    for (std::uint32_t y = marks.area.y; y < marks.area.y + marks.area.height; ++y)
        for (std::uint32_t x = marks.area.x; x < marks.area.x + marks.area.width; ++x)
            if (marks.At(x, y)) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x + 1);
                bottom = std::max(bottom, y + 1);
            }
    return left > right ? ImageRect{} : ImageRect{left, top, right - left, bottom - top};
}

}  // namespace

bool MakeColourTransparent(const PixelRows& image, ImageSize size, const ColourKeyOptions& options,
                           ColourKeyResult& result)
{
    result = ColourKeyResult{};
    Marks marks;
    marks.area = options.area;
    marks.area.width = std::min(marks.area.width, marks.area.x < size.width ? size.width - marks.area.x : 0);
    marks.area.height = std::min(marks.area.height, marks.area.y < size.height ? size.height - marks.area.y : 0);
    const int tolerance = static_cast<int>(std::min(options.tolerance, kMostTolerance));
    try {
        marks.marked.assign(marks.area.PixelCount(), 0);
        if (options.connected)
            MarkConnected(image, options, tolerance, marks);
        else
            MarkEverywhere(image, options, tolerance, marks);
        const ImageRect changed = BoundsOfMarks(marks);
        result.pixels.resize(changed.PixelCount());
        for (std::uint32_t y = 0; y < changed.height; ++y)
            for (std::uint32_t x = 0; x < changed.width; ++x) {
                const ArgbValue pixel = image.Row(changed.y + y)[changed.x + x];
                result.pixels[std::size_t{y} * changed.width + x] =
                    marks.At(changed.x + x, changed.y + y) ? (pixel & 0x00FFFFFFu) : pixel;
            }
        result.changed = changed;
    } catch (const std::bad_alloc&) {
        result = ColourKeyResult{};
        return false;
    }
    return true;
}
