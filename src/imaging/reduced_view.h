#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image_handle.h"
#include "view_scale.h"

// The image as the view shows it below 100%, kept for the view so that a paint only copies
// it: one buffer of straight ARGB pixels at the current zoom (at 2/3 it holds 4/9 of the
// image's own bytes, at a zoom that fits a photo to the screen far less), made again only
// where the image changes.
class ReducedView {
public:
    ReducedView() = default;
    ReducedView(const ReducedView&) = delete;  // a copy would be a second buffer held for nothing
    ReducedView& operator=(const ReducedView&) = delete;
    ReducedView(ReducedView&&) noexcept = default;
    ReducedView& operator=(ReducedView&&) noexcept = default;

    // Makes the view of the whole image at scale, which must reduce. Each view pixel is the
    // area average (box filter) of the image pixels it covers, [v*d/n, (v+1)*d/n) in each
    // direction clipped to the image, with fractional coverage weighted, averaged in
    // premultiplied alpha (so the colour of transparent pixels does not bleed), then stored
    // as straight (non-premultiplied) ARGB. The image's pixels are read where GDI+ keeps
    // them, through a lock. False, and empty, for an empty image, a scale that does not
    // reduce (or whose denominator in lowest terms exceeds 2^24), or no memory.
    bool Build(const ImageHandle& image, ViewScale scale);

    // Makes again only the view pixels that cover the image rectangle changed (after an
    // alpha edit, undo or redo); the part of changed outside the image is ignored. Nothing
    // when the view is not built; the whole view is built again for an image of another
    // size than the one it was built for.
    void Update(const ImageHandle& image, const ImageRect& changed);

    // Empties the view and gives its memory back.
    void Clear() noexcept;

    bool IsBuilt() const noexcept { return !pixels_.empty(); }

    // The scale it was built at, as given to Build; 1/1 when not built.
    ViewScale Scale() const noexcept { return scale_; }

    // ViewLength of the image's width and height; 0 × 0 when not built.
    ImageSize Size() const noexcept { return size_; }

    // The bytes of pixels it holds.
    std::size_t Bytes() const noexcept { return pixels_.capacity() * sizeof(ArgbValue); }

    // Row y (below Size().height) of the view, Size().width straight ARGB pixels; owned by
    // the view, valid until it is built again or cleared.
    const ArgbValue* Row(std::uint32_t y) const noexcept { return pixels_.data() + std::size_t{size_.width} * y; }

private:
    // Makes the view pixels of viewRect again from the image; false if the image could not be read.
    bool Make(const ImageHandle& image, const ImageRect& viewRect);

    std::vector<ArgbValue> pixels_;  // the view's rows, top to bottom
    ViewScale scale_;
    ImageSize imageSize_;  // of the image it was built for
    ImageSize size_;
};
