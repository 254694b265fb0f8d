#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "image_handle.h"
#include "pixel_tiles.h"
#include "pixel_vector.h"

class ImageDocument;

// The edits of one opened image (the range alpha edit, making a colour transparent, strokes of
// the brush), to be undone and redone. Each step keeps only what its edit changed, one
// rectangle or a set of tiles: the pixels there as they were before the edit, and after an
// undo as they were after it. Together the steps keep at most the bound it was made with, in
// bytes of pixels (with a tile's record counted beside its pixels); the oldest go first.
//
// The history also gives the image as it was opened, for the restore brush: nothing is kept
// for it until it is first asked for, when it is rebuilt from the image by undoing every
// step on a copy, unless a step is about to go first: the copy is then made just before, so
// that it is never lost. It costs one image's pixels, 4 bytes a pixel, beside the bound.
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
    bool ApplyEdit(ImageHandle& image, const ImageRect& area, PixelVector& pixels);

    // Keeps tiles, the pixels of an edit already made to image as they were before it (a
    // stroke of the brush, painted as the mouse moved), as one step, and takes their memory:
    // tiles is left empty. The tiles must not overlap. Whatever could have been redone is
    // dropped; a step larger than the bound empties the history, the edit staying made.
    // Nothing for no tiles.
    void KeepMadeEdit(const ImageHandle& image, std::vector<PixelTile>& tiles);

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
    // Forgets every step and the image as it was opened: for a newly opened or pasted image.
    void Clear() noexcept;

    // The image as it was opened or pasted, for the restore brush: rows of image's size, row y
    // being image row y, kept by the history until Clear. Made at the first call from image,
    // which must hold no edit the history has not been given (call it before a stroke
    // begins). Empty rows (first null) when there was no memory for it.
    PixelRows OriginalRows(const ImageHandle& image);
    // Bytes kept for the image as it was opened: 0 until it is first needed.
    std::size_t OriginalBytes() const noexcept { return original_.size() * sizeof(ArgbValue); }

    // Bytes the steps keep, those that can be redone included: their pixels, and the record
    // of each tile of a step of tiles.
    std::size_t Bytes() const noexcept { return bytes_; }
    // The most bytes of pixels the steps may keep.
    std::size_t MaxBytes() const noexcept { return maxBytes_; }

private:
    struct Step {
        ImageRect area;                 // the rectangle, or the tiles' bounds
        PixelVector pixels;             // the area as it is not now: before, or after an undo
        std::vector<PixelTile> tiles;   // or, for a step of tiles, the tiles as they are not now
        std::size_t bytes = 0;

        static Step OfRectangle(const ImageRect& area, PixelVector pixels);
        static Step OfTiles(std::vector<PixelTile> tiles);
        std::size_t Bytes() const noexcept { return bytes; }
        // Writes the pixels the step keeps into rows of the whole image.
        void CopyInto(const PixelRows& image) const noexcept;
    };

    // made: the step's edit is already in the image (else it is about to be made).
    void Keep(const ImageHandle& image, Step step, bool made);
    // Empties the history when a step cannot be kept, keeping the image as opened first.
    void Forget(const ImageHandle& image, const Step* made) noexcept;
    static bool Swap(ImageHandle& image, Step& step);
    bool KeepOriginal(const ImageHandle& image, const Step* made) noexcept;
    void DropRedoSteps() noexcept;
    void DropOldestStep() noexcept;

    std::size_t maxBytes_;
    std::deque<Step> steps_;  // oldest first; the last undone_ of them have been undone
    std::size_t undone_ = 0;
    std::size_t bytes_ = 0;
    std::vector<ArgbValue> original_;  // the image as opened, once needed; empty before
    ImageSize originalSize_;
    bool originalLost_ = false;  // steps went while there was no memory to keep it
};
