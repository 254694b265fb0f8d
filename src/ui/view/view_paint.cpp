#include "view_paint.h"

#include <cstdint>
#include <cstring>

#include "image_document.h"
#include "image_canvas.h"
#include "texts.h"

namespace {

// Where the prompt is drawn while no image is open, in client coordinates.
constexpr int kPromptX = 70;
constexpr int kPromptY = 40;

ArgbValue OutlineColour(RangePenMode mode)
{
    return mode == RangePenMode::Black ? kOpaqueBlack : kOpaqueWhite;
}

// From the pixel at its top-left corner to the one at its bottom-right, both on the outline.
void DrawDraggedRectangle(ImageCanvas& canvas, const ImageRect& rectangle, RangePenMode mode, POINT origin)
{
    canvas.DrawOutline(OutlineColour(mode), static_cast<int>(rectangle.x) - origin.x,
                       static_cast<int>(rectangle.y) - origin.y, static_cast<int>(rectangle.width) - 1,
                       static_cast<int>(rectangle.height) - 1);
}

// The client coordinate at which an image coordinate is shown. The range values are read as
// signed 32-bit numbers, as the outline has always taken them; the shift is done in 64 bits
// so that no value overflows on the way.
int ShownAt(std::uint32_t imageCoordinate, int origin)
{
    return static_cast<int>(static_cast<std::int64_t>(static_cast<std::int32_t>(imageCoordinate)) - origin);
}

// Width and height are signed differences, so a reversed range gives a negative size.
void DrawRangeOutline(ImageCanvas& canvas, const PixelRange& range, RangePenMode mode, POINT origin)
{
    canvas.DrawOutline(OutlineColour(mode), ShownAt(range.xFrom, origin.x), ShownAt(range.yFrom, origin.y),
                       static_cast<std::int32_t>(range.xTo - range.xFrom),
                       static_cast<std::int32_t>(range.yTo - range.yFrom));
}

void DrawPrompt(HDC dc)
{
    TextOutA(dc, kPromptX, kPromptY, text::kPrompt, static_cast<int>(std::strlen(text::kPrompt)));
}

// The part of the image inside area: its client rectangle, empty when none of it is there.
RECT ImagePartIn(const RECT& area, ImageSize size, POINT origin)
{
    const RECT image = {-origin.x, -origin.y, static_cast<LONG>(size.width) - origin.x,
                        static_cast<LONG>(size.height) - origin.y};
    RECT part = {};
    IntersectRect(&part, &area, &image);
    return part;
}

void DrawImageIn(ImageCanvas& canvas, const RECT& area, const ImageHandle* image, POINT origin)
{
    if (!image || image->IsEmpty())
        return;
    const RECT part = ImagePartIn(area, image->Size(), origin);
    if (IsRectEmpty(&part))
        return;
    canvas.DrawImagePart(image, {part.left, part.top}, {part.left + origin.x, part.top + origin.y},
                         {part.right - part.left, part.bottom - part.top});
}

}  // namespace

void PaintView(HDC dc, const std::vector<RECT>& areas, const ImageDocument& document, POINT origin,
               const ImageRect* dragged)
{
    if (!document.HasImage())
        DrawPrompt(dc);
    ImageCanvas canvas(dc);
    for (const RECT& area : areas)
        DrawImageIn(canvas, area, document.Image(), origin);
    if (dragged)
        DrawDraggedRectangle(canvas, *dragged, document.PenToShow(), origin);
    else if (document.IsRangeShown())
        DrawRangeOutline(canvas, document.Range(), document.PenMode(), origin);
}
