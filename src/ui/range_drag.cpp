#include "range_drag.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app_state.h"
#include "image_document.h"
#include "texts.h"
#include "tool_panel.h"

namespace {

// Where the tooltip stands from the cursor, in pixels: below and right, clear of it.
constexpr int kTooltipOffset = 20;

struct DragState {
    bool pressed = false;   // the button is down, since a press over the image
    bool dragging = false;  // and the mouse has moved past the threshold since
    POINT pressClient = {};
    POINT pressPixel = {};
    POINT currentPixel = {};
    HWND tooltip = nullptr;  // made at the first drag, kept for the run
};

DragState g_drag;

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
    const LONG x0 = Clip(std::min(g_drag.pressPixel.x, g_drag.currentPixel.x), size.width);
    const LONG x1 = Clip(std::max(g_drag.pressPixel.x, g_drag.currentPixel.x), size.width);
    const LONG y0 = Clip(std::min(g_drag.pressPixel.y, g_drag.currentPixel.y), size.height);
    const LONG y1 = Clip(std::max(g_drag.pressPixel.y, g_drag.currentPixel.y), size.height);
    return {static_cast<std::uint32_t>(x0), static_cast<std::uint32_t>(y0), static_cast<std::uint32_t>(x1 - x0 + 1),
            static_cast<std::uint32_t>(y1 - y0 + 1)};
}

// The half-open range that covers the rectangle, as the fields will hold it.
PixelRange RangeOf(const ImageRect& rectangle)
{
    return {rectangle.x, rectangle.y, rectangle.x + rectangle.width, rectangle.y + rectangle.height};
}

HWND MakeTooltip(HWND mainWindow)
{
    HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mainWindow, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = mainWindow;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return tooltip;
}

void ShowTooltip(HWND mainWindow, POINT client, const PixelRange& range)
{
    if (!g_drag.tooltip)
        g_drag.tooltip = MakeTooltip(mainWindow);
    wchar_t textBuffer[96];
    std::swprintf(textBuffer, 96, text::kDragRangeFormat, range.xFrom, range.xTo, range.yFrom, range.yTo,
                  range.xTo - range.xFrom, range.yTo - range.yFrom);
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = mainWindow;
    tool.lpszText = textBuffer;
    SendMessageW(g_drag.tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    POINT screen = client;
    ClientToScreen(mainWindow, &screen);
    SendMessageW(g_drag.tooltip, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x + kTooltipOffset, screen.y + kTooltipOffset));
    SendMessageW(g_drag.tooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void HideTooltip(HWND mainWindow)
{
    if (!g_drag.tooltip)
        return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = mainWindow;
    SendMessageW(g_drag.tooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

// Ends the drag; the capture goes last, as letting it go reports back to CancelRangeDrag.
void EndDrag(HWND mainWindow)
{
    const bool wasDragging = g_drag.dragging;
    g_drag.pressed = false;
    g_drag.dragging = false;
    HideTooltip(mainWindow);
    if (wasDragging)
        InvalidateRect(mainWindow, nullptr, TRUE);
    if (GetCapture() == mainWindow)
        ReleaseCapture();
}

}  // namespace

void PressForRangeDrag(HWND mainWindow, POINT client, POINT pixel)
{
    if (!g_document.HasImage() || g_document.GetImageSize().width == 0)
        return;
    g_drag.pressed = true;
    g_drag.dragging = false;
    g_drag.pressClient = client;
    g_drag.pressPixel = pixel;
    g_drag.currentPixel = pixel;
    SetCapture(mainWindow);
}

bool MoveRangeDrag(HWND mainWindow, POINT client, POINT pixel)
{
    if (!g_drag.pressed || (!g_drag.dragging && !IsPastThreshold(g_drag.pressClient, client)))
        return false;
    g_drag.dragging = true;
    g_drag.currentPixel = pixel;
    ShowTooltip(mainWindow, client, RangeOf(CurrentRectangle()));
    InvalidateRect(mainWindow, nullptr, TRUE);
    return true;
}

void ReleaseRangeDrag(HWND mainWindow, POINT pixel)
{
    if (!g_drag.pressed)
        return;
    const bool dragged = g_drag.dragging;
    g_drag.currentPixel = pixel;
    const PixelRange range = RangeOf(CurrentRectangle());
    EndDrag(mainWindow);
    if (!dragged)
        return;
    WriteRangeFields(g_app.toolPanel, range);
    // As if the show button of the outline's colour were pressed; white before any was.
    const RangePenMode mode = g_document.PenMode() == RangePenMode::None ? RangePenMode::White : g_document.PenMode();
    g_document.ShowRange(mode);
    InvalidateRect(mainWindow, nullptr, TRUE);
}

void CancelRangeDrag(HWND mainWindow)
{
    if (g_drag.pressed)
        EndDrag(mainWindow);
}

bool DraggedRectangle(ImageRect& rectangle)
{
    if (!g_drag.dragging)
        return false;
    rectangle = CurrentRectangle();
    return rectangle.PixelCount() > 0;
}
