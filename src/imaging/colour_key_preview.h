#pragma once
#include <cstdint>
#include <vector>

#include "colour_key.h"
#include "image_handle.h"
#include "view_scale.h"

// What making a colour transparent would do to an image, kept while it is previewed: the
// result of the colour work (the new pixels of the changed rectangle; the image itself stays
// untouched) and, for a view below 100%, the view pixels that cover that rectangle with the
// new pixels in the image's place. Besides the image, it holds one copy of the changed
// rectangle and the reduced view of it.
class ColourKeyPreview {
public:
    ColourKeyPreview() = default;
    ColourKeyPreview(const ColourKeyPreview&) = delete;  // a copy would be a second result
    ColourKeyPreview& operator=(const ColourKeyPreview&) = delete;
    ColourKeyPreview(ColourKeyPreview&&) noexcept = default;
    ColourKeyPreview& operator=(ColourKeyPreview&&) noexcept = default;

    // Starts a preview, or works it out again: the result of the colour work on image with
    // options replaces the one kept, and the reduced view is made for scale (kept empty at
    // 100% and above). False, with an empty result, when the image cannot be read or there
    // is no memory; the preview stays active either way.
    bool Make(const ImageHandle& image, const ColourKeyOptions& options, ViewScale scale);

    // Makes the reduced view again for another zoom; empty at 100% and above.
    bool BuildReduced(const ImageHandle& image, ViewScale scale);

    // Ends the preview and gives back its memory.
    void Clear() noexcept;

    // True from the first Make until Clear.
    bool IsActive() const noexcept { return active_; }

    // The pixels that would change; empty when none would.
    const ImageRect& Changed() const noexcept { return result_.changed; }
    // Their new values, row by row (Changed().width pixels to a row); owned by the preview.
    PixelRows Rows() const noexcept;
    // Gives the result away, to be applied; the preview stays active with nothing changed.
    ColourKeyResult TakeResult() noexcept;

    // Whether the reduced view was made at scale; the view pixels it holds (of the whole
    // image's view at that scale), and their rows.
    bool HasReducedAt(ViewScale scale) const noexcept;
    const ImageRect& ReducedArea() const noexcept { return reducedArea_; }
    PixelRows ReducedRows() const noexcept;

private:
    bool MakeReducedBand(const ImageHandle& image, const ImageRect& band);

    ColourKeyResult result_;
    bool active_ = false;
    std::vector<ArgbValue> reduced_;  // the view pixels of reducedArea_, row by row
    ImageRect reducedArea_;
    ViewScale reducedScale_;
    ImageSize imageSize_;
};
