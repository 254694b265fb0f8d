#include "editing.h"

#include <windows.h>

#include "alpha_edit.h"
#include "app_state.h"
#include "edit_history.h"
#include "image_document.h"
#include "image_loader.h"
#include "image_saver.h"
#include "wait_cursor.h"

namespace {

void RepaintMainWindow()
{
    InvalidateRect(g_app.mainWindow, nullptr, TRUE);
}

// Undo and redo change the image in place. A pending JPEG save must write the image as it
// was at its Save As, so while one holds it the document goes on with a copy of its own.
bool DetachFromPendingSaves()
{
    const ImageHandle* image = g_document.Image();
    if (!g_saver.IsPendingImage(image))
        return true;
    ImageRef copy = CopyToArgbImage(*image);
    if (copy->IsEmpty())
        return false;
    g_document.SetImage(std::move(copy));
    return true;
}

template <typename Step>
void ChangeImage(Step step)
{
    if (!g_document.Image())
        return;
    const WaitCursor wait;
    if (!DetachFromPendingSaves() || !step(*g_document.Image()))
        return;
    RepaintMainWindow();
}

}  // namespace

void ApplyAlphaWithUndo(std::uint32_t alpha)
{
    const WaitCursor wait;
    g_history.RecordAlphaEdit(g_document);
    ApplyAlphaToRange(g_document, alpha);
    RepaintMainWindow();
}

void UndoEdit()
{
    if (g_history.CanUndo())
        ChangeImage([](ImageHandle& image) { return g_history.Undo(image); });
}

void RedoEdit()
{
    if (g_history.CanRedo())
        ChangeImage([](ImageHandle& image) { return g_history.Redo(image); });
}

void ForgetEdits()
{
    g_history.Clear();
}
