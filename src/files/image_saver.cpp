#include "image_saver.h"

#include <commdlg.h>

#include <cwchar>
#include <utility>

#include "file_dialog.h"
#include "fitted_dialog.h"
#include "image_document.h"
#include "image_encoder.h"
#include "path_conversion.h"
#include "resource.h"
#include "texts.h"
#include "wait_cursor.h"

namespace {

constexpr wchar_t kPngMimeType[] = L"image/png";
constexpr wchar_t kJpegMimeType[] = L"image/jpeg";
constexpr wchar_t kBmpMimeType[] = L"image/bmp";

void ShowSaveError(HWND owner, const char* message)
{
    MessageBoxA(owner, message, text::kSaveErrorCaption, MB_OK);
}

// Returns the chosen format's 1-based index, or 0 when the dialog was cancelled.
DWORD AskForSaveFile(ImageSaver& saver, HWND owner)
{
    const FileDialogSettings settings = {
        text::kSaveFilter,
        saver.SavePath(),
        kPathBytes,
        saver.SaveTitle(),
        kTitleBytes,
        OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST,
        text::kSaveDefaultExtension,
        text::kSaveTitle,
    };
    return RunFileDialog(FileDialogKind::Save, settings, owner);
}

// The folder part of a path, without its last separator; "." when there is none.
void FolderOf(const wchar_t* path, wchar_t (&folder)[MAX_PATH])
{
    std::wcsncpy(folder, path, MAX_PATH - 1);
    folder[MAX_PATH - 1] = L'\0';
    wchar_t* lastSeparator = nullptr;
    for (wchar_t* p = folder; *p; ++p)
        if (*p == L'\\' || *p == L'/')
            lastSeparator = p;
    if (!lastSeparator)
        std::wcscpy(folder, L".");
    else if (lastSeparator == folder || lastSeparator[-1] == L':')
        lastSeparator[1] = L'\0';  // keep the root's separator: "C:\", "\"
    else
        *lastSeparator = L'\0';
}

void WriteNow(ImageSaver& saver, const wchar_t* mimeType, HWND owner)
{
    if (!WriteImageReplacing(saver.Image().get(), saver.WideSavePath(), mimeType, nullptr))
        ShowSaveError(owner, text::kSaveFailed);
}

// Writes a pending save as JPEG with the saver's quality as it is now; a failure is told
// in a box owned by owner.
void WriteJpeg(const PendingJpegSave& save, HWND owner)
{
    const std::uint32_t quality = save.saver->JpegQuality();
    if (!WriteImageReplacing(save.image.get(), save.path, kJpegMimeType, &quality))
        ShowSaveError(owner, text::kSaveFailed);
}

// ---- The JPEG quality dialog "JPEGの画質設定": one for each pending save ----

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
    WriteJpeg(*save, GetWindow(dialog, GW_OWNER));
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

// Opens the modeless quality dialog for a pending save, owned by mainWindow and visible at
// once; when it cannot be made, the save ends here.
void OpenJpegQualityDialog(HINSTANCE instance, HWND mainWindow, PendingJpegSave* save)
{
    if (!CreateFittedDialog(instance, IDD_JPEG_QUALITY, mainWindow, JpegQualityDialogProc,
                            reinterpret_cast<LPARAM>(save)))
        save->saver->FinishPendingJpegSave(save);
}

}  // namespace

PendingJpegSave* ImageSaver::AddPendingJpegSave()
{
    PendingJpegSave& save = pendingJpegSaves_.emplace_back();
    save.saver = this;
    std::wcscpy(save.path, wideSavePath_);
    save.image = image_;
    return &save;
}

void ImageSaver::FinishPendingJpegSave(PendingJpegSave* save)
{
    pendingJpegSaves_.remove_if([save](const PendingJpegSave& s) { return &s == save; });
}

void ImageSaver::ReleaseImages() noexcept
{
    image_.reset();
    for (PendingJpegSave& save : pendingJpegSaves_)
        save.image.reset();
}

bool WriteImageReplacing(const ImageHandle* image, const wchar_t* target, const wchar_t* mimeType,
                         const std::uint32_t* jpegQuality)
{
    if (!image || image->IsEmpty() || !target || !*target)
        return false;
    const WaitCursor wait;
    wchar_t folder[MAX_PATH];
    FolderOf(target, folder);
    wchar_t temporary[MAX_PATH];
    if (!GetTempFileNameW(folder, L"tes", 0, temporary))
        return false;
    if (WriteImageFile(*image, temporary, mimeType, jpegQuality) &&
        MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(temporary);
    return false;
}

void SaveImageAs(const ImageDocument& document, ImageSaver& saver, HWND mainWindow, HINSTANCE instance)
{
    if (!document.HasImage()) {
        ShowSaveError(mainWindow, text::kNothingToSave);
        return;
    }
    saver.SetImage(document.SharedImage());

    const DWORD filterIndex = AskForSaveFile(saver, mainWindow);
    if (filterIndex == 0)
        return;
    ConvertPathToWide(saver.SavePath(), saver.WideSavePath());
    saver.SetFormatIndex(static_cast<SaveFormatIndex>(filterIndex));

    switch (saver.FormatIndex()) {
    case SaveFormatIndex::Png:  WriteNow(saver, kPngMimeType, mainWindow); break;
    case SaveFormatIndex::Bmp:  WriteNow(saver, kBmpMimeType, mainWindow); break;
    case SaveFormatIndex::Jpeg: OpenJpegQualityDialog(instance, mainWindow, saver.AddPendingJpegSave()); break;
    case SaveFormatIndex::None: break;
    }
}
