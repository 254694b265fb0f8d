#include "jpeg_quality_dialog.h"

#include "image_saver.h"
#include "resource.h"

namespace {

PendingJpegSave* SaveOf(HWND dialog)
{
    return reinterpret_cast<PendingJpegSave*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void OnInitDialog(HWND dialog, LPARAM save)
{
    SetWindowLongPtrA(dialog, DWLP_USER, save);
}

// Unhooks the pending save from the dialog, so that no later command of this dialog can
// reach it: the error box of a failed write runs a message loop while the dialog still
// exists, and a second OK or a "キャンセル" pressed then must not act on a freed save.
PendingJpegSave* Detach(HWND dialog)
{
    PendingJpegSave* save = SaveOf(dialog);
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    return save;
}

void Finish(HWND dialog, PendingJpegSave* save)
{
    save->saver->FinishPendingJpegSave(save);
    DestroyWindow(dialog);
}

void OnQualityField(HWND dialog)
{
    // Every notification, focus changes included, stores the field; an empty one stores 0.
    SaveOf(dialog)->saver->SetJpegQuality(GetDlgItemInt(dialog, IDC_JPEG_QUALITY, nullptr, FALSE));
}

void OnOk(HWND dialog)
{
    PendingJpegSave* save = Detach(dialog);
    EnableWindow(dialog, FALSE);  // nothing to press while an error box may be up
    SaveAsJpeg(*save, GetWindow(dialog, GW_OWNER));
    Finish(dialog, save);
}

void OnCommand(HWND dialog, WORD id)
{
    if (!SaveOf(dialog))
        return;
    switch (id) {
    case IDC_JPEG_QUALITY: OnQualityField(dialog); break;
    case IDC_JPEG_OK:      OnOk(dialog); break;
    case IDCANCEL:         Finish(dialog, Detach(dialog)); break;
    default:               break;
    }
}

// The close box asks the main window whether to quit; the dialog itself stays.
void OnClose(HWND dialog)
{
    SendMessageA(GetWindow(dialog, GW_OWNER), WM_CLOSE, 0, 0);
}

INT_PTR CALLBACK JpegQualityDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog, lParam); return TRUE;
    case WM_COMMAND:    OnCommand(dialog, LOWORD(wParam)); return TRUE;
    // Handled, so that the dialog manager does not turn the close into "キャンセル".
    case WM_CLOSE:      OnClose(dialog); return TRUE;
    default:            return FALSE;
    }
}

}  // namespace

HWND OpenJpegQualityDialog(HWND mainWindow, PendingJpegSave* save)
{
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE));
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_JPEG_QUALITY), mainWindow,
                                     JpegQualityDialogProc, reinterpret_cast<LPARAM>(save));
    if (!dialog)
        save->saver->FinishPendingJpegSave(save);
    return dialog;
}
