#include "tool_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "app_state.h"
#include "colour_swatch.h"
#include "editing.h"
#include "fitted_dialog.h"
#include "image_document.h"
#include "scroll_view.h"
#include "texts.h"

namespace {

// Space between the point a dialog must not cover and the dialog, in pixels.
constexpr int kClearance = 24;

}  // namespace

void PlaceAwayFrom(HWND dialog, POINT at)
{
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    int x = at.x + kClearance;
    int y = std::clamp<int>(at.y - height / 2, work.top, std::max<int>(work.top, work.bottom - height));
    if (x + width > work.right)
        x = at.x - kClearance - width;
    if (x < work.left) {
        x = std::clamp<int>(at.x - width / 2, work.left, std::max<int>(work.left, work.right - width));
        y = at.y + kClearance + height <= work.bottom ? at.y + kClearance : at.y - kClearance - height;
    }
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

LONG OverlapArea(const RECT& a, const RECT& b)
{
    RECT both = {};
    return IntersectRect(&both, &a, &b) ? (both.right - both.left) * (both.bottom - both.top) : 0;
}

}  // namespace

void PlaceBesideWindow(HWND dialog, HWND window)
{
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    RECT owner = {};
    GetWindowRect(window, &owner);
    RECT client = {};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    const LONG top = std::clamp<LONG>(owner.top, work.top, std::max<LONG>(work.top, work.bottom - height));
    const LONG left = std::clamp<LONG>(owner.left, work.left, std::max<LONG>(work.left, work.right - width));
    // Right of the window, left of it, below it, above it, then the four corners.
    const POINT places[] = {{owner.right, top}, {owner.left - width, top}, {left, owner.bottom},
                            {left, owner.top - height}, {work.right - width, work.bottom - height},
                            {work.left, work.bottom - height}, {work.right - width, work.top},
                            {work.left, work.top}};
    POINT best = places[0];
    LONG bestCover = LONG_MAX;
    for (const POINT& place : places) {
        const RECT at = {place.x, place.y, place.x + width, place.y + height};
        if (at.left < work.left || at.top < work.top || at.right > work.right || at.bottom > work.bottom)
            continue;
        const LONG cover = OverlapArea(at, client);
        if (cover < bestCover) {
            best = place;
            bestCover = cover;
        }
    }
    SetWindowPos(dialog, nullptr, best.x, best.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool BeginToolOnImage(ImageTool& tool)
{
    if (!g_document.HasImage() || !g_document.Image() || g_document.GetImageSize().width == 0)
        return false;
    BeginTool(tool);
    if (HWND dialog = tool.Dialog()) {
        SetForegroundWindow(dialog);
        return false;
    }
    return true;
}

HWND CreateToolDialog(ImageTool& tool, int templateId, DLGPROC procedure, HWND mainWindow)
{
    HWND dialog = CreateFittedDialog(GetModuleHandleA(nullptr), templateId, mainWindow, procedure, 0);
    if (!dialog) {
        EndTool(tool);
        return nullptr;
    }
    PlaceBesideWindow(dialog, mainWindow);
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    return dialog;
}

void NumberField::Start(HWND dialog, std::uint32_t value) const
{
    if (slider)
        SendDlgItemMessageA(dialog, slider, TBM_SETRANGE, TRUE,
                            MAKELPARAM(static_cast<WORD>(low), static_cast<WORD>(high)));
    SendDlgItemMessageA(dialog, field, EM_SETLIMITTEXT, digits, 0);
    SetDlgItemInt(dialog, field, value, FALSE);
}

std::uint32_t NumberField::Read(HWND dialog) const
{
    return std::clamp<std::uint32_t>(GetDlgItemInt(dialog, field, nullptr, FALSE), low, high);
}

std::uint32_t NumberField::FollowField(HWND dialog) const
{
    const std::uint32_t value = Read(dialog);
    if (slider)
        SendDlgItemMessageA(dialog, slider, TBM_SETPOS, TRUE, static_cast<LPARAM>(value));
    return value;
}

bool NumberField::FollowSlider(HWND dialog, HWND control) const
{
    if (!slider || control != GetDlgItem(dialog, slider))
        return false;
    const auto position = static_cast<std::uint32_t>(SendMessageA(control, TBM_GETPOS, 0, 0));
    if (position != Read(dialog))
        SetDlgItemInt(dialog, field, position, FALSE);
    return true;
}

void ShowColour(HWND dialog, int swatch, int text, ArgbValue colour)
{
    char shown[sizeof "255, 255, 255"] = {};
    std::snprintf(shown, sizeof shown, text::kKeyColourFormat, (colour >> 16) & 0xFFu, (colour >> 8) & 0xFFu,
                  colour & 0xFFu);
    SetDlgItemTextA(dialog, text, shown);
    ShowColourSwatch(GetDlgItem(dialog, swatch), colour);
}

void DeleteSwatchPicture(HWND dialog, int swatch)
{
    DeleteObject(reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(dialog, swatch, STM_SETIMAGE, IMAGE_BITMAP, 0)));
}

void ApplyPreviewAndClose(ImageTool& tool)
{
    ColourKeyResult result = TakePreviewResult();
    tool.Close();
    ApplyPixelsWithUndo(result.changed, result.pixels);
}

void RequestPreview(HWND dialog, bool& pending)
{
    if (pending)
        return;
    pending = true;
    PostMessageA(dialog, kMakePreview, 0, 0);
}

void ShowPreviewNow(const PreviewWork& work)
{
    if (const ImageHandle* image = g_document.Image())
        ShowPreview(*image, work);
    InvalidateRect(g_app.mainWindow, nullptr, TRUE);
    UpdateWindow(g_app.mainWindow);
}

void EndPreviewShown()
{
    EndPreview();
    InvalidateRect(g_app.mainWindow, nullptr, TRUE);
}

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}
