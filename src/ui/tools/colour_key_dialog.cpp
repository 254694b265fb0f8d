#include "colour_key_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "alpha_edit.h"
#include "app_state.h"
#include "colour_swatch.h"
#include "editing.h"
#include "image_document.h"
#include "image_tools.h"
#include "resource.h"
#include "scroll_view.h"
#include "shortcuts.h"
#include "texts.h"

namespace {

constexpr UINT kMakePreview = WM_APP + 1;  // posted by RequestPreview
constexpr UINT kMostTolerance = 255;
// Space between the point the dialog must not cover and the dialog, in pixels.
constexpr int kClearance = 24;

ColourKeyState& State()
{
    return g_ui.colourKey;
}

void CloseDialog();

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// A number past 255 counts as 255; read unsigned, as the panel's fields are.
std::uint32_t ReadTolerance(HWND dialog)
{
    return std::min<UINT>(GetDlgItemInt(dialog, IDC_TOLERANCE, nullptr, FALSE), kMostTolerance);
}

ColourKeyOptions ReadOptions(HWND dialog)
{
    ColourKeyOptions options;
    options.key = State().key;
    options.tolerance = ReadTolerance(dialog);
    options.connected = IsChecked(dialog, IDC_CONNECTED);
    options.startX = static_cast<std::uint32_t>(State().start.x);
    options.startY = static_cast<std::uint32_t>(State().start.y);
    options.area = IsChecked(dialog, IDC_IN_RANGE) ? AlphaEditArea(g_document) : WholeOf(g_document.GetImageSize());
    options.cleanEdges = IsChecked(dialog, IDC_CLEAN_EDGES);
    options.softShadows = IsChecked(dialog, IDC_SOFT_SHADOWS);
    return options;
}

// Works out the result from the image as it is now and has the main window show it at once;
// its paint gives the keyboard back to the control that had it.
void MakePreview(HWND dialog)
{
    State().previewPending = false;
    const ImageHandle* image = g_document.Image();
    if (!image)
        return;
    const ColourKeyOptions options = ReadOptions(dialog);
    ShowPreview(*image, [&options](const PixelRows& pixels, ImageSize size, ColourKeyResult& result) {
        return MakeColourTransparent(pixels, size, options, result);
    });
    InvalidateRect(g_app.mainWindow, nullptr, TRUE);
    UpdateWindow(g_app.mainWindow);
}

// One preview for every change that comes before the posted message is handled.
void RequestPreview(HWND dialog)
{
    if (State().previewPending)
        return;
    State().previewPending = true;
    PostMessageA(dialog, kMakePreview, 0, 0);
}

// Takes the key from the image itself, never from the preview.
void SetKeyAt(POINT pixel)
{
    ArgbValue colour = kOpaqueBlack;
    g_document.Image()->GetPixel(static_cast<std::uint32_t>(pixel.x), static_cast<std::uint32_t>(pixel.y), colour);
    State().key = colour;
    State().start = pixel;
}

void ShowKey(HWND dialog)
{
    const ArgbValue key = State().key;
    char text[sizeof "255, 255, 255"] = {};
    std::snprintf(text, sizeof text, text::kKeyColourFormat, (key >> 16) & 0xFFu, (key >> 8) & 0xFFu, key & 0xFFu);
    SetDlgItemTextA(dialog, IDC_KEY_COLOUR, text);
    ShowColourSwatch(GetDlgItem(dialog, IDC_KEY_SWATCH), key);
}

// Beside the point, right of it if the work area has room, else left of it; up and down it
// stays inside the work area. With room on neither side, above or below it.
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

void OnInitDialog(HWND dialog)
{
    SendDlgItemMessageA(dialog, IDC_TOLERANCE_SLIDER, TBM_SETRANGE, TRUE, MAKELPARAM(0, kMostTolerance));
    SendDlgItemMessageA(dialog, IDC_TOLERANCE, EM_SETLIMITTEXT, 3, 0);  // larger counts as 255 anyway
    CheckRadioButton(dialog, IDC_CONNECTED, IDC_EVERYWHERE, IDC_CONNECTED);
    CheckDlgButton(dialog, IDC_CLEAN_EDGES, BST_CHECKED);
    ForwardShortcutsFromControls(dialog);  // undo, redo and the zooms work from here too
    State().dialog = dialog;
    SetDlgItemInt(dialog, IDC_TOLERANCE, State().tolerance, FALSE);  // moves the slider too
    SetFocus(GetDlgItem(dialog, IDC_TOLERANCE));
}

// The field moves the slider; typed or written by the slider, the preview follows.
void OnToleranceTyped(HWND dialog)
{
    const std::uint32_t tolerance = ReadTolerance(dialog);
    State().tolerance = tolerance;
    SendDlgItemMessageA(dialog, IDC_TOLERANCE_SLIDER, TBM_SETPOS, TRUE, static_cast<LPARAM>(tolerance));
    RequestPreview(dialog);
}

void OnSlider(HWND dialog, HWND control)
{
    if (control != GetDlgItem(dialog, IDC_TOLERANCE_SLIDER))
        return;
    const auto position = static_cast<UINT>(SendMessageA(control, TBM_GETPOS, 0, 0));
    if (position != ReadTolerance(dialog))
        SetDlgItemInt(dialog, IDC_TOLERANCE, position, FALSE);
}

// The result goes to the image once the dialog is closed, so that nothing follows it.
void OnApply(HWND dialog)
{
    if (State().previewPending)
        MakePreview(dialog);
    ColourKeyResult result = TakePreviewResult();
    CloseDialog();
    ApplyPixelsWithUndo(result.changed, result.pixels);
}

// A preview made in the meantime (by a click, an edit, OK) leaves nothing to do.
void OnPreviewRequested(HWND dialog)
{
    if (State().previewPending)
        MakePreview(dialog);
}

// The swatch's picture belongs to the dialog, and goes with it.
void OnDestroy(HWND dialog)
{
    DeleteObject(reinterpret_cast<HGDIOBJ>(
        SendDlgItemMessageA(dialog, IDC_KEY_SWATCH, STM_SETIMAGE, IMAGE_BITMAP, 0)));
}

void OnToleranceField(HWND dialog, WORD notification)
{
    if (notification == EN_CHANGE)
        OnToleranceTyped(dialog);
}

void OnOptionButton(HWND dialog, WORD notification)
{
    if (notification == BN_CLICKED)
        RequestPreview(dialog);
}

void OnCommand(HWND dialog, WORD id, WORD notification)
{
    switch (id) {
    case IDOK:             OnApply(dialog); break;
    case IDCANCEL:         CloseDialog(); break;
    case IDC_TOLERANCE:    OnToleranceField(dialog, notification); break;
    case IDC_CONNECTED:
    case IDC_EVERYWHERE:
    case IDC_IN_RANGE:
    case IDC_CLEAN_EDGES:
    case IDC_SOFT_SHADOWS: OnOptionButton(dialog, notification); break;
    default:               break;
    }
}

INT_PTR CALLBACK ColourKeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); return FALSE;  // the focus is set
    case WM_COMMAND:    OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_HSCROLL:    OnSlider(dialog, reinterpret_cast<HWND>(lParam)); return TRUE;
    case WM_CLOSE:      CloseDialog(); return TRUE;
    case WM_DESTROY:    OnDestroy(dialog); return TRUE;
    case kMakePreview:  OnPreviewRequested(dialog); return TRUE;
    default:            return FALSE;
    }
}

