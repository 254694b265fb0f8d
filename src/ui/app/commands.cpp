#include "commands.h"

#include "app_state.h"
#include "alpha_brush_dialog.h"
#include "clipboard.h"
#include "colour_key_dialog.h"
#include "edit_history.h"
#include "editing.h"
#include "image_document.h"
#include "image_saver.h"
#include "opening.h"
#include "refine_edge_dialog.h"
#include "resource.h"
#include "scroll_view.h"
#include "texts.h"
#include "zoom.h"

namespace {

// The last pick's pixel while it is inside the image, else the top-left one.
POINT PixelFromKeyboard()
{
    return g_ui.picked && IsInImage(g_ui.lastPick) ? g_ui.lastPick : POINT{0, 0};
}

// A tool's dialog keeps clear of its pixel's place on the screen.
POINT ScreenPointOf(POINT pixel)
{
    POINT at = ImageToClient(pixel);
    ClientToScreen(g_app.mainWindow, &at);
    return at;
}

}  // namespace

CommandPlace KeyboardPlace()
{
    CommandPlace place;
    place.screen = ClientCentre(g_app.mainWindow);
    place.pixel = PixelFromKeyboard();
    place.dialogClearOf = ScreenPointOf(place.pixel);
    return place;
}

CommandPlace MenuPlace(POINT screen, POINT pixel)
{
    CommandPlace place;
    place.screen = screen;
    place.pixel = IsInImage(pixel) ? pixel : PixelFromKeyboard();
    place.dialogClearOf = ScreenPointOf(place.pixel);
    return place;
}

bool CanRunCommand(UINT command)
{
    switch (command) {
    // Not while a tool's press (a brush stroke) goes on: it is not yet a step to undo.
    case IDM_UNDO:        return g_history.CanUndo() && !g_ui.toolPressed;
    case IDM_REDO:        return g_history.CanRedo() && !g_ui.toolPressed;
    case IDM_COLOUR_KEY:
    case IDM_ALPHA_BRUSH: return CanZoom();  // an image with pixels
    case IDM_REFINE_EDGE: return CanZoom() && HasEdgeToRefine();
    case IDM_COPY:        return CanCopyImage();
    case IDM_PASTE:       return CanPasteImage();
    case IDM_ZOOM_IN:     return CanZoomIn();
    case IDM_ZOOM_OUT:    return CanZoomOut();
    case IDM_ZOOM_FIT:
    case IDM_ZOOM_ACTUAL: return CanZoom();
    default:              return true;
    }
}

void RunCommand(UINT command, const CommandPlace& place)
{
    if (!CanRunCommand(command))
        return;
    HWND window = g_app.mainWindow;
    switch (command) {
    case IDM_OPEN_IMAGE:   OpenWithDialog(window); break;
    case IDM_SAVE_AS:      SaveImageAs(g_document, g_saver, window, g_app.instance); break;
    case IDM_VERSION:      MessageBoxA(window, text::kVersionText, text::kVersionCaption, MB_OK); break;
    case IDM_EXIT:         SendMessageA(window, WM_CLOSE, 0, 0); break;
    case IDM_UNDO:         UndoEdit(); break;
    case IDM_REDO:         RedoEdit(); break;
    case IDM_COLOUR_KEY:   OpenColourKeyDialog(window, place.pixel, place.dialogClearOf); break;
    case IDM_REFINE_EDGE:  OpenRefineEdgeDialog(window); break;
    case IDM_ALPHA_BRUSH:  OpenAlphaBrushDialog(window); break;
    case IDM_COPY:         CopyImage(window); break;
    case IDM_PASTE:        PasteImage(window); break;
    case IDM_ZOOM_IN:      ZoomIn(window, place.screen); break;
    case IDM_ZOOM_OUT:     ZoomOut(window, place.screen); break;
    case IDM_ZOOM_FIT:     ZoomToFit(window); break;
    case IDM_ZOOM_ACTUAL:  ZoomToActualSize(window); break;
    case IDM_CHECKERBOARD: ToggleCheckerboard(window); break;
    default:               break;
    }
}

bool IsMenuBarCommand(UINT command)
{
    return command == IDM_OPEN_IMAGE || command == IDM_SAVE_AS || command == IDM_VERSION || command == IDM_EXIT;
}
