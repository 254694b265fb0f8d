#include "range_drag.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "app_state.h"
#include "image_document.h"
#include "scroll_view.h"
#include "texts.h"

namespace {

// Where the tooltip stands from the cursor, in pixels: below and right, clear of it.
constexpr int kTooltipOffset = 20;
// How often a drag held beyond the client area's edge scrolls on towards the cursor.
constexpr UINT kScrollIntervalMs = 50;

DragState& Drag()
{
    return g_ui.drag;
}

// The system's own test: the drag starts once the mouse leaves the rectangle of the drag
// size centred on the press.
bool IsPastThreshold(POINT from, POINT to)
{
    return std::abs(to.x - from.x) > GetSystemMetrics(SM_CXDRAG) / 2 ||
           std::abs(to.y - from.y) > GetSystemMetrics(SM_CYDRAG) / 2;
}

LONG Clip(LONG value, std::uint32_t size)
{
    return std::clamp<LONG>(value, 0, static_cast<LONG>(size) - 1);
}

// The rectangle from the pressed pixel to the current one, corners included, inside the
// image; empty for an image without pixels.
ImageRect CurrentRectangle()
{
    const ImageSize size = g_document.GetImageSize();
    if (size.width == 0 || size.height == 0)
        return {};
    const LONG x0 = Clip(std::min(Drag().pressPixel.x, Drag().currentPixel.x), size.width);
    const LONG x1 = Clip(std::max(Drag().pressPixel.x, Drag().currentPixel.x), size.width);
    const LONG y0 = Clip(std::min(Drag().pressPixel.y, Drag().currentPixel.y), size.height);
    const LONG y1 = Clip(std::max(Drag().pressPixel.y, Drag().currentPixel.y), size.height);
    return {static_cast<std::uint32_t>(x0), static_cast<std::uint32_t>(y0), static_cast<std::uint32_t>(x1 - x0 + 1),
            static_cast<std::uint32_t>(y1 - y0 + 1)};
}

// The half-open range that covers the rectangle, as the fields will hold it.
PixelRange RangeOf(const ImageRect& rectangle)
{
    return {rectangle.x, rectangle.y, rectangle.x + rectangle.width, rectangle.y + rectangle.height};
}

// The one tool of a drag's tooltip: the whole main window, its text shown where it is told.
TOOLINFOW ToolOf(HWND mainWindow, wchar_t* tipText)
{
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = mainWindow;
    tool.lpszText = tipText;
    return tool;
}

HWND MakeTooltip(HWND mainWindow)
{
    HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mainWindow, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    TOOLINFOW tool = ToolOf(mainWindow, const_cast<wchar_t*>(L""));
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return tooltip;
}

void ShowTooltip(HWND mainWindow, POINT client, const PixelRange& range)
{
    // The tooltip goes with the main window it belongs to; a new main window gets its own.
    if (!Drag().tooltip || GetWindow(Drag().tooltip, GW_OWNER) != mainWindow)
        Drag().tooltip = MakeTooltip(mainWindow);
    wchar_t textBuffer[96];
    std::swprintf(textBuffer, std::size(textBuffer), text::kDragRangeFormat, range.xFrom, range.xTo, range.yFrom, range.yTo,
                  range.xTo - range.xFrom, range.yTo - range.yFrom);
    TOOLINFOW tool = ToolOf(mainWindow, textBuffer);
    SendMessageW(Drag().tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    POINT screen = client;
    ClientToScreen(mainWindow, &screen);
    SendMessageW(Drag().tooltip, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x + kTooltipOffset, screen.y + kTooltipOffset));
    SendMessageW(Drag().tooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void HideTooltip(HWND mainWindow)
{
    if (!Drag().tooltip)
        return;
    TOOLINFOW tool = ToolOf(mainWindow, nullptr);
    SendMessageW(Drag().tooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

// Invalidates the four edges of a rectangle of image pixels where the client area shows
// them. They are erased first, as every paint's area is: a semi-transparent image pixel is
// drawn over what lies beneath it, which must not be the old edge.
void InvalidateEdges(HWND mainWindow, const ImageRect& rectangle)
{
    if (rectangle.PixelCount() == 0)
        return;
    const POINT first = ImageToClient({static_cast<LONG>(rectangle.x), static_cast<LONG>(rectangle.y)});
    const POINT end = ImageToClient({static_cast<LONG>(rectangle.x + rectangle.width),
                                     static_cast<LONG>(rectangle.y + rectangle.height)});
    // Below 100% the rectangle may be shown one screen pixel wide or high.
    const LONG right = std::max(end.x, first.x + 1);
    const LONG bottom = std::max(end.y, first.y + 1);
    const RECT edges[] = {
        {first.x, first.y, right, first.y + 1},
        {first.x, bottom - 1, right, bottom},
        {first.x, first.y, first.x + 1, bottom},
        {right - 1, first.y, right, bottom},
    };
    for (const RECT& edge : edges)
        InvalidateRect(mainWindow, &edge, TRUE);
}

// How far the client point lies beyond the client area, in each direction: negative before
// its first pixel, positive past its last, zero inside.
POINT Overshoot(HWND mainWindow, POINT client)
{
    RECT area = {};
    GetClientRect(mainWindow, &area);
    auto beyond = [](LONG value, LONG first, LONG end) {
        return value < first ? value - first : value >= end ? value - end + 1 : 0;
    };
    return {beyond(client.x, area.left, area.right), beyond(client.y, area.top, area.bottom)};
}

// Scrolls a large image by as far as the cursor lies beyond the client area, then takes the
// pixel under the cursor as the drag's other corner and redraws what changed.
void DragTo(HWND mainWindow, POINT client)
{
    const POINT beyond = Overshoot(mainWindow, client);
    if (beyond.x != 0 || beyond.y != 0) {
        const POINT origin = ViewOrigin();
        ScrollViewTo(mainWindow, {origin.x + beyond.x, origin.y + beyond.y});
    }
    InvalidateEdges(mainWindow, CurrentRectangle());  // as last drawn, moved with the scroll
    Drag().currentPixel = ClientToImage(client);
    const ImageRect now = CurrentRectangle();
    ShowTooltip(mainWindow, client, RangeOf(now));
    InvalidateEdges(mainWindow, now);
}

// The whole client area is drawn again once, without the stored outline, which may also lie
// beside the image.
void StartDrag(HWND mainWindow)
{
    Drag().dragging = true;
    SetTimer(mainWindow, kRangeDragTimer, kScrollIntervalMs, nullptr);
    InvalidateRect(mainWindow, nullptr, TRUE);
}

// Ends the drag; the capture goes last, as letting it go reports back to CancelRangeDrag.
void EndDrag(HWND mainWindow)
{
    const bool wasDragging = Drag().dragging;
    Drag().pressed = false;
    Drag().dragging = false;
    HideTooltip(mainWindow);
    KillTimer(mainWindow, kRangeDragTimer);
    if (wasDragging)
        InvalidateRect(mainWindow, nullptr, TRUE);
    if (GetCapture() == mainWindow)
        ReleaseCapture();
}

POINT CursorInClient(HWND mainWindow)
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    ScreenToClient(mainWindow, &cursor);
    return cursor;
}

}  // namespace

// Only a press of the real button can start a drag, not one another program sends; the
// capture from the press on keeps the first moves coming however fast they leave the window.
void PressForRangeDrag(HWND mainWindow, POINT client)
{
    CancelRangeDrag(mainWindow);
    if (!g_document.HasImage() || g_document.GetImageSize().width == 0 || GetKeyState(VK_LBUTTON) >= 0)
        return;
    Drag().pressed = true;
    Drag().pressClient = client;
    Drag().pressPixel = ClientToImage(client);
    Drag().currentPixel = Drag().pressPixel;
    SetCapture(mainWindow);
}

void MoveRangeDrag(HWND mainWindow, POINT client, bool buttonHeld)
{
    if (!Drag().pressed)
        return;
    if (!buttonHeld) {  // let go where the window did not hear it
        EndDrag(mainWindow);
        return;
    }
    if (!Drag().dragging && !IsPastThreshold(Drag().pressClient, client))
        return;
    if (!Drag().dragging)
        StartDrag(mainWindow);
    DragTo(mainWindow, client);
}

void ContinueRangeDrag(HWND mainWindow)
{
    if (Drag().dragging)
        DragTo(mainWindow, CursorInClient(mainWindow));
}

void ReleaseRangeDrag(HWND mainWindow, POINT client, ShowRangeCall showRange)
{
    if (!Drag().pressed)
        return;
    const bool dragged = Drag().dragging;
    Drag().currentPixel = ClientToImage(client);
    const PixelRange range = RangeOf(CurrentRectangle());
    EndDrag(mainWindow);
    if (!dragged)
        return;
    showRange(range);
}

void CancelRangeDrag(HWND mainWindow)
{
    if (Drag().pressed)
        EndDrag(mainWindow);
}

bool DraggedRectangle(ImageRect& rectangle)
{
    if (!Drag().dragging)
        return false;
    rectangle = CurrentRectangle();
    return rectangle.PixelCount() > 0;
}