HWND CreateColourKeyDialog(HWND mainWindow)
{
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_COLOUR_KEY), mainWindow,
                              ColourKeyDialogProc, 0);
}

// The colour work's tool: a click on the image chooses the colour and the start again and goes
// on to pick, as a click always does; the view shows its preview.
class ColourKeyTool final : public ImageTool {
public:
    HWND Dialog() const override { return State().dialog; }
    void Close() override { CloseDialog(); }
    bool Press(const ImagePoint& point, bool) override
    {
        ChooseAgain(point.pixel);
        return false;
    }
    void Follow(const ImageChange& change) override
    {
        if (change.kind == ImageChangeKind::kPixels)
            MakePreview(State().dialog);  // an edit, undo or redo under the dialog
        else if (change.kind == ImageChangeKind::kRange && IsChecked(State().dialog, IDC_IN_RANGE))
            RequestPreview(State().dialog);  // once for the four fields written together
    }
    bool ShowsPreview() const override { return true; }

private:
    // Chooses the colour of image pixel `pixel` (as it is in the image, not in the preview) and
    // that pixel as the start again; nothing for a pixel outside the image.
    static void ChooseAgain(POINT pixel)
    {
        if (!g_document.Image() || !IsInImage(pixel))
            return;
        SetKeyAt(pixel);
        ShowKey(State().dialog);
        MakePreview(State().dialog);
    }
};

ColourKeyTool& Tool()
{
    static ColourKeyTool tool;
    return tool;
}

void CloseDialog()
{
    HWND dialog = State().dialog;
    if (!dialog)
        return;
    State().dialog = nullptr;
    State().previewPending = false;
    EndTool(Tool());
    DestroyWindow(dialog);
    EndPreview();
    InvalidateRect(g_app.mainWindow, nullptr, TRUE);
}

}  // namespace

void OpenColourKeyDialog(HWND mainWindow, POINT pixel, POINT at)
{
    if (!g_document.HasImage() || !g_document.Image() || !IsInImage(pixel))
        return;
    BeginTool(Tool());
    SetKeyAt(pixel);
    HWND dialog = State().dialog ? State().dialog : CreateColourKeyDialog(mainWindow);
    if (!dialog) {
        EndTool(Tool());
        return;
    }
    ShowKey(dialog);
    PlaceAwayFrom(dialog, at);
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    MakePreview(dialog);
}
