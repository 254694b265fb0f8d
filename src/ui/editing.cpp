#include "editing.h"

#include <windows.h>

#include "alpha_edit.h"
#include "app_state.h"
#include "edit_history.h"
#include "image_document.h"
#include "wait_cursor.h"

namespace {

void RepaintMainWindow()
{
    InvalidateRect(g_app.mainWindow, nullptr, TRUE);
}

}  // namespace

void ApplyAlphaWithUndo(std::uint32_t alpha)
{
    const WaitCursor wait;
    g_history.RecordAlphaEdit(g_document);
    ApplyAlphaToRange(g_document, alpha);
    RepaintMainWindow();
}

// Undo and redo change the image in place, and only its alpha. A JPEG save waiting for its
// quality holds the same image, but JPEG keeps no alpha: it writes the file its Save As
// would have written.
void UndoEdit()
{
    ImageHandle* image = g_document.Image();
    if (!image || !g_history.CanUndo())
        return;
    const WaitCursor wait;
    if (g_history.Undo(*image))
        RepaintMainWindow();
}

void RedoEdit()
{
    ImageHandle* image = g_document.Image();
    if (!image || !g_history.CanRedo())
        return;
    const WaitCursor wait;
    if (g_history.Redo(*image))
        RepaintMainWindow();
}

void ForgetEdits()
{
    g_history.Clear();
}
