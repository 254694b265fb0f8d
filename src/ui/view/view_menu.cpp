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
    const UINT item = static_cast<UINT>(TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON |
                                                                  TPM_RETURNCMD | TPM_NONOTIFY,
                                                       screen.x, screen.y, 0, window, nullptr));
    RunCommand(item, place);  // 0, closed without a choice, is no command
    // Memory made while an item was pointed at and not taken by a preview goes back now: a
    // large image's would be held for nothing.
    DropPreparedPreviewMemory();
}

}  // namespace

void FollowMenuSelection(UINT item, UINT flags)
{
    const bool tool = item == IDM_COLOUR_KEY || item == IDM_REFINE_EDGE;
    if (tool && (flags & (MF_POPUP | MF_GRAYED | MF_DISABLED)) == 0)
        PreparePreviewMemory();
}

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
