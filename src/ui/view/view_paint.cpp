#include "view_paint.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "app_state.h"
#include "image_canvas.h"
#include "image_document.h"
#include "image_tools.h"
#include "scroll_view.h"
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

// From the pixel at its top-left corner to the one at its bottom-right, both on the outline:
// at a zoom above 100%, the first screen pixel of the one and the last of the other.
void DrawDraggedRectangle(ImageCanvas& canvas, const ImageRect& rectangle, RangePenMode mode, const ViewState& view)
{
    const ViewPlace place = PlaceOf(view);
    const ViewPoint first = ImageToClient({rectangle.x, rectangle.y}, place);
    const ViewPoint end =
        ImageToClient({std::int64_t{rectangle.x} + rectangle.width, std::int64_t{rectangle.y} + rectangle.height}, place);
    // Below 100% a few image pixels may share one screen pixel; the rectangle keeps that one.
    const std::int64_t right = std::max(first.x, end.x - 1);
    const std::int64_t bottom = std::max(first.y, end.y - 1);
    canvas.DrawOutline(OutlineColour(mode), ToInt(first.x), ToInt(first.y), ToInt(right - first.x),
                       ToInt(bottom - first.y));
}

// The range values are read as signed 32-bit numbers, as the outline has always taken them;
// the rest is done in 64 bits so that nothing overflows.
ViewPoint SignedPoint(std::uint32_t x, std::uint32_t y)
{
    return {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
}

// The distance from one range value to the other in view pixels: at 100% the signed 32-bit
// difference, so a reversed range gives a negative size.
int ViewSpan(std::int64_t clientFrom, std::int64_t clientTo, std::uint32_t from, std::uint32_t to, ViewScale scale)
{
    if (scale.IsActualSize())
        return static_cast<std::int32_t>(to - from);
    return ToInt(clientTo - clientFrom);
}

// The outline runs along the first pixels of the range and just past its last ones.
void DrawRangeOutline(ImageCanvas& canvas, const PixelRange& range, RangePenMode mode, const ViewState& view)
{
    const ViewPlace place = PlaceOf(view);
    const ViewPoint from = ImageToClient(SignedPoint(range.xFrom, range.yFrom), place);
    const ViewPoint to = ImageToClient(SignedPoint(range.xTo, range.yTo), place);
    canvas.DrawOutline(OutlineColour(mode), ToInt(from.x), ToInt(from.y),
                       ViewSpan(from.x, to.x, range.xFrom, range.xTo, view.scale),
                       ViewSpan(from.y, to.y, range.yFrom, range.yTo, view.scale));
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
        if (IsToolPreviewShown())
            canvas.DrawPreviewView(document.Image(), reduced, view.preview, PlaceOf(view), area);
        else
            canvas.DrawView(document.Image(), reduced, PlaceOf(view), area, view.checkerboard);
    }
    if (dragged)
        DrawDraggedRectangle(canvas, *dragged, document.PenToShow(), view);
    else if (document.IsRangeShown())
        DrawRangeOutline(canvas, document.Range(), document.PenMode(), view);
}
