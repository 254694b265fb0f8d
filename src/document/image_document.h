#pragma once
#include <cstddef>
#include <cstdint>

#include "file_name_buffers.h"
#include "pixel_range.h"
#include "image_handle.h"

// The one document: the current image, the editing range, whether and in which colour
// the range outline is drawn, and the names of the file last opened.
class ImageDocument {
public:
    static constexpr std::size_t kCaptionBytes = 256;

    const PixelRange& Range() const noexcept { return range_; }
    // Stores one range value; nothing is repainted.
    void SetRangeValue(RangeValue which, std::uint32_t value) noexcept;

    void ShowRange(RangePenMode mode) noexcept;
    void HideRange() noexcept { showRange_ = 0; }  // the pen mode is kept
    bool IsRangeShown() const noexcept { return showRange_ != 0; }
    RangePenMode PenMode() const noexcept { return penMode_; }
    // The pen an outline shown now would take: the current one, or white before any show
    // button was pressed.
    RangePenMode PenToShow() const noexcept
    {
        return penMode_ == RangePenMode::None ? RangePenMode::White : penMode_;
    }

    // True once a file has been chosen and opened, whether or not it decoded.
    bool HasImage() const noexcept { return hasImage_ != 0; }
    // The current image; null before the first open.
    ImageHandle* Image() const noexcept { return image_.get(); }
    const ImageRef& SharedImage() const noexcept { return image_; }
    // Width and height of the current image; 0 × 0 with no image or an empty one.
    ImageSize GetImageSize() const noexcept;
    // Makes image the current one and marks the document as having an image. Other
    // holders of the previous image keep it alive. The image counts as saved without loss
    // until SetFromLossyFile says otherwise.
    void SetImage(ImageRef image) noexcept;
    // Whether the current image was decoded from a file saved with loss (a JPEG): its noise
    // stays in it through every edit. A pasted image, a PNG's and a BMP's are not.
    bool FromLossyFile() const noexcept { return fromLossyFile_; }
    void SetFromLossyFile(bool lossy) noexcept { fromLossyFile_ = lossy; }
    // Lets go of the image before GDI+ shuts down; has image stays as it was.
    void ReleaseImage() noexcept { image_.reset(); }

    // Code page 932 path and title of the last opened file, and the path in UTF-16; the
    // open dialog writes straight into them.
    char (&OpenedPath() noexcept)[kPathBytes] { return openedPath_; }
    char (&OpenedTitle() noexcept)[kTitleBytes] { return openedTitle_; }
    wchar_t (&WidePath() noexcept)[kPathBytes] { return widePath_; }
    const char* OpenedTitle() const noexcept { return openedTitle_; }

    // The buffer in which the main window composes its caption.
    char (&Caption() noexcept)[kCaptionBytes] { return caption_; }

private:
    PixelRange range_;
    ImageRef image_;
    std::int32_t hasImage_ = 0;
    std::int32_t showRange_ = 0;
    RangePenMode penMode_ = RangePenMode::None;
    bool fromLossyFile_ = false;
    char openedPath_[kPathBytes] = {};
    char openedTitle_[kTitleBytes] = {};
    wchar_t widePath_[kPathBytes] = {};
    char caption_[kCaptionBytes] = {};
};
