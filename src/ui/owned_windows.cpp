#include "owned_windows.h"

#include <vector>

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
// restacked to the top is raised on the X server as well, but only when it really moves and
// ends up with no visible window above it: a move to where it already is does nothing, and a
// window whose own popups go above it (the panel under its exit question) is left where it is
// on the X server. So each owned window is first put just below the owner, which Wine keeps
// to itself, and then on top on its own, its popups following in their own turn.
void Restack(HWND window, HWND owner)
{
    constexpr UINT kOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    SetWindowPos(window, owner, 0, 0, 0, 0, kOrderOnly);
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, kOrderOnly);
}

bool g_restacking = false;  // set while the owned windows are moved, whose moves come back here

}  // namespace

void KeepOwnedWindowsAbove(HWND owner)
{
    if (g_restacking || !IsWindowVisible(owner))
        return;
    g_restacking = true;
    OwnedSearch search = {owner, {}};
    EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), CollectOwned,
                      reinterpret_cast<LPARAM>(&search));
    // From the lowest up, each to the top: their order among themselves stays.
    for (auto window = search.found.rbegin(); window != search.found.rend(); ++window)
        Restack(*window, owner);
    g_restacking = false;
}
