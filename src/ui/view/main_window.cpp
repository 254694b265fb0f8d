#include "main_window.h"

#include <windowsx.h>

#include <cstring>
#include <vector>

#include "app_state.h"
#include "commands.h"
#include "gdi_objects.h"
#include "image_document.h"
#include "image_mouse.h"
#include "image_tools.h"
#include "opening.h"
#include "owned_windows.h"
#include "range_drag.h"
#include "scroll_view.h"
#include "shortcuts.h"
#include "startup.h"
#include "texts.h"
#include "view_menu.h"
#include "view_paint.h"
#include "window_fit.h"
#include "zoom.h"

namespace {

// Composes "Tessarel あるふぁ～ - [ title ]" in the document's caption buffer and returns it.
const char* BuildCaption(ImageDocument& document)
{
    char(&caption)[ImageDocument::kCaptionBytes] = document.Caption();
    std::memset(caption, 0, sizeof caption);
    for (const char* part : {text::kCaptionPrefix, text::kTitleOpen,
                             static_cast<const char*>(document.OpenedTitle()), text::kTitleClose})
        std::strncat(caption, part, sizeof caption - 1 - std::strlen(caption));
    return caption;
}

// A window with scroll bars redraws them with its caption, which costs more than painting a
// small part of the image; there an unchanged caption is left as it is.
void SetCaption(HWND window, bool scrolling)
{
    const char* caption = BuildCaption(g_document);
    if (scrolling) {
        char shown[ImageDocument::kCaptionBytes] = {};
        GetWindowTextA(window, shown, sizeof shown);
        if (std::strcmp(shown, caption) == 0)
            return;
    }
    SetWindowTextA(window, caption);
}

// The rectangles of the update region, read before the paint begins: a drag invalidates only
// the edges of its rectangle, and their bounding box would be most of the image. A region of
// many small pieces is painted as its bounding box, one draw rather than many.
std::vector<RECT> UpdateRectangles(HWND window)
{
    constexpr DWORD kMostRectangles = 16;
    const OwnedRegion region(CreateRectRgn(0, 0, 0, 0));
    if (!region.Get() || GetUpdateRgn(window, region.Get(), FALSE) != COMPLEXREGION)
        return {};
    const DWORD bytes = GetRegionData(region.Get(), 0, nullptr);
    std::vector<BYTE> data(bytes);
    auto* header = reinterpret_cast<RGNDATA*>(data.data());
    if (bytes < sizeof(RGNDATAHEADER) || GetRegionData(region.Get(), bytes, header) != bytes ||
        header->rdh.nCount > kMostRectangles)
        return {};
    const RECT* first = reinterpret_cast<const RECT*>(header->Buffer);
    return std::vector<RECT>(first, first + header->rdh.nCount);
}

// Every paint also fits the window to the image and rewrites the caption, so both snap
// back whatever happened to them in between. Only the part the paint asks for is drawn, and
// the open tool draws over it. The fit activates the window, which must not take the keyboard
// from a tool or a panel field while the user types.
void Paint(HWND window)
{
    {
        std::vector<RECT> parts = UpdateRectangles(window);
        const PaintScope paint(window);
        if (parts.empty())
            parts.push_back(paint.Area());
        ImageRect dragged;
        PaintView(paint.Get(), parts, g_document, g_ui.view, DraggedRectangle(dragged) ? &dragged : nullptr);
        if (const ImageTool* tool = OpenTool())
            tool->DrawOver(paint.Get(), PlaceOf(g_ui.view));
    }
    if (g_document.HasImage()) {
        const KeyboardKeeper keyboard(window);
        SetCaption(window, FitWindowToImage(g_document, window));
    }
}

LRESULT OnCreate(HWND window)
{
    ResetView();
    g_app.toolPanel = CreateToolPanelOf(window);
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

// Esc quits at once, whatever dialog is open (Esc in the colour key dialog is that dialog's
// own Cancel); besides the shortcuts, the arrows, Page Up, Page Down, Home and End scroll a
// large image, and the menu key opens the context menu.
LRESULT OnKeyDown(HWND window, UINT key)
{
    if (key == VK_ESCAPE)
        PostQuitMessage(0);
    else if (key == VK_APPS)
        ShowViewMenuFromKeyboard(window);
    else if (!RunShortcut(key, false))
        ScrollFromKey(window, key);
    return 0;
}

// The menu key opens the context menu as it goes down; its release must not open it again.
LRESULT OnKeyUp(HWND window, WPARAM key, LPARAM lParam)
{
    return key == VK_APPS ? 0 : DefWindowProcA(window, WM_KEYUP, key, lParam);
}

bool IsShiftF10(WPARAM key)
{
    return key == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000);
}

// Shift+F10 opens the context menu as it goes down; F10 alone and Alt with a key go to the
// menu bar as always.
LRESULT OnSysKeyDown(HWND window, WPARAM key, LPARAM lParam)
{
    if (!IsShiftF10(key))
        return DefWindowProcA(window, WM_SYSKEYDOWN, key, lParam);
    ShowViewMenuFromKeyboard(window);
    return 0;
}

// Its release must neither open the menu again nor activate the menu bar.
LRESULT OnSysKeyUp(HWND window, WPARAM key, LPARAM lParam)
{
    return IsShiftF10(key) ? 0 : DefWindowProcA(window, WM_SYSKEYUP, key, lParam);
}

// A right click in the client area opens the context menu where it was; the frame's own
// menus stay the system's. From the keyboard the point is (-1, -1).
LRESULT OnContextMenu(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (lParam == -1) {
        ShowViewMenuFromKeyboard(window);
        return 0;
    }
    POINT screen = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    POINT client = screen;
    ScreenToClient(window, &client);
    RECT area = {};
    GetClientRect(window, &area);
    if (!PtInRect(&area, client))
        return DefWindowProcA(window, WM_CONTEXTMENU, wParam, lParam);
    ShowViewMenu(window, screen);
    return 0;
}

LRESULT OnScroll(HWND window, int bar, WORD request)
{
    ScrollFromBar(window, bar, request);
    return 0;
}

// With Ctrl held the wheel zooms about the cursor; otherwise it scrolls.
LRESULT OnMouseWheel(HWND window, WPARAM wParam, LPARAM lParam)
{
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    const WORD keys = GET_KEYSTATE_WPARAM(wParam);
    if (keys & MK_CONTROL)
        ZoomByWheel(window, delta, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    else
        ScrollFromWheel(window, delta, (keys & MK_SHIFT) != 0);
    return 0;
}

LRESULT OnMouseTiltWheel(HWND window, int delta)
{
    ScrollFromWheel(window, -delta, true);  // tilting right scrolls right
    return 0;
}

// Wine raises the window on the X server when it takes the focus, over its own tool panel.
LRESULT OnSetFocus(HWND window)
{
    KeepOwnedWindowsAbove(window);
    return 0;
}

// Being shown or moved in the z-order can put the window over its own windows under Wine.
// The default handling, which sends the size and move messages, needs the message as it came.
LRESULT OnWindowPosChanged(HWND window, WPARAM wParam, LPARAM lParam)
{
    const UINT flags = reinterpret_cast<const WINDOWPOS*>(lParam)->flags;
    const LRESULT result = DefWindowProcA(window, WM_WINDOWPOSCHANGED, wParam, lParam);
    if (flags & SWP_SHOWWINDOW)
        ReannounceOwnedWindows(window);  // the tool panel is shown while the window is created
    if ((flags & SWP_SHOWWINDOW) || !(flags & SWP_NOZORDER))
        KeepOwnedWindowsAbove(window);
    return result;
}

LRESULT OnDropFiles(HWND window, HDROP drop)
{
    OpenDroppedFile(window, drop);
    return 0;
}

// The menu bar's commands; any other id does nothing here.
LRESULT OnCommand(WORD command)
{
    if (IsMenuBarCommand(command))
        RunCommand(command, KeyboardPlace());
    return 0;
}

POINT ClientPointOf(LPARAM lParam)
{
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// The press goes to the open tool first; otherwise it picks, as a click always has, and may
// be the start of a drag that chooses the range.
LRESULT OnLeftButtonDown(HWND window, WPARAM keys, LPARAM lParam)
{
    PressOnImage(window, ClientPointOf(lParam), (keys & MK_SHIFT) != 0);
    return 0;
}

LRESULT OnMouseMove(HWND window, WPARAM keys, LPARAM lParam)
{
    MoveOnImage(window, ClientPointOf(lParam), (keys & MK_LBUTTON) != 0);
    return 0;
}

LRESULT OnLeftButtonUp(HWND window, LPARAM lParam)
{
    ReleaseOnImage(window, ClientPointOf(lParam));
    return 0;
}

LRESULT OnCaptureChanged(HWND window, HWND newCapture)
{
    LoseImageCapture(window, newCapture);
    return 0;
}

LRESULT OnTimer(HWND window, WPARAM timer)
{
    if (timer == kRangeDragTimer)
        ContinueRangeDrag(window);
    return 0;
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_app.mainWindow = window;
    switch (message) {
    case WM_CREATE:           return OnCreate(window);
    case WM_PAINT:            return OnPaint(window);
    case WM_CLOSE:            return OnClose();
    case WM_KEYDOWN:          return OnKeyDown(window, static_cast<UINT>(wParam));
    case WM_COMMAND:          return OnCommand(LOWORD(wParam));
    case WM_LBUTTONDOWN:      return OnLeftButtonDown(window, wParam, lParam);
    case WM_MOUSEMOVE:        return OnMouseMove(window, wParam, lParam);
    case WM_LBUTTONUP:        return OnLeftButtonUp(window, lParam);
    case WM_CAPTURECHANGED:   return OnCaptureChanged(window, reinterpret_cast<HWND>(lParam));
    case WM_TIMER:            return OnTimer(window, wParam);
    case WM_DROPFILES:        return OnDropFiles(window, reinterpret_cast<HDROP>(wParam));
    case WM_HSCROLL:          return OnScroll(window, SB_HORZ, LOWORD(wParam));
    case WM_VSCROLL:          return OnScroll(window, SB_VERT, LOWORD(wParam));
    case WM_KEYUP:            return OnKeyUp(window, wParam, lParam);
    case WM_SYSKEYDOWN:       return OnSysKeyDown(window, wParam, lParam);
    case WM_SYSKEYUP:         return OnSysKeyUp(window, wParam, lParam);
    case WM_CONTEXTMENU:      return OnContextMenu(window, wParam, lParam);
    case WM_MOUSEWHEEL:       return OnMouseWheel(window, wParam, lParam);
    case WM_MOUSEHWHEEL:      return OnMouseTiltWheel(window, GET_WHEEL_DELTA_WPARAM(wParam));
    case WM_SETFOCUS:         return OnSetFocus(window);
    case WM_WINDOWPOSCHANGED: return OnWindowPosChanged(window, wParam, lParam);
    default:                  return DefWindowProcA(window, message, wParam, lParam);
    }
}
