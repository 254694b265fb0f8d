#include "editing.h"

#include <windows.h>

#include "alpha_edit.h"
#include "app_state.h"
#include "edit_history.h"
#include "image_document.h"
#include "image_events.h"
#include "wait_cursor.h"

namespace {

// Undo and redo change the image in place, and only its alpha. A JPEG save waiting for its
// quality holds the same image, but JPEG keeps no alpha: it writes the file its Save As
// would have written.
void StepThroughHistory(bool (EditHistory::*step)(ImageHandle&), const ImageRect& area)
{
    ImageHandle* image = g_document.Image();
    if (!image)
        return;
    const WaitCursor wait;
    if ((g_history.*step)(*image))
        AnnounceImageChange({ImageChangeKind::kPixels, area});
}

}  // namespace

void ApplyAlphaWithUndo(std::uint32_t alpha)
{
    const WaitCursor wait;
    g_history.RecordAlphaEdit(g_document);
    const ImageRect area = AlphaEditArea(g_document);
    ApplyAlphaToRange(g_document, alpha);
    AnnounceImageChange({ImageChangeKind::kPixels, area});
}

void ApplyPixelsWithUndo(const ImageRect& area, PixelVector& pixels)
{
    ImageHandle* image = g_document.Image();
    if (!image || area.PixelCount() == 0)
        return;
    const WaitCursor wait;
    if (g_history.ApplyEdit(*image, area, pixels))
        AnnounceImageChange({ImageChangeKind::kPixels, area});
}

void UndoEdit()
{
    if (g_history.CanUndo())
        StepThroughHistory(&EditHistory::Undo, g_history.UndoArea());
}

void RedoEdit()
{
    if (g_history.CanRedo())
        StepThroughHistory(&EditHistory::Redo, g_history.RedoArea());
}

void ForgetEdits()
{
    g_history.Clear();
}
