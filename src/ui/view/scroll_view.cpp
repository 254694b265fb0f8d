#include "scroll_view.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "app_state.h"
#include "area_average.h"
#include "image_document.h"
#include "image_tools.h"
#include "wait_cursor.h"

namespace {

constexpr int kStepPixels = 32;  // how far an arrow, on a scroll bar or the keyboard, scrolls

// The view as it is, and as the scroll bars were last told it.
ViewAxes& Axes()
{
    return g_ui.view.axes;
}

ViewAxes& AxesOnBars()
{
    return g_ui.view.onBars;
}

ViewAxis& AxisOf(int bar)
{
    return bar == SB_HORZ ? Axes().horizontal : Axes().vertical;
}

SIZE ClientSizeOf(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

// True when the window has exactly the bars the view needs and they were told the view.
bool BarsShowTheView(HWND window)
{
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const bool horizontalShown = (style & WS_HSCROLL) != 0;
    const bool verticalShown = (style & WS_VSCROLL) != 0;
    if (horizontalShown != Axes().horizontal.NeedsBar() || verticalShown != Axes().vertical.NeedsBar())
        return false;
    return !(horizontalShown || verticalShown) ||
           (Axes().horizontal == AxesOnBars().horizontal && Axes().vertical == AxesOnBars().vertical);
}

// A page at least as large as the range hides the bar; a smaller one shows it.
void ShowOnBar(HWND window, int bar, const ViewAxis& axis)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = std::max(0, axis.extent - 1);
    info.nPage = static_cast<UINT>(std::max(0, axis.page));
    info.nPos = axis.position;
    SetScrollInfo(window, bar, &info, TRUE);
}

void ShowViewOnBars(HWND window)
{
    ShowOnBar(window, SB_HORZ, Axes().horizontal);
    ShowOnBar(window, SB_VERT, Axes().vertical);
    AxesOnBars() = Axes();
}

// The view of the given size (the image at the zoom) in the client area the window has now,
// keeping the origin inside.
ViewAxes ViewFor(HWND window, ImageSize shown)
{
    const SIZE client = ClientSizeOf(window);
    ViewAxes view;
    view.horizontal = {static_cast<int>(shown.width), client.cx, Axes().horizontal.position};
    view.vertical = {static_cast<int>(shown.height), client.cy, Axes().vertical.position};
    for (ViewAxis* axis : {&view.horizontal, &view.vertical})
        axis->position = std::clamp(axis->position, 0, axis->LastPosition());
    return view;
}

void ScrollTo(HWND window, int x, int y)
{
    ViewAxis& horizontal = Axes().horizontal;
    ViewAxis& vertical = Axes().vertical;
    x = std::clamp(x, 0, horizontal.LastPosition());
    y = std::clamp(y, 0, vertical.LastPosition());
    const int dx = horizontal.position - x;
    const int dy = vertical.position - y;
    if (dx == 0 && dy == 0)
        return;
    horizontal.position = x;
    vertical.position = y;
    ShowViewOnBars(window);
    // What the open tool draws over the view (the brush's circle) must not move with the pixels.
    if (ImageTool* tool = OpenTool())
        tool->Hover(nullptr);
    ScrollWindowEx(window, dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
}

void ScrollAxisTo(HWND window, int bar, int position)
{
    if (bar == SB_HORZ)
        ScrollTo(window, position, Axes().vertical.position);
    else
        ScrollTo(window, Axes().horizontal.position, position);
}

// Where the thumb is being dragged to, in the 32-bit range the bar was given.
int ThumbPosition(HWND window, int bar)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(window, bar, &info);
    return info.nTrackPos;
}

// Where a scroll bar request takes the axis; its own position for requests that move nothing.
int PositionAfter(HWND window, int bar, WORD request)
{
    const ViewAxis& axis = AxisOf(bar);
    switch (request) {
    case SB_LINEUP:        return axis.position - kStepPixels;
    case SB_LINEDOWN:      return axis.position + kStepPixels;
    case SB_PAGEUP:        return axis.position - axis.page;
    case SB_PAGEDOWN:      return axis.position + axis.page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return ThumbPosition(window, bar);
    case SB_TOP:           return 0;
    case SB_BOTTOM:        return axis.LastPosition();
    default:               return axis.position;
    }
}

// Pixels a wheel turn of delta scrolls, as the system's setting for lines a notch asks.
int WheelPixels(int delta, int page)
{
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == WHEEL_PAGESCROLL)
        return delta * page / WHEEL_DELTA;
    return delta * static_cast<int>(lines) * kStepPixels / WHEEL_DELTA;
}

}  // namespace

