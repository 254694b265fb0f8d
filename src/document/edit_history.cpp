#include "edit_history.h"

#include <new>
#include <utility>

#include "alpha_edit.h"
#include "image_document.h"

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
    Step step{area, {}};
    try {
        if (step.Bytes() <= maxBytes_)
            step.pixels.resize(area.PixelCount());
    } catch (const std::bad_alloc&) {
        step.pixels.clear();
    }
    if (step.pixels.empty() || !image.ReadPixels(area, step.pixels.data())) {
        Clear();
        return;
    }
    Keep(std::move(step));
}

bool EditHistory::ApplyEdit(ImageHandle& image, const ImageRect& area, std::vector<ArgbValue>& pixels)
{
    if (area.PixelCount() == 0 || pixels.size() != area.PixelCount() || !image.SwapPixels(area, pixels.data()))
        return false;
    DropRedoSteps();
    Step step{area, std::move(pixels)};
    pixels.clear();
    if (step.Bytes() > maxBytes_)
        Clear();
    else
        Keep(std::move(step));
    return true;
}

void EditHistory::Keep(Step step)
{
    while (!steps_.empty() && bytes_ + step.Bytes() > maxBytes_)
        DropOldestStep();
    bytes_ += step.Bytes();
    steps_.push_back(std::move(step));
}

bool EditHistory::Undo(ImageHandle& image)
{
    if (!CanUndo())
        return false;
    Step& step = steps_[steps_.size() - 1 - undone_];
    if (!image.SwapPixels(step.area, step.pixels.data()))
        return false;
    ++undone_;
    return true;
}

bool EditHistory::Redo(ImageHandle& image)
{
    if (!CanRedo())
        return false;
    Step& step = steps_[steps_.size() - undone_];
    if (!image.SwapPixels(step.area, step.pixels.data()))
        return false;
    --undone_;
    return true;
}

void EditHistory::Clear() noexcept
{
    steps_.clear();
    undone_ = 0;
    bytes_ = 0;
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
