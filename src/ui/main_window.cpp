#include "main_window.h"

#include <cstdint>
#include <cstring>

#include "image_document.h"
#include "image_saver.h"
#include "opening.h"
#include "image_canvas.h"
#include "resource.h"
#include "shortcuts.h"
#include "texts.h"
#include "app_state.h"
#include "colour_pick.h"
#include "gdi_objects.h"
#include "tool_panel.h"
#include "window_measure.h"

namespace {

ArgbValue OutlineColour(RangePenMode mode)
{
    return mode == RangePenMode::Black ? kOpaqueBlack : kOpaqueWhite;
}

// Width and height are signed differences, so a reversed range gives a negative size.
void DrawRangeOutline(ImageCanvas& canvas, const PixelRange& range, RangePenMode mode)
{
    canvas.DrawOutline(OutlineColour(mode), static_cast<std::int32_t>(range.xFrom),
                       static_cast<std::int32_t>(range.yFrom),
                       static_cast<std::int32_t>(range.xTo - range.xFrom),
                       static_cast<std::int32_t>(range.yTo - range.yFrom));
}

void DrawPrompt(HDC dc)
{
    TextOutA(dc, kPromptX, kPromptY, text::kPrompt, static_cast<int>(std::strlen(text::kPrompt)));
}

// Every paint also fits the window to the image and rewrites the caption, so both snap
// back whatever happened to them in between.
void Paint(HWND window)
{
    {
        const PaintScope paint(window);
        if (!g_document.HasImage())
            DrawPrompt(paint.Get());
        ImageCanvas canvas(paint.Get());
        canvas.DrawImageAtOrigin(g_document.Image());
        if (g_document.IsRangeShown())
            DrawRangeOutline(canvas, g_document.Range(), g_document.PenMode());
    }
    if (g_document.HasImage()) {
        FitWindowToImage(g_document, window);
        SetWindowTextA(window, BuildCaption(g_document));
    }
}

LRESULT OnCreate(HWND window)
{
    g_app.toolPanel = CreateToolPanel(window);
    ShowWindow(g_app.toolPanel, SW_SHOWNORMAL);
    DragAcceptFiles(window, TRUE);
    return 0;
}

LRESULT OnPaint(HWND window)
{
    Paint(window);
    return 0;
}

LRESULT OnClose()
{
    if (MessageBoxA(g_app.toolPanel, text::kExitQuestion, text::kExitCaption, MB_OKCANCEL) == IDOK)
        PostQuitMessage(0);
    return 0;
}

LRESULT OnKeyDown(WPARAM key)
{
    if (key == VK_ESCAPE)
        PostQuitMessage(0);
    else
        RunShortcut(key, false);
    return 0;
}

LRESULT OnDropFiles(HWND window, HDROP drop)
{
    OpenDroppedFile(window, drop);
    return 0;
}

LRESULT OnCommand(HWND window, WORD command)
{
    switch (command) {
    case IDM_OPEN_IMAGE: OpenWithDialog(window); break;
    case IDM_SAVE_AS:    SaveImageAs(g_document, g_saver, window, g_app.instance); break;
    case IDM_VERSION:    MessageBoxA(window, text::kVersionText, text::kVersionCaption, MB_OK); break;
    case IDM_EXIT:       SendMessageA(window, WM_CLOSE, 0, 0); break;
    default:             break;
    }
    return 0;
}

LRESULT OnLeftButtonDown(HWND window)
{
    PickColourAt(g_document, window);
    InvalidateRect(g_app.swatch, nullptr, TRUE);
    return 0;
}

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

}  // namespace

const char* BuildCaption(ImageDocument& document)
{
    char(&caption)[ImageDocument::kCaptionBytes] = document.Caption();
    std::memset(caption, 0, sizeof caption);
    for (const char* part : {text::kCaptionPrefix, text::kTitleOpen,
                             static_cast<const char*>(document.OpenedTitle()), text::kTitleClose})
        std::strncat(caption, part, sizeof caption - 1 - std::strlen(caption));
    return caption;
}

void FitWindowToImage(const ImageDocument& document, HWND window)
{
    const ImageSize size = document.GetImageSize();
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

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_app.mainWindow = window;
    switch (message) {
    case WM_CREATE:      return OnCreate(window);
    case WM_PAINT:       return OnPaint(window);
    case WM_CLOSE:       return OnClose();
    case WM_KEYDOWN:     return OnKeyDown(wParam);
    case WM_COMMAND:     return OnCommand(window, LOWORD(wParam));
    case WM_LBUTTONDOWN: return OnLeftButtonDown(window);
    case WM_DROPFILES:   return OnDropFiles(window, reinterpret_cast<HDROP>(wParam));
    default:             return DefWindowProcA(window, message, wParam, lParam);
    }
}
