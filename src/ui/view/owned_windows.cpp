#include "owned_windows.h"

#include <vector>

#include "app_state.h"

namespace {

struct OwnedSearch {
    HWND owner;
    std::vector<HWND> found;  // top of the z-order first
};

bool IsOwnedBy(HWND window, HWND owner)
{
    for (HWND above = GetWindow(window, GW_OWNER); above; above = GetWindow(above, GW_OWNER))
        if (above == owner)
            return true;
    return false;
}

BOOL CALLBACK CollectOwned(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<OwnedSearch*>(parameter);
    if (IsWindowVisible(window) && IsOwnedBy(window, search->owner))
        search->found.push_back(window);
    return TRUE;
}

// Wine raises an unmanaged window on the X server whenever it takes the focus, whatever the
// z-order says, and then moves it above every window the raise uncovered. An owned window
// moved to the top goes up on the X server as well, but only when it really moves: a move to
// where it already is changes nothing. So each owned window is first put just below the
// owner, which Wine keeps to itself, and then on top. Each is moved on its own; the loop
// below takes them in turn. (Wine moves a window's own popups above it first, so the panel
// under its exit question still stays where it was on the X server until the box goes.)
void Restack(HWND window, HWND owner)
{
    constexpr UINT kOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    SetWindowPos(window, owner, 0, 0, 0, 0, kOrderOnly);
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, kOrderOnly);
}

std::vector<HWND> VisibleOwnedWindows(HWND owner)
{
    OwnedSearch search = {owner, {}};
    EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), CollectOwned,
                      reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

void KeepOwnedWindowsAbove(HWND owner)
{
    if (g_ui.restacking || !IsWindowVisible(owner))
        return;
    g_ui.restacking = true;
    const std::vector<HWND> owned = VisibleOwnedWindows(owner);
    // From the lowest up, each to the top: their order among themselves stays.
    for (auto window = owned.rbegin(); window != owned.rend(); ++window)
        Restack(*window, owner);
    g_ui.restacking = false;
}

// Wine hands the window manager a window's owner again whenever the window is enabled or
// disabled.
void ReannounceOwnedWindows(HWND owner)
{
    for (HWND window : VisibleOwnedWindows(owner)) {
        if (!IsWindowEnabled(window))
            continue;
        EnableWindow(window, FALSE);
        EnableWindow(window, TRUE);
    }
}
