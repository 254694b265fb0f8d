#include "image_saver.h"

#include <commdlg.h>

#include <cwchar>
#include <utility>

#include "image_document.h"
#include "file_dialog.h"
#include "jpeg_quality_dialog.h"
#include "path_conversion.h"
#include "image_encoder.h"
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
        ImageSaver::kPathBytes,
        saver.SaveTitle(),
        ImageSaver::kTitleBytes,
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

bool SaveAsJpeg(const PendingJpegSave& save, HWND owner)
{
    const std::uint32_t quality = save.saver->JpegQuality();
    if (WriteImageReplacing(save.image.get(), save.path, kJpegMimeType, &quality))
        return true;
    ShowSaveError(owner, text::kSaveFailed);
    return false;
}

void SaveImageAs(const ImageDocument& document, ImageSaver& saver, HWND mainWindow)
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
    case SaveFormatIndex::Jpeg: OpenJpegQualityDialog(mainWindow, saver.AddPendingJpegSave()); break;
    case SaveFormatIndex::None: break;
    }
}
