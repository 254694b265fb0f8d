#include "window_fit.h"

#include <algorithm>

#include "image_document.h"
#include "scroll_view.h"
#include "window_measure.h"

namespace {

// Resizes the window, without moving it or changing its place in the z-order, so that its
// client area would be the given size with the frame it has now. The resize also activates
// the window. False when the window already had that size.
bool ResizeForClientArea(HWND window, ImageSize size)
{
    const WindowMeasure measure = MeasureWindow(window);
    const int width = static_cast<int>(size.width) + measure.FrameWidth();
    const int height = static_cast<int>(size.height) + measure.FrameHeight();
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE);
    return width != measure.outer.cx || height != measure.outer.cy;
}

bool ClientAreaIs(HWND window, ImageSize size)
{
    const SIZE client = MeasureWindow(window).client;
    return client.cx == static_cast<int>(size.width) && client.cy == static_cast<int>(size.height);
}

void FitClientToImage(HWND window, ImageSize size)
{
    if (!ResizeForClientArea(window, size))
        return;
    // A narrow window wraps its menu bar onto more lines, which takes height from the client
    // area; measuring again after the resize catches that. The system's minimum window size
    // can keep the client larger than the image, so the attempts are bounded.
    constexpr int kMoreAttempts = 2;
    for (int attempt = 0; attempt < kMoreAttempts && !ClientAreaIs(window, size); ++attempt)
        if (!ResizeForClientArea(window, size))
            return;
}

// What the frame, caption and menu bar take around the client area, leaving out the scroll
// bars the window shows now.
SIZE FrameWithoutScrollBars(HWND window)
{
    const WindowMeasure measure = MeasureWindow(window);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    SIZE frame = {measure.FrameWidth(), measure.FrameHeight()};
    if (style & WS_VSCROLL)
        frame.cx -= GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL)
        frame.cy -= GetSystemMetrics(SM_CYHSCROLL);
    return frame;
}

// True when the system lets the window grow until its client area is the image's size; it
// keeps every window within its largest tracking size, a little larger than the screen.
bool SystemAllowsClientArea(HWND window, ImageSize size)
{
    const SIZE frame = FrameWithoutScrollBars(window);
    return static_cast<long long>(size.width) + frame.cx <= GetSystemMetrics(SM_CXMAXTRACK) &&
           static_cast<long long>(size.height) + frame.cy <= GetSystemMetrics(SM_CYMAXTRACK);
}

void HideScrollBars(HWND window)
{
    if (GetWindowLongA(window, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL))
        ShowScrollBar(window, SB_BOTH, FALSE);
}

RECT WorkAreaOf(HWND window)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

// The window's place for an image larger than the system allows a client area to be.
struct WorkAreaLayout {
    RECT window;
    bool horizontalBar;
    bool verticalBar;
};

// A client area as large as the work area leaves after the frame and the bars, but no larger
// than the image in a direction without a bar; the window stays where it is as far as the
// work area lets it.
WorkAreaLayout LayoutInWorkArea(HWND window, ImageSize size)
{
    const RECT work = WorkAreaOf(window);
    const SIZE frame = FrameWithoutScrollBars(window);
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
    const int roomX = work.right - work.left - frame.cx;
    const int roomY = work.bottom - work.top - frame.cy;
    const long long width = size.width;
    const long long height = size.height;

    // A bar takes room from the other direction, which may then need a bar of its own.
    bool horizontal = width > roomX;
    bool vertical = height > roomY;
    vertical = vertical || (horizontal && height > roomY - barHeight);
    horizontal = horizontal || (vertical && width > roomX - barWidth);

    const int clientX = horizontal ? roomX - (vertical ? barWidth : 0) : static_cast<int>(width);
    const int clientY = vertical ? roomY - (horizontal ? barHeight : 0) : static_cast<int>(height);
    const int outerX = clientX + frame.cx + (vertical ? barWidth : 0);
    const int outerY = clientY + frame.cy + (horizontal ? barHeight : 0);
    RECT now = {};
    GetWindowRect(window, &now);
    const int left = std::clamp(static_cast<int>(now.left), static_cast<int>(work.left),
                                static_cast<int>(work.right) - outerX);
    const int top = std::clamp(static_cast<int>(now.top), static_cast<int>(work.top),
                               static_cast<int>(work.bottom) - outerY);
    return {{left, top, left + outerX, top + outerY}, horizontal, vertical};
}

// The bars go first, so that the size set afterwards already has room for them.
void FitWindowToWorkArea(HWND window, ImageSize size)
{
    const WorkAreaLayout layout = LayoutInWorkArea(window, size);
    ShowScrollBar(window, SB_HORZ, layout.horizontalBar);
    ShowScrollBar(window, SB_VERT, layout.verticalBar);
    RECT now = {};
    GetWindowRect(window, &now);
    if (!EqualRect(&now, &layout.window))
        SetWindowPos(window, nullptr, layout.window.left, layout.window.top,
                     layout.window.right - layout.window.left, layout.window.bottom - layout.window.top,
                     SWP_NOZORDER);
}

}  // namespace

bool FitWindowToImage(const ImageDocument& document, HWND window)
{
    const ImageSize size = ShownSize(document.GetImageSize());
    const bool fits = SystemAllowsClientArea(window, size);
    if (fits) {
        HideScrollBars(window);
        FitClientToImage(window, size);
    } else {
        FitWindowToWorkArea(window, size);
    }
    SetViewExtent(window, size);
    return !fits;
}

ViewScale FitZoom(const ImageDocument& document, HWND window)
{
    const ImageSize size = document.GetImageSize();
    const RECT work = WorkAreaOf(window);
    const SIZE frame = FrameWithoutScrollBars(window);
    const long long roomX = std::max<long long>(1, work.right - work.left - frame.cx);
    const long long roomY = std::max<long long>(1, work.bottom - work.top - frame.cy);
    if (size.width == 0 || size.height == 0 || (size.width <= roomX && size.height <= roomY))
        return {};
    // The smaller of roomX / width and roomY / height, kept as a fraction so that the image
    // at it is exactly as wide (or as high) as the room.
    if (roomX * size.height <= roomY * size.width)
        return {static_cast<std::uint32_t>(roomX), size.width};
    return {static_cast<std::uint32_t>(roomY), size.height};
}

void MoveIntoWorkArea(HWND window)
{
    const RECT work = WorkAreaOf(window);
    RECT now = {};
    GetWindowRect(window, &now);
    const LONG left = std::max(work.left, std::min(now.left, work.right - (now.right - now.left)));
    const LONG top = std::max(work.top, std::min(now.top, work.bottom - (now.bottom - now.top)));
    if (left != now.left || top != now.top)
        SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
