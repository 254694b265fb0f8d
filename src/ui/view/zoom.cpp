#include "zoom.h"

#include <cstdint>
#include <iterator>

#include "app_state.h"
#include "image_document.h"
#include "range_drag.h"
#include "scroll_view.h"
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
    const POINT client = ToClient(window, anchor);
    const ViewPlace before = PlaceOf(g_ui.view);
    if (!SetViewZoom(scale))  // no memory for the reduced copy: the zoom stays
        return;
    // The fit may move the window, and with it the anchor's client point: the image point
    // under the anchor is taken before, and put back under it after.
    FitWindowToImage(g_document, window);
    const POINT moved = ToClient(window, anchor);
    const ViewPoint origin = OriginKeeping({client.x, client.y}, before, scale);
    PlaceViewOrigin({ToLong(origin.x + client.x - moved.x), ToLong(origin.y + client.y - moved.y)});
    SetViewExtent(window, ShownSize(g_document.GetImageSize()));
    InvalidateRect(window, nullptr, TRUE);
}

// The zoom a number of steps in (positive) or out (negative) from now.
ViewScale StepsFrom(ViewScale now, int steps)
{
    for (; steps > 0; --steps)
        now = StepIn(now);
    for (; steps < 0; ++steps)
        now = StepOut(now);
    return now;
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
    // A turn of several notches goes to its last step at once: one reduced copy, one fit.
    const int notches = TakeWheelNotches(delta);
    if (notches != 0)
        SetZoom(window, StepsFrom(ViewZoom(), notches), cursor);
}

POINT ClientCentre(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    POINT centre = {(client.left + client.right) / 2, (client.top + client.bottom) / 2};
    ClientToScreen(window, &centre);
    return centre;
}

