#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "image_handle.h"

class ImageDocument;

// The edits of one opened image (the range alpha edit, making a colour transparent), to be
// undone and redone. Each step keeps only the rectangle its edit changed: the pixels there as
// they were before the edit, and after an undo as they were after it. Together the steps keep
// at most the bound it was made with, in bytes of pixels; the oldest go first.
class EditHistory {
public:
    // The bound the program gives its history: 256 MB of pixels.
    static constexpr std::size_t kProgramMaxBytes = std::size_t{256} * 1024 * 1024;

    // An empty history that keeps at most maxBytes of pixels.
    explicit EditHistory(std::size_t maxBytes) noexcept : maxBytes_(maxBytes) {}

    // Keeps the pixels that ApplyAlphaToRange is about to change in the document's image;
    // call it just before the edit. Whatever could have been redone is dropped. An edit whose
    // pixels cannot be kept (more than the bound, or no memory for them) empties the
    // history instead, since no earlier step could be undone faithfully after it.
    void RecordAlphaEdit(const ImageDocument& document);

    // Keeps the pixels of area, which an edit of image is about to change; call it just
    // before the edit. Dropping and bounds as RecordAlphaEdit; nothing for an empty area.
    void RecordEdit(const ImageHandle& image, const ImageRect& area);

    // Makes pixels (area.PixelCount() values, row by row) the image's pixels of area, and
    // keeps what the image held there as the step to undo in pixels' own memory, so the edit
    // costs no copy: pixels is left empty. Whatever could have been redone is dropped; a
    // step larger than the bound empties the history, the edit being made all the same.
    // False, with the image, the history and pixels as they were, when the image refuses.
    bool ApplyEdit(ImageHandle& image, const ImageRect& area, std::vector<ArgbValue>& pixels);

    // Puts back the pixels of the last edit not undone; false when there is none or the
    // image refused them (the step then stays).
    bool Undo(ImageHandle& image);
    // Makes the last undone edit again; false when there is none or the image refused.
    bool Redo(ImageHandle& image);

    bool CanUndo() const noexcept { return undone_ < steps_.size(); }
    bool CanRedo() const noexcept { return undone_ > 0; }
    // The pixels the next Undo, or the next Redo, changes; empty when there is none.
    ImageRect UndoArea() const noexcept
    {
        return CanUndo() ? steps_[steps_.size() - 1 - undone_].area : ImageRect{};
    }
    ImageRect RedoArea() const noexcept { return CanRedo() ? steps_[steps_.size() - undone_].area : ImageRect{}; }
    void Clear() noexcept;

    // Bytes of pixels the steps keep, those that can be redone included.
    std::size_t Bytes() const noexcept { return bytes_; }
    // The most bytes of pixels the steps may keep.
    std::size_t MaxBytes() const noexcept { return maxBytes_; }

private:
    struct Step {
        ImageRect area;
        std::vector<ArgbValue> pixels;  // the area as it is not now: before, or after an undo
        std::size_t Bytes() const noexcept { return area.PixelCount() * sizeof(ArgbValue); }
    };

    void Keep(Step step);
    void DropRedoSteps() noexcept;
    void DropOldestStep() noexcept;

    std::size_t maxBytes_;
    std::deque<Step> steps_;  // oldest first; the last undone_ of them have been undone
    std::size_t undone_ = 0;
    std::size_t bytes_ = 0;
};
