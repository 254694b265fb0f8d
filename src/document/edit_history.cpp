#include "edit_history.h"

#include <algorithm>
#include <new>
#include <utility>

#include "alpha_edit.h"
#include "image_document.h"

namespace {

// Copies a step's pixels of one rectangle into rows of the whole image.
void CopyRectangleInto(const ImageRect& area, const PixelVector& pixels, const PixelRows& image) noexcept
{
    for (std::uint32_t row = 0; row < area.height; ++row)
        std::copy_n(pixels.data() + std::size_t{area.width} * row, area.width, image.Row(area.y + row) + area.x);
}

}  // namespace

EditHistory::Step EditHistory::Step::OfRectangle(const ImageRect& area, PixelVector pixels)
{
    Step step;
    step.area = area;
    step.pixels = std::move(pixels);
    step.bytes = area.PixelCount() * sizeof(ArgbValue);
    return step;
}

EditHistory::Step EditHistory::Step::OfTiles(std::vector<PixelTile> tiles)
{
    Step step;
    step.area = TilesBounds(tiles);
    step.bytes = TilesBytes(tiles);
    step.tiles = std::move(tiles);
    return step;
}

void EditHistory::RecordAlphaEdit(const ImageDocument& document)
{
    const ImageHandle* image = document.Image();
    if (document.HasImage() && image)
        RecordEdit(*image, AlphaEditArea(document));
}

void EditHistory::RecordEdit(const ImageHandle& image, const ImageRect& area)
{
    if (area.PixelCount() == 0)
        return;  // the edit changes nothing
    DropRedoSteps();
    Step step = Step::OfRectangle(area, {});
    try {
        if (step.Bytes() <= maxBytes_)
            step.pixels.resize(area.PixelCount());
    } catch (const std::bad_alloc&) {
        step.pixels.clear();
    }
    if (step.pixels.empty() || !image.ReadPixels(area, step.pixels.data())) {
        Forget(image, nullptr);
        return;
    }
    Keep(image, std::move(step), false);
}

bool EditHistory::ApplyEdit(ImageHandle& image, const ImageRect& area, PixelVector& pixels)
{
    if (area.PixelCount() == 0 || pixels.size() != area.PixelCount() || !image.SwapPixels(area, pixels.data()))
        return false;
    DropRedoSteps();
    Step step = Step::OfRectangle(area, std::move(pixels));
    pixels.clear();
    if (step.Bytes() > maxBytes_)
        Forget(image, &step);
    else
        Keep(image, std::move(step), true);
    return true;
}

void EditHistory::KeepMadeEdit(const ImageHandle& image, std::vector<PixelTile>& tiles)
{
    if (tiles.empty())
        return;
    DropRedoSteps();
    Step step = Step::OfTiles(std::move(tiles));
    tiles.clear();
    if (step.Bytes() > maxBytes_)
        Forget(image, &step);
    else
        Keep(image, std::move(step), true);
}

void EditHistory::Keep(const ImageHandle& image, Step step, bool made)
{
    if (!steps_.empty() && bytes_ + step.Bytes() > maxBytes_ && !KeepOriginal(image, made ? &step : nullptr))
        originalLost_ = true;
    while (!steps_.empty() && bytes_ + step.Bytes() > maxBytes_)
        DropOldestStep();
    bytes_ += step.Bytes();
    steps_.push_back(std::move(step));
}

void EditHistory::Forget(const ImageHandle& image, const Step* made) noexcept
{
    if (!KeepOriginal(image, made))
        originalLost_ = true;
    steps_.clear();
    undone_ = 0;
    bytes_ = 0;
}

void EditHistory::Step::CopyInto(const PixelRows& image) const noexcept
{
    if (tiles.empty())
        CopyRectangleInto(area, pixels, image);
    else
        CopyTilesInto(tiles, image);
}

bool EditHistory::Swap(ImageHandle& image, Step& step)
{
    if (step.tiles.empty())
        return image.SwapPixels(step.area, step.pixels.data());
    return image.UsePixels(WholeOf(image.Size()), true, [&step](const PixelRows& rows) { SwapTiles(rows, step.tiles); });
}

bool EditHistory::Undo(ImageHandle& image)
{
    if (!CanUndo() || !Swap(image, steps_[steps_.size() - 1 - undone_]))
        return false;
    ++undone_;
    return true;
}

bool EditHistory::Redo(ImageHandle& image)
{
    if (!CanRedo() || !Swap(image, steps_[steps_.size() - undone_]))
        return false;
    --undone_;
    return true;
}

bool EditHistory::KeepOriginal(const ImageHandle& image, const Step* made) noexcept
{
    if (!original_.empty() || originalLost_)
        return !original_.empty();
    const ImageSize size = image.Size();
    try {
        original_.resize(WholeOf(size).PixelCount());
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (original_.empty() || !image.ReadPixels(WholeOf(size), original_.data())) {
        std::vector<ArgbValue>().swap(original_);
        return false;
    }
    originalSize_ = size;
    const PixelRows rows{original_.data(), std::ptrdiff_t{size.width} * std::ptrdiff_t{sizeof(ArgbValue)}};
    // Newest first: each step puts back what the one before it left.
    if (made)
        made->CopyInto(rows);
    for (std::size_t kept = steps_.size() - undone_; kept > 0; --kept)
        steps_[kept - 1].CopyInto(rows);
    return true;
}

PixelRows EditHistory::OriginalRows(const ImageHandle& image)
{
    if (!KeepOriginal(image, nullptr))
        return {};
    return {original_.data(), std::ptrdiff_t{originalSize_.width} * std::ptrdiff_t{sizeof(ArgbValue)}};
}

void EditHistory::Clear() noexcept
{
    steps_.clear();
    undone_ = 0;
    bytes_ = 0;
    std::vector<ArgbValue>().swap(original_);
    originalSize_ = {};
    originalLost_ = false;
}

void EditHistory::DropRedoSteps() noexcept
{
    for (; undone_ > 0; --undone_) {
        bytes_ -= steps_.back().Bytes();
        steps_.pop_back();
    }
}

void EditHistory::DropOldestStep() noexcept
{
    bytes_ -= steps_.front().Bytes();
    steps_.pop_front();
}
