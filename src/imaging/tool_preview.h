#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "colour_key.h"
#include "image_handle.h"
#include "memory_warmer.h"
#include "view_scale.h"

// A tool's work on the image's pixels (rows of an image of size, not to be changed): the new
// pixels of the rectangle it would change. False when it cannot be done (no memory).
using PreviewWork = std::function<bool(const PixelRows& image, ImageSize size, ColourKeyResult& result)>;

// What a tool (making a colour transparent, cleaning an edge) would do to an image, kept while
// it is previewed: the result of its work (the new pixels of the changed rectangle; the image
// itself stays untouched) and, for a view below 100%, the view pixels that cover that
// rectangle with the new pixels in the image's place. Besides the image, it holds one copy of
// the changed rectangle, the reduced view of it and the work's own memory (a byte a pixel),
// and keeps that memory from one preview of the image to the next.
class ToolPreview {
public:
    ToolPreview() = default;
    ToolPreview(const ToolPreview&) = delete;  // a copy would be a second result
    ToolPreview& operator=(const ToolPreview&) = delete;
    ToolPreview(ToolPreview&&) noexcept = default;
    ToolPreview& operator=(ToolPreview&&) noexcept = default;

    // Works the preview out, again or for the first time: the result of work on image
    // replaces the one kept, and the reduced view is made for scale (kept empty at 100% and
    // above). False, with an empty result, when the image cannot be read or there is no
    // memory.
    bool Make(const ImageHandle& image, const PreviewWork& work, ViewScale scale);

    // Makes the reduced view again for another zoom; empty at 100% and above.
    bool BuildReduced(const ImageHandle& image, ViewScale scale);

    // Ends the preview and takes memory made ready for the next one, where it holds more than
    // the preview's own.
    void AdoptMemory(PreviewMemory memory) noexcept;

    // Whether the memory kept holds a preview of pixels new pixels, from an earlier preview.
    bool HoldsMemoryFor(std::size_t pixels) const noexcept
    {
        return result_.pixels.capacity() >= pixels && result_.scratch.capacity() >= pixels;
    }

    // Ends the preview and gives back its memory.
    void Clear() noexcept;
    // Ends the preview but keeps its memory for the next one on the same image: on a large
    // image, fresh memory for the result costs the first preview as much as the work itself.
    void End() noexcept;

    // The pixels that would change; empty when none would.
    const ImageRect& Changed() const noexcept { return result_.changed; }
    // Their new values, row by row (Changed().width pixels to a row); owned by the preview.
    PixelRows Rows() const noexcept;
    // Gives the result away, to be applied; the preview is left with nothing changed.
    ColourKeyResult TakeResult() noexcept;

    // Whether the reduced view was made at scale; the view pixels it holds (of the whole
    // image's view at that scale), and their rows.
    bool HasReducedAt(ViewScale scale) const noexcept;
    const ImageRect& ReducedArea() const noexcept { return reducedArea_; }
    PixelRows ReducedRows() const noexcept;

private:
    // The reduced view's rows [top, bottom) from the image's rows with the new pixels put in;
    // bands of them are made at once.
    bool MakeReducedRows(const PixelRows& imageRows, std::uint32_t top, std::uint32_t bottom) noexcept;
    bool MakeReducedBand(const PixelRows& imageRows, const ImageRect& band, std::vector<ArgbValue>& strip) noexcept;

    ColourKeyResult result_;
    PixelVector reduced_;  // the view pixels of reducedArea_, row by row
    ImageRect reducedArea_;
    ViewScale reducedScale_;
    ImageSize imageSize_;
};
