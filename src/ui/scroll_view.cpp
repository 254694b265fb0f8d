#include "scroll_view.h"

#include <algorithm>

namespace {

constexpr int kStepPixels = 32;  // how far an arrow, on a scroll bar or the keyboard, scrolls

// One direction of the view.
struct ViewAxis {
    int extent = 0;    // the image's size in this direction
    int page = 0;      // the client area's size in this direction
    int position = 0;  // the image pixel at the client area's first pixel

    int LastPosition() const { return std::max(0, extent - page); }
    bool NeedsBar() const { return extent > page; }
    bool operator==(const ViewAxis& other) const
    {
        return extent == other.extent && page == other.page && position == other.position;
    }
};

struct View {
    ViewAxis horizontal;
    ViewAxis vertical;
};

View g_view;     // the main window's view: set by its fit and by scrolling, read by paint and pick
View g_onBars;   // what the scroll bars were last told, so that an unchanged view leaves them be

ViewAxis& AxisOf(int bar)
{
    return bar == SB_HORZ ? g_view.horizontal : g_view.vertical;
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
    if (horizontalShown != g_view.horizontal.NeedsBar() || verticalShown != g_view.vertical.NeedsBar())
        return false;
    return !(horizontalShown || verticalShown) ||
           (g_view.horizontal == g_onBars.horizontal && g_view.vertical == g_onBars.vertical);
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
    ShowOnBar(window, SB_HORZ, g_view.horizontal);
    ShowOnBar(window, SB_VERT, g_view.vertical);
    g_onBars = g_view;
}

// The view for an image in the client area the window has now, keeping the origin inside.
View ViewFor(HWND window, ImageSize image)
{
    const SIZE client = ClientSizeOf(window);
    View view;
    view.horizontal = {static_cast<int>(image.width), client.cx, g_view.horizontal.position};
    view.vertical = {static_cast<int>(image.height), client.cy, g_view.vertical.position};
    for (ViewAxis* axis : {&view.horizontal, &view.vertical})
        axis->position = std::clamp(axis->position, 0, axis->LastPosition());
    return view;
}

void ScrollTo(HWND window, int x, int y)
{
    ViewAxis& horizontal = g_view.horizontal;
    ViewAxis& vertical = g_view.vertical;
    x = std::clamp(x, 0, horizontal.LastPosition());
    y = std::clamp(y, 0, vertical.LastPosition());
    const int dx = horizontal.position - x;
    const int dy = vertical.position - y;
    if (dx == 0 && dy == 0)
        return;
    horizontal.position = x;
    vertical.position = y;
    ShowViewOnBars(window);
    ScrollWindowEx(window, dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
}

void ScrollAxisTo(HWND window, int bar, int position)
{
    if (bar == SB_HORZ)
        ScrollTo(window, position, g_view.vertical.position);
    else
        ScrollTo(window, g_view.horizontal.position, position);
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
    return {g_view.horizontal.position, g_view.vertical.position};
}

POINT ClientToImage(POINT client)
{
    return {client.x + g_view.horizontal.position, client.y + g_view.vertical.position};
}

POINT ImageToClient(POINT image)
{
    return {image.x - g_view.horizontal.position, image.y - g_view.vertical.position};
}

void ResetView()
{
    g_view = View{};
    g_onBars = View{};
}

void SetViewExtent(HWND window, ImageSize image)
{
    const POINT before = ViewOrigin();
    // Showing or hiding a bar changes the client area, and with it the page; a second round
    // settles it. An image that fits leaves a window without bars untouched.
    constexpr int kRounds = 2;
    for (int round = 0; round < kRounds; ++round) {
        g_view = ViewFor(window, image);
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
    const ViewAxis& horizontal = g_view.horizontal;
    const ViewAxis& vertical = g_view.vertical;
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
