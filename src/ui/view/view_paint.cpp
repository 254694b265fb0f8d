#include "view_paint.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "app_state.h"
#include "image_canvas.h"
#include "image_document.h"
#include "texts.h"

namespace {

// Where the prompt is drawn while no image is open, in client coordinates.
constexpr int kPromptX = 70;
constexpr int kPromptY = 40;

ArgbValue OutlineColour(RangePenMode mode)
{
    return mode == RangePenMode::Black ? kOpaqueBlack : kOpaqueWhite;
}

int ToInt(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

POINT OriginOf(const ViewState& view)
{
    return {view.axes.horizontal.position, view.axes.vertical.position};
}

// From the pixel at its top-left corner to the one at its bottom-right, both on the outline:
// at a zoom above 100%, the first screen pixel of the one and the last of the other.
void DrawDraggedRectangle(ImageCanvas& canvas, const ImageRect& rectangle, RangePenMode mode, const ViewState& view)
{
    const POINT origin = OriginOf(view);
    const std::int64_t left = ImageToView(rectangle.x, view.scale);
    const std::int64_t top = ImageToView(rectangle.y, view.scale);
    // Below 100% a few image pixels may share one screen pixel; the rectangle keeps that one.
    const std::int64_t right =
        std::max(left, ImageToView(std::int64_t{rectangle.x} + rectangle.width, view.scale) - 1);
    const std::int64_t bottom =
        std::max(top, ImageToView(std::int64_t{rectangle.y} + rectangle.height, view.scale) - 1);
    canvas.DrawOutline(OutlineColour(mode), ToInt(left - origin.x), ToInt(top - origin.y), ToInt(right - left),
                       ToInt(bottom - top));
}

// The view coordinate of a range value. The range values are read as signed 32-bit numbers,
// as the outline has always taken them; the rest is done in 64 bits so that nothing overflows.
std::int64_t ViewOfRangeValue(std::uint32_t value, ViewScale scale)
{
    return ImageToView(static_cast<std::int32_t>(value), scale);
}

// The distance from one range value to the other in view pixels: at 100% the signed 32-bit
// difference, so a reversed range gives a negative size.
int ViewSpan(std::uint32_t from, std::uint32_t to, ViewScale scale)
{
    if (scale.IsActualSize())
        return static_cast<std::int32_t>(to - from);
    return ToInt(ViewOfRangeValue(to, scale) - ViewOfRangeValue(from, scale));
}

// The outline runs along the first pixels of the range and just past its last ones.
void DrawRangeOutline(ImageCanvas& canvas, const PixelRange& range, RangePenMode mode, const ViewState& view)
{
    const POINT origin = OriginOf(view);
    canvas.DrawOutline(OutlineColour(mode), ToInt(ViewOfRangeValue(range.xFrom, view.scale) - origin.x),
                       ToInt(ViewOfRangeValue(range.yFrom, view.scale) - origin.y),
                       ViewSpan(range.xFrom, range.xTo, view.scale), ViewSpan(range.yFrom, range.yTo, view.scale));
}

void DrawPrompt(HDC dc)
{
    TextOutA(dc, kPromptX, kPromptY, text::kPrompt, static_cast<int>(std::strlen(text::kPrompt)));
}

}  // namespace

void PaintView(HDC dc, const std::vector<RECT>& areas, const ImageDocument& document, const ViewState& view,
               const ImageRect* dragged)
{
    if (!document.HasImage())
        DrawPrompt(dc);
    ImageCanvas canvas(dc);
    const ReducedView* reduced = view.reduced.IsBuilt() ? &view.reduced : nullptr;
    // A preview shows what would become transparent, whatever the checkerboard's setting.
    for (const RECT& area : areas) {
        if (view.preview.IsActive())
            canvas.DrawPreviewView(document.Image(), reduced, view.preview, view.scale, OriginOf(view), area);
        else
            canvas.DrawView(document.Image(), reduced, view.scale, OriginOf(view), area, view.checkerboard);
    }
    if (dragged)
        DrawDraggedRectangle(canvas, *dragged, document.PenToShow(), view);
    else if (document.IsRangeShown())
        DrawRangeOutline(canvas, document.Range(), document.PenMode(), view);
}