POINT ViewOrigin()
{
    return {Axes().horizontal.position, Axes().vertical.position};
}

// Coordinates beyond the range of a LONG only arise far outside any client area.
LONG ToLong(std::int64_t value)
{
    return static_cast<LONG>(std::clamp<std::int64_t>(value, LONG_MIN, LONG_MAX));
}

ViewPlace PlaceOf(const ViewState& view)
{
    return view.Place();
}

POINT ClientToImage(POINT client)
{
    const ViewPoint image = ClientToImage(ViewPoint{client.x, client.y}, PlaceOf(g_ui.view));
    return {ToLong(image.x), ToLong(image.y)};
}

POINT ImageToClient(POINT image)
{
    const ViewPoint client = ImageToClient(ViewPoint{image.x, image.y}, PlaceOf(g_ui.view));
    return {ToLong(client.x), ToLong(client.y)};
}

ViewScale ViewZoom()
{
    return g_ui.view.scale;
}

ImageSize ShownSize(ImageSize image)
{
    const ViewScale scale = ViewZoom();
    return {static_cast<std::uint32_t>(ViewLength(image.width, scale)),
            static_cast<std::uint32_t>(ViewLength(image.height, scale))};
}

void ResetView()
{
    ViewState& view = g_ui.view;
    const bool checkerboard = view.checkerboard;
    view = ViewState{};
    view.checkerboard = checkerboard;
}

namespace {

// Below 100% the view shows a reduced copy of the image, made for the zoom: none otherwise.
// False, with the copy as it was, when there is no memory for a new one.
bool MakeReducedCopy(ReducedView& reduced, const ImageHandle* image, ViewScale scale)
{
    if (scale.Enlarges() || scale.IsActualSize() || !image) {
        reduced.Clear();
        return true;
    }
    // The old copy goes only once the new one is made.
    ReducedView made;
    const WaitCursor wait;
    if (!made.Build(*image, scale))
        return false;
    reduced = std::move(made);
    return true;
}

}  // namespace

bool SetViewZoom(ViewScale scale)
{
    ViewState& view = g_ui.view;
    const ImageHandle* image = g_document.Image();
    if (!MakeReducedCopy(view.reduced, image, scale))
        return false;
    view.scale = scale;
    // A preview of the colour made transparent keeps a reduced copy of its own.
    if (image && IsToolPreviewShown())
        view.preview.BuildReduced(*image, scale);
    return true;
}

int TakeWheelNotches(int delta)
{
    int& turn = g_ui.view.wheelTurn;
    turn += delta;
    const int notches = turn / WHEEL_DELTA;
    turn -= notches * WHEEL_DELTA;
    return notches;
}

void ShowImageChange(HWND window, const ImageRect& changed)
{
    const ImageHandle* image = g_document.Image();
    ReducedView& reduced = g_ui.view.reduced;
    if (image && reduced.IsBuilt() && changed.PixelCount() > 0)
        reduced.Update(*image, changed);
    InvalidateRect(window, nullptr, TRUE);
}

void ShowPreview(const ImageHandle& image, const PreviewWork& work)
{
    g_ui.view.preview.AdoptMemory(g_ui.view.previewMemory.Take());
    g_ui.view.preview.Make(image, work, g_ui.view.scale);
}

