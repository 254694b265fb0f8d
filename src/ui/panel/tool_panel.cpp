#include "tool_panel.h"

#include "app_state.h"
#include "editing.h"
#include "fitted_dialog.h"
#include "image_document.h"
#include "image_events.h"
#include "opening.h"
#include "resource.h"
#include "shortcuts.h"

namespace {

// The platform's own unsigned reading: no digits gives 0, and so does a number past
// 32 bits; whether the conversion succeeded is not asked.
UINT ReadField(HWND panel, int id)
{
    return GetDlgItemInt(panel, id, nullptr, FALSE);
}

void WriteField(HWND panel, int id, UINT value)
{
    SetDlgItemInt(panel, id, value, FALSE);
}

// The four range fields, in the order X from, X to, Y from, Y to; the fields' notifications
// store the range in the document.
void WriteRangeFields(HWND panel, const PixelRange& range)
{
    WriteField(panel, IDC_X_FROM, range.xFrom);
    WriteField(panel, IDC_X_TO, range.xTo);
    WriteField(panel, IDC_Y_FROM, range.yFrom);
    WriteField(panel, IDC_Y_TO, range.yTo);
}

void OnInitDialog(HWND panel)
{
    g_app.swatch = GetDlgItem(panel, IDC_SWATCH);
    ForwardShortcutsFromControls(panel);
    DragAcceptFiles(panel, TRUE);
    constexpr UINT kOpaque = 255;
    WriteField(panel, IDC_X_FROM, 0);
    WriteField(panel, IDC_X_TO, 0);
    WriteField(panel, IDC_Y_FROM, 0);
    WriteField(panel, IDC_Y_TO, 0);
    WriteField(panel, IDC_ALPHA_VALUE, kOpaque);
}

void OnApplyAlpha(HWND panel)
{
    ApplyAlphaWithUndo(ReadField(panel, IDC_ALPHA_VALUE));
}

// Range fields follow every notification, so values set by the program count as typed.
void OnRangeField(HWND panel, int id, RangeValue which)
{
    g_document.SetRangeValue(which, ReadField(panel, id));
    AnnounceImageChange({ImageChangeKind::kRange, {}});
}

void OnShowRange(RangePenMode mode)
{
    g_document.ShowRange(mode);
    AnnounceImageChange({ImageChangeKind::kOutline, {}});
}

void OnHideRange()
{
    g_document.HideRange();
    AnnounceImageChange({ImageChangeKind::kOutline, {}});
}

// Fills the range fields with the whole image (0, width, 0, height); nothing without an
// image. The fields' notifications store the range.
void SelectWholeImage(HWND panel)
{
    if (!g_document.HasImage())
        return;
    const ImageSize size = g_document.GetImageSize();
    WriteRangeFields(panel, PixelRange{0, 0, size.width, size.height});
}

void OnCommand(HWND panel, WORD id)
{
    switch (id) {
    case IDC_APPLY_ALPHA:      OnApplyAlpha(panel); break;
    case IDC_X_FROM:           OnRangeField(panel, id, RangeValue::XFrom); break;
    case IDC_Y_FROM:           OnRangeField(panel, id, RangeValue::YFrom); break;
    case IDC_X_TO:             OnRangeField(panel, id, RangeValue::XTo); break;
    case IDC_Y_TO:             OnRangeField(panel, id, RangeValue::YTo); break;
    case IDC_SHOW_RANGE_WHITE: OnShowRange(RangePenMode::White); break;
    case IDC_SHOW_RANGE_BLACK: OnShowRange(RangePenMode::Black); break;
    case IDC_HIDE_RANGE:       OnHideRange(); break;
    case IDC_WHOLE_RANGE:      SelectWholeImage(panel); break;
    default:                   break;
    }
}

// The close box asks the main window whether to quit; the panel itself stays.
void OnClose()
{
    SendMessageA(g_app.mainWindow, WM_CLOSE, 0, 0);
}

// A file dropped on the panel opens as if dropped on the main window.
void OnDropFiles(HDROP drop)
{
    OpenDroppedFile(g_app.mainWindow, drop);
}

// Reports every message as not handled, leaving the rest to the dialog manager; a key
// reaches the panel itself only when none of its controls has the focus.
INT_PTR CALLBACK ToolPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(panel); break;
    case WM_CLOSE:      OnClose(); break;
    case WM_COMMAND:    OnCommand(panel, LOWORD(wParam)); break;
    case WM_KEYDOWN:    RunShortcut(wParam, false); break;
    case WM_DROPFILES:  OnDropFiles(reinterpret_cast<HDROP>(wParam)); break;
    default:            break;
    }
    return FALSE;
}

}  // namespace

HWND CreateToolPanel(HWND mainWindow)
{
    return CreateFittedDialog(GetModuleHandleA(nullptr), IDD_TOOL_PANEL,
                              mainWindow, ToolPanelProc, 0);
}

void ShowChosenRange(const PixelRange& range)
{
    WriteRangeFields(g_app.toolPanel, range);
    OnShowRange(g_document.PenToShow());
}
