#include "view_menu.h"

#include "commands.h"
#include "resource.h"
#include "scroll_view.h"

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

// Greys every item whose command cannot run now, and checks the checkerboard's while it shows.
void ShowStates(HMENU menu)
{
    for (int index = GetMenuItemCount(menu) - 1; index >= 0; --index) {
        const UINT item = GetMenuItemID(menu, index);
        if (item != 0 && item != static_cast<UINT>(-1))
            EnableMenuItem(menu, item, MF_BYCOMMAND | (CanRunCommand(item) ? MF_ENABLED : MF_GRAYED));
    }
    CheckMenuItem(menu, IDM_CHECKERBOARD, MF_BYCOMMAND | (IsCheckerboardShown() ? MF_CHECKED : MF_UNCHECKED));
}

// The chosen item comes back from the menu rather than as a command message, so the main
// window's commands stay those of its menu bar; it runs from the menu's place.
void TrackViewMenu(HWND window, POINT screen, const CommandPlace& place)
{
    const LoadedMenu menu;
    HMENU popup = menu.Popup();
    if (!popup)
        return;
    ShowStates(popup);
    // A tool's first preview of a large image would wait for fresh memory; made while the
    // user reads the menu, it is ready by the click.
    if (CanRunCommand(IDM_COLOUR_KEY) || CanRunCommand(IDM_REFINE_EDGE))
        PreparePreviewMemory();
    const UINT item = static_cast<UINT>(TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON |
                                                                  TPM_RETURNCMD | TPM_NONOTIFY,
                                                       screen.x, screen.y, 0, window, nullptr));
    RunCommand(item, place);  // 0, closed without a choice, is no command
    // What no preview took goes back: a large image's would be held for nothing.
    DropPreparedPreviewMemory();
}

}  // namespace

void ShowViewMenu(HWND window, POINT screen)
{
    POINT client = screen;
    ScreenToClient(window, &client);
    TrackViewMenu(window, screen, MenuPlace(screen, ClientToImage(client)));
}

void ShowViewMenuFromKeyboard(HWND window)
{
    const POINT corner = KeyboardMenuPoint(window);
    TrackViewMenu(window, corner, MenuPlace(corner, KeyboardPlace().pixel));
}

POINT KeyboardMenuPoint(HWND window)
{
    POINT corner = {0, 0};
    ClientToScreen(window, &corner);
    return corner;
}
