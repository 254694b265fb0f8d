#include "tool_preview.h"

#include <algorithm>
#include <new>
#include <utility>

#include "area_average.h"
#include "locked_pixels.h"
#include "row_bands.h"

namespace {

// Image rows averaged at a time for the reduced view: the image's pixels under a band of view
// rows are copied with the new pixels put in, a strip far smaller than the changed rectangle.
constexpr std::uint32_t kBandImageRows = 64;

std::ptrdiff_t StrideOf(std::uint32_t width)
{
    return static_cast<std::ptrdiff_t>(std::size_t{width} * sizeof(ArgbValue));
}

}  // namespace

bool ToolPreview::Make(const ImageHandle& image, const PreviewWork& work, ViewScale scale)
{
    // The pixels' memory is kept from one preview to the next: making it anew for each
    // change of the tolerance would cost as much as the colour work itself.
    result_.changed = {};
    result_.pixels.clear();
    const ImageSize size = image.Size();
    if (image.IsEmpty() || size.width == 0 || size.height == 0)
        return false;
    {
        const LockedPixels locked(image.Native(), WholeOf(size), Gdiplus::ImageLockModeRead);
        if (!locked.IsLocked() ||
            !work({locked.Data().Scan0, locked.Data().Stride}, size, result_))
            return false;
    }
    return BuildReduced(image, scale);
}

bool ToolPreview::BuildReduced(const ImageHandle& image, ViewScale scale)
{
    // The memory is kept from one zoom to the next, as the result's is.
    reduced_.clear();
    reducedArea_ = {};
    reducedScale_ = {};
    imageSize_ = image.Size();
    if (scale.Enlarges() || scale.IsActualSize() || result_.changed.PixelCount() == 0)
        return true;
    const ImageRect area = ViewPixelsCovering(result_.changed, imageSize_, scale);
    try {
        reduced_.resize(area.PixelCount());
    } catch (const std::bad_alloc&) {
        return false;
    }
    reducedArea_ = area;
    reducedScale_ = scale;
    bool made = false;
    image.UsePixels(WholeOf(imageSize_), false, [this, &made](const PixelRows& imageRows) {
        made = ForEachRowBand(reducedArea_.height, [this, &imageRows](std::uint32_t top, std::uint32_t bottom) {
            return MakeReducedRows(imageRows, reducedArea_.y + top, reducedArea_.y + bottom);
        });
    });
    if (!made) {
        PixelVector().swap(reduced_);
        reducedArea_ = {};
    }
    return made;
}

bool ToolPreview::MakeReducedRows(const PixelRows& imageRows, std::uint32_t top, std::uint32_t bottom) noexcept
{
    const ViewScale reduced = Reduced(reducedScale_);
    const std::uint32_t bandRows = std::max<std::uint32_t>(
        1, static_cast<std::uint32_t>(std::uint64_t{kBandImageRows} * reduced.numerator / reduced.denominator));
    std::vector<ArgbValue> strip;
    for (std::uint32_t y = top; y < bottom; y += bandRows)
        if (!MakeReducedBand(imageRows, {reducedArea_.x, y, reducedArea_.width, std::min(bandRows, bottom - y)}, strip))
            return false;
    return true;
}

bool ToolPreview::MakeReducedBand(const PixelRows& imageRows, const ImageRect& band,
                                  std::vector<ArgbValue>& strip) noexcept
{
    const ImageRect under = ImagePixelsUnder(band, imageSize_, reducedScale_);
    const ImageRect changed = result_.changed;
    const PixelRows target = {reduced_.data() + std::size_t{band.y - reducedArea_.y} * reducedArea_.width,
                              StrideOf(reducedArea_.width)};
    const ImageRect both = Overlap(under, changed);
    if (both.width == under.width && both.height == under.height) {
        // All new pixels: averaged where they are, with no copy.
        const PixelRows source = {const_cast<ArgbValue*>(result_.pixels.data()) +
                                      std::size_t{under.y - changed.y} * changed.width + (under.x - changed.x),
                                  StrideOf(changed.width)};
        return AverageAreas(source, imageSize_, reducedScale_, band, target);
    }
    try {
        strip.resize(under.PixelCount());
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::uint32_t y = 0; y < under.height; ++y)
        std::copy_n(imageRows.Row(under.y + y) + under.x, under.width, strip.data() + std::size_t{y} * under.width);
    for (std::uint32_t y = both.y; y < both.y + both.height; ++y)
        std::copy_n(result_.pixels.data() + std::size_t{y - changed.y} * changed.width + (both.x - changed.x),
                    both.width, strip.data() + std::size_t{y - under.y} * under.width + (both.x - under.x));
    return AverageAreas({strip.data(), StrideOf(under.width)}, imageSize_, reducedScale_, band, target);
}

void ToolPreview::AdoptMemory(PreviewMemory memory) noexcept
{
    End();
    const auto adopt = [](auto& mine, auto& made) {
        if (made.capacity() > mine.capacity()) {
            mine.swap(made);
            mine.clear();
        }
    };
    adopt(result_.pixels, memory.pixels);
    adopt(result_.scratch, memory.scratch);
    adopt(reduced_, memory.reduced);
}

void ToolPreview::Clear() noexcept
{
    *this = ToolPreview{};
}

void ToolPreview::End() noexcept
{
    result_.changed = {};
    result_.pixels.clear();
    reduced_.clear();
    reducedArea_ = {};
    reducedScale_ = {};
}

PixelRows ToolPreview::Rows() const noexcept
{
    return {const_cast<ArgbValue*>(result_.pixels.data()), StrideOf(result_.changed.width)};
}

ColourKeyResult ToolPreview::TakeResult() noexcept
{
    ColourKeyResult taken = std::move(result_);
    result_ = ColourKeyResult{};
    result_.scratch.swap(taken.scratch);  // the work's own memory stays for the next preview
    PixelVector().swap(reduced_);
    reducedArea_ = {};
    return taken;
}

bool ToolPreview::HasReducedAt(ViewScale scale) const noexcept
{
    return !reduced_.empty() && IsSameZoom(scale, reducedScale_);
}

PixelRows ToolPreview::ReducedRows() const noexcept
{
    return {const_cast<ArgbValue*>(reduced_.data()), StrideOf(reducedArea_.width)};
}