void ShowImagePart(HWND window, const ImageRect& changed)
{
    if (changed.PixelCount() == 0)
        return;
    const ImageHandle* image = g_document.Image();
    ReducedView& reduced = g_ui.view.reduced;
    if (image && reduced.IsBuilt())
        reduced.Update(*image, changed);
    // The view pixels that show the changed pixels, one more each way for the rounding below 100%.
    const POINT first = ImageToClient(POINT{static_cast<LONG>(changed.x), static_cast<LONG>(changed.y)});
    const POINT last = ImageToClient(POINT{static_cast<LONG>(changed.x + changed.width),
                                           static_cast<LONG>(changed.y + changed.height)});
    const RECT part = {first.x - 1, first.y - 1, last.x + 1, last.y + 1};
    InvalidateRect(window, &part, TRUE);
    UpdateWindow(window);
}

bool IsInImage(POINT pixel)
{
    return Contains(WholeOf(g_document.GetImageSize()), pixel.x, pixel.y);
}

ColourKeyResult TakePreviewResult()
{
    return g_ui.view.preview.TakeResult();
}

void EndPreview()
{
    g_ui.view.preview.End();
}

void PreparePreviewMemory()
{
    const ImageSize size = g_document.GetImageSize();
    const ViewScale scale = g_ui.view.scale;
    const std::size_t pixels = WholeOf(size).PixelCount();
    if (pixels == 0 || g_ui.view.preview.HoldsMemoryFor(pixels))
        return;
    const bool reduces = !scale.Enlarges() && !scale.IsActualSize();
    g_ui.view.previewMemory.Start(pixels, reduces ? ViewPixelsCovering(WholeOf(size), size, scale).PixelCount() : 0);
}

void DropPreparedPreviewMemory()
{
    g_ui.view.previewMemory.Forget();
}

void ForgetPreviewMemory()
{
    g_ui.view.previewMemory.Forget();
    g_ui.view.preview.Clear();
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

void PlaceViewOrigin(POINT origin)
{
    Axes().horizontal.position = origin.x;
    Axes().vertical.position = origin.y;
}

void SetViewExtent(HWND window, ImageSize shown)
{
    const POINT before = ViewOrigin();
    // Showing or hiding a bar changes the client area, and with it the page; a second round
    // settles it. A view that fits leaves a window without bars untouched.
    constexpr int kRounds = 2;
    for (int round = 0; round < kRounds; ++round) {
        Axes() = ViewFor(window, shown);
        if (BarsShowTheView(window))
            break;
        ShowViewOnBars(window);
    }
    const POINT after = ViewOrigin();
    if (after.x != before.x || after.y != before.y)
        InvalidateRect(window, nullptr, TRUE);
}

void ScrollViewTo(HWND window, POINT origin)
{
    ScrollTo(window, origin.x, origin.y);
}

void ScrollFromBar(HWND window, int bar, WORD request)
{
    ScrollAxisTo(window, bar, PositionAfter(window, bar, request));
}

void ScrollFromWheel(HWND window, int delta, bool horizontal)
{
    const int bar = horizontal ? SB_HORZ : SB_VERT;
    const ViewAxis& axis = AxisOf(bar);
    ScrollAxisTo(window, bar, axis.position - WheelPixels(delta, axis.page));
}

bool ScrollFromKey(HWND window, UINT key)
{
    const ViewAxis& horizontal = Axes().horizontal;
    const ViewAxis& vertical = Axes().vertical;
    switch (key) {
    case VK_LEFT:  ScrollTo(window, horizontal.position - kStepPixels, vertical.position); return true;
    case VK_RIGHT: ScrollTo(window, horizontal.position + kStepPixels, vertical.position); return true;
    case VK_UP:    ScrollTo(window, horizontal.position, vertical.position - kStepPixels); return true;
    case VK_DOWN:  ScrollTo(window, horizontal.position, vertical.position + kStepPixels); return true;
    case VK_PRIOR: ScrollTo(window, horizontal.position, vertical.position - vertical.page); return true;
    case VK_NEXT:  ScrollTo(window, horizontal.position, vertical.position + vertical.page); return true;
    case VK_HOME:  ScrollTo(window, 0, 0); return true;
    case VK_END:   ScrollTo(window, horizontal.LastPosition(), vertical.LastPosition()); return true;
    default:       return false;
    }
}
