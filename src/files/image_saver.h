#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <list>
#include <utility>

#include "file_name_buffers.h"
#include "image_handle.h"

class ImageDocument;

// The format chosen in the save dialog, by its 1-based place in the dialog's filter.
enum class SaveFormatIndex : std::int32_t { None = 0, Png = 1, Jpeg = 2, Bmp = 3 };

class ImageSaver;

// A JPEG save waiting for its quality dialog's OK: the file and the image chosen in its own
// Save As, so that a later Save As cannot redirect it.
// The saver owns each pending save, in its list, from the Save As that chose JPEG until that
// save's quality dialog ends it: by OK (after the write), by "キャンセル", or when the dialog
// could not be created. The dialog only points at it, and lets go before it is freed.
struct PendingJpegSave {
    ImageSaver* saver = nullptr;
    wchar_t path[kPathBytes] = {};
    ImageRef image;
};

// The one save object: the last save dialog's choices, the JPEG quality shared by every
// quality dialog for the whole run, and the saves still waiting for a quality.
class ImageSaver {
public:
    SaveFormatIndex FormatIndex() const noexcept { return formatIndex_; }
    void SetFormatIndex(SaveFormatIndex index) noexcept { formatIndex_ = index; }

    std::uint32_t JpegQuality() const noexcept { return jpegQuality_; }
    void SetJpegQuality(std::uint32_t quality) noexcept { jpegQuality_ = quality; }

    // Code page 932 path and title from the last completed save dialog, and the path in
    // UTF-16; the save dialog writes straight into them and starts from them.
    char (&SavePath() noexcept)[kPathBytes] { return savePath_; }
    char (&SaveTitle() noexcept)[kTitleBytes] { return saveTitle_; }
    wchar_t (&WideSavePath() noexcept)[kPathBytes] { return wideSavePath_; }

    // The image the next write takes; set from the document at the start of each save.
    const ImageRef& Image() const noexcept { return image_; }
    void SetImage(ImageRef image) noexcept { image_ = std::move(image); }

    // Starts a pending JPEG save of the current image to the current wide path, and ends
    // one; see PendingJpegSave for when.
    PendingJpegSave* AddPendingJpegSave();
    void FinishPendingJpegSave(PendingJpegSave* save);
    std::size_t PendingJpegSaveCount() const noexcept { return pendingJpegSaves_.size(); }

    // Lets go of every image, pending ones too, before GDI+ shuts down.
    void ReleaseImages() noexcept;

private:
    SaveFormatIndex formatIndex_ = SaveFormatIndex::None;
    std::uint32_t jpegQuality_ = 0;
    char savePath_[kPathBytes] = {};
    char saveTitle_[kTitleBytes] = {};
    wchar_t wideSavePath_[kPathBytes] = {};
    ImageRef image_;
    std::list<PendingJpegSave> pendingJpegSaves_;  // a list keeps each element in place
};

// "名前をつけて保存": asks for a file and a format, then writes PNG or BMP at once, or opens
// a JPEG quality dialog, made from the resources of instance, that writes when its OK is
// pressed. With no image it says so and stops; a failed write says so too. Message boxes
// and the quality dialog are owned by mainWindow.
void SaveImageAs(const ImageDocument& document, ImageSaver& saver, HWND mainWindow, HINSTANCE instance);

// Writes image to target through a temporary file in the same folder, which then replaces
// the target, so that a failed write never damages an existing file. True when the
// target now holds the new file; on failure the temporary file is gone.
bool WriteImageReplacing(const ImageHandle* image, const wchar_t* target, const wchar_t* mimeType,
                         const std::uint32_t* jpegQuality);
