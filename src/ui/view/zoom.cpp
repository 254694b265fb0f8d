#include "zoom.h"

#include <cmath>
#include <cstdint>
#include <iterator>

#include "app_state.h"
#include "image_document.h"
#include "range_drag.h"
#include "scroll_view.h"
#include "wait_cursor.h"
#include "window_fit.h"

namespace {

constexpr ViewScale kSteps[] = {
    {1, 16}, {1, 12}, {1, 8}, {1, 6}, {1, 4}, {1, 3}, {1, 2}, {2, 3}, {1, 1},
    {2, 1},  {3, 1},  {4, 1}, {6, 1}, {8, 1}, {12, 1}, {16, 1}, {24, 1}, {32, 1},
};

bool IsBelow(ViewScale a, ViewScale b)
{
    return std::uint64_t{a.numerator} * b.denominator < std::uint64_t{b.numerator} * a.denominator;
}

// The first step above the zoom, or the zoom itself at the top of the list.
ViewScale StepIn(ViewScale now)
{
    for (const ViewScale& step : kSteps)
        if (IsBelow(now, step))
            return step;
    return now;
}

// The first step below the zoom, or the zoom itself at the bottom of the list.
ViewScale StepOut(ViewScale now)
{
    for (auto step = std::rbegin(kSteps); step != std::rend(kSteps); ++step)
        if (IsBelow(*step, now))
            return *step;
    return now;
}

// Below 100% the view shows a reduced copy of the image, made for the zoom, and so does a
// preview of the colour made transparent.
bool PrepareReducedCopy(ViewScale scale)
{
    ReducedView& reduced = g_ui.view.reduced;
    const ImageHandle* image = g_document.Image();
    ColourKeyPreview& preview = g_ui.view.preview;
    if (image && preview.IsActive())
        preview.BuildReduced(*image, scale);
    if (scale.Enlarges() || scale.IsActualSize() || !image) {
        reduced.Clear();
        return true;
    }
    const WaitCursor wait;
    return reduced.Build(*image, scale);
}

// The image point under a client point, in image pixels and their fractions.
struct ImagePoint {
    double x;
    double y;
};

ImagePoint ImagePointAt(POINT client)
{
    const ViewScale scale = ViewZoom();
    const POINT origin = ViewOrigin();
    const double perView = static_cast<double>(scale.denominator) / scale.numerator;
    return {(client.x + origin.x) * perView, (client.y + origin.y) * perView};
}

// The origin that puts an image point under a client point at the view's zoom.
POINT OriginShowing(ImagePoint point, POINT client)
{
    const ViewScale scale = ViewZoom();
    const double perImage = static_cast<double>(scale.numerator) / scale.denominator;
    return {static_cast<LONG>(std::lround(point.x * perImage - client.x)),
            static_cast<LONG>(std::lround(point.y * perImage - client.y))};
}

POINT ToClient(HWND window, POINT screen)
{
    ScreenToClient(window, &screen);
    return screen;
}

void SetZoom(HWND window, ViewScale scale, POINT anchor)
{
    if (!CanZoom() || IsSameZoom(scale, ViewZoom()))
        return;
    CancelRangeDrag(window);
    const ImagePoint anchored = ImagePointAt(ToClient(window, anchor));
    const ViewScale before = ViewZoom();
    g_ui.view.scale = scale;
    if (!PrepareReducedCopy(scale)) {  // no memory for the copy: the zoom stays
        g_ui.view.scale = before;
        PrepareReducedCopy(before);
        return;
    }
    // The fit may move the window, and with it the anchor's client point.
    FitWindowToImage(g_document, window);
    PlaceViewOrigin(OriginShowing(anchored, ToClient(window, anchor)));
    SetViewExtent(window, ShownSize(g_document.GetImageSize()));
    InvalidateRect(window, nullptr, TRUE);
}

}  // namespace

bool CanZoom()
{
    const ImageSize size = g_document.GetImageSize();
    return g_document.HasImage() && size.width > 0 && size.height > 0;
}

bool CanZoomIn()
{
    return CanZoom() && !IsSameZoom(StepIn(ViewZoom()), ViewZoom());
}

bool CanZoomOut()
{
    return CanZoom() && !IsSameZoom(StepOut(ViewZoom()), ViewZoom());
}

void ZoomIn(HWND window, POINT anchor)
{
    SetZoom(window, StepIn(ViewZoom()), anchor);
}

void ZoomOut(HWND window, POINT anchor)
{
    SetZoom(window, StepOut(ViewZoom()), anchor);
}

void ZoomToFit(HWND window)
{
    if (!CanZoom())
        return;
    SetZoom(window, FitZoom(g_document, window), ClientCentre(window));
    MoveIntoWorkArea(window);
}

void ZoomToActualSize(HWND window)
{
    SetZoom(window, ViewScale{}, ClientCentre(window));
}

void ZoomByWheel(HWND window, int delta, POINT cursor)
{
    int& turn = g_ui.view.wheelTurn;
    turn += delta;
    for (; turn >= WHEEL_DELTA; turn -= WHEEL_DELTA)
        ZoomIn(window, cursor);
    for (; turn <= -WHEEL_DELTA; turn += WHEEL_DELTA)
        ZoomOut(window, cursor);
}

POINT ClientCentre(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    POINT centre = {(client.left + client.right) / 2, (client.top + client.bottom) / 2};
    ClientToScreen(window, &centre);
    return centre;
}

void ShowImageChange(HWND window, const ImageRect& changed)
{
    const ImageHandle* image = g_document.Image();
    ReducedView& reduced = g_ui.view.reduced;
    if (image && reduced.IsBuilt() && changed.PixelCount() > 0)
        reduced.Update(*image, changed);
    InvalidateRect(window, nullptr, TRUE);
}

void ToggleCheckerboard(HWND window)
{
    g_ui.view.checkerboard = !g_ui.view.checkerboard;
    InvalidateRect(window, nullptr, TRUE);
}

bool IsCheckerboardShown()
{
    return g_ui.view.checkerboard;
}
