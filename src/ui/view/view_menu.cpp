#include "view_menu.h"

#include "app_state.h"
#include "clipboard.h"
#include "colour_key_dialog.h"
#include "edit_history.h"
#include "editing.h"
#include "image_document.h"
#include "resource.h"
#include "scroll_view.h"
#include "zoom.h"

namespace {

// The menu resource, destroyed when it goes; its first drop-down is the popup.
class LoadedMenu {
public:
    LoadedMenu() noexcept : menu_(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_VIEW_MENU))) {}
    ~LoadedMenu() { if (menu_) DestroyMenu(menu_); }
    LoadedMenu(const LoadedMenu&) = delete;
    LoadedMenu& operator=(const LoadedMenu&) = delete;
    HMENU Popup() const noexcept { return menu_ ? GetSubMenu(menu_, 0) : nullptr; }

private:
    HMENU menu_;
};

void Enable(HMENU menu, UINT item, bool enabled)
{
    EnableMenuItem(menu, item, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void ShowStates(HMENU menu)
{
    Enable(menu, IDM_UNDO, g_history.CanUndo());
    Enable(menu, IDM_REDO, g_history.CanRedo());
    Enable(menu, IDM_COLOUR_KEY, CanZoom());  // an image with pixels
    Enable(menu, IDM_COPY, CanCopyImage());
    Enable(menu, IDM_PASTE, CanPasteImage());
    Enable(menu, IDM_ZOOM_IN, CanZoomIn());
    Enable(menu, IDM_ZOOM_OUT, CanZoomOut());
    Enable(menu, IDM_ZOOM_FIT, CanZoom());
    Enable(menu, IDM_ZOOM_ACTUAL, CanZoom());
    CheckMenuItem(menu, IDM_CHECKERBOARD, MF_BYCOMMAND | (IsCheckerboardShown() ? MF_CHECKED : MF_UNCHECKED));
}

bool IsInImage(POINT pixel)
{
    return Contains(WholeOf(g_document.GetImageSize()), pixel.x, pixel.y);
}

// The last pick's pixel while it is inside the image, else the top-left one.
POINT PixelFromKeyboard()
{
    return g_ui.picked && IsInImage(g_ui.lastPick) ? g_ui.lastPick : POINT{0, 0};
}

// The dialog keeps clear of the key pixel's place on the screen.
void OpenColourKey(HWND window, POINT pixel)
{
    POINT at = ImageToClient(pixel);
    ClientToScreen(window, &at);
    OpenColourKeyDialog(window, pixel, at);
}

void RunItem(HWND window, UINT item, POINT at, POINT pixel)
{
    switch (item) {
    case IDM_UNDO:         UndoEdit(); break;
    case IDM_REDO:         RedoEdit(); break;
    case IDM_COLOUR_KEY:   OpenColourKey(window, pixel); break;
    case IDM_COPY:         CopyImage(window); break;
    case IDM_PASTE:        PasteImage(window); break;
    case IDM_ZOOM_IN:      ZoomIn(window, at); break;
    case IDM_ZOOM_OUT:     ZoomOut(window, at); break;
    case IDM_ZOOM_FIT:     ZoomToFit(window); break;
    case IDM_ZOOM_ACTUAL:  ZoomToActualSize(window); break;
    case IDM_CHECKERBOARD: ToggleCheckerboard(window); break;
    default:               break;  // closed without a choice
    }
}

// The chosen item comes back from the menu rather than as a command message, so the main
// window's commands stay those of its menu bar.
void TrackViewMenu(HWND window, POINT screen, POINT pixel)
{
    const LoadedMenu menu;
    HMENU popup = menu.Popup();
    if (!popup)
        return;
    ShowStates(popup);
    const UINT item = static_cast<UINT>(TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON |
                                                                  TPM_RETURNCMD | TPM_NONOTIFY,
                                                       screen.x, screen.y, 0, window, nullptr));
    RunItem(window, item, screen, pixel);
}

}  // namespace

void ShowViewMenu(HWND window, POINT screen)
{
    POINT client = screen;
    ScreenToClient(window, &client);
    const POINT pixel = ClientToImage(client);
    TrackViewMenu(window, screen, IsInImage(pixel) ? pixel : PixelFromKeyboard());
}

void ShowViewMenuFromKeyboard(HWND window)
{
    TrackViewMenu(window, KeyboardMenuPoint(window), PixelFromKeyboard());
}

POINT KeyboardMenuPoint(HWND window)
{
    POINT corner = {0, 0};
    ClientToScreen(window, &corner);
    return corner;
}
