#pragma once
#include <cstdint>
#include <vector>

#include "pixel_rows.h"
#include "pixel_vector.h"

// The edits of the opened image, with undo and redo. Each shows the wait cursor while it
// works and then has the main window repainted.

// "編集開始": keeps what the range alpha edit is about to change, then makes it.
void ApplyAlphaWithUndo(std::uint32_t alpha);

// Makes pixels (row by row, area.PixelCount() of them) the image's pixels of area, as one
// step of the history, which takes their memory: pixels is left empty. Nothing for an empty
// area.
void ApplyPixelsWithUndo(const ImageRect& area, PixelVector& pixels);

// Undoes the last edit not undone, or redoes the last one undone; nothing when there is
// none.
void UndoEdit();
void RedoEdit();

// Forgets every edit; for a newly opened image.
void ForgetEdits();
