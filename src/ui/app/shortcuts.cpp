#include "shortcuts.h"

#include <commctrl.h>

#include "app_state.h"
#include "clipboard.h"
#include "editing.h"
#include "resource.h"
#include "zoom.h"

namespace {

constexpr UINT_PTR kForwardingId = 1;

bool IsHeld(int key)
{
    return (GetKeyState(key) & 0x8000) != 0;
}

bool IsTextField(HWND control)
{
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    return lstrcmpiA(className, "Edit") == 0;
}

LRESULT CALLBACK ForwardingProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (message) {
    case WM_KEYDOWN:
        // The control character the key was also translated into must not reach the
        // control, or an edit field would take it as its own.
        if (RunShortcut(wParam, IsTextField(control))) {
            g_ui.swallowCharacter = true;
            return 0;
        }
        break;
    case WM_CHAR:
        if (g_ui.swallowCharacter) {
            g_ui.swallowCharacter = false;
            return 0;
        }
        break;
    default:
        break;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

BOOL CALLBACK Forward(HWND control, LPARAM)
{
    SetWindowSubclass(control, ForwardingProc, kForwardingId, 0);
    return TRUE;
}

// Ctrl+C copies the image and Ctrl+V pastes one.
bool CopyOrPaste(WPARAM key)
{
    if (key == 'C')
        CopyImage(g_app.mainWindow);
    else
        PasteImage(g_app.mainWindow);
    return true;
}

}  // namespace

bool RunShortcut(WPARAM key, bool inTextField)
{
    if (!IsHeld(VK_CONTROL) || IsHeld(VK_MENU))
        return false;
    const bool shift = IsHeld(VK_SHIFT);
    switch (key) {
    case 'O': SendMessageA(g_app.mainWindow, WM_COMMAND, IDM_OPEN_IMAGE, 0); return true;
    case 'S': SendMessageA(g_app.mainWindow, WM_COMMAND, IDM_SAVE_AS, 0); return true;
    case 'Y': RedoEdit(); return true;
    case VK_OEM_PLUS:
    case VK_ADD:      ZoomIn(g_app.mainWindow, ClientCentre(g_app.mainWindow)); return true;
    case VK_OEM_MINUS:
    case VK_SUBTRACT: ZoomOut(g_app.mainWindow, ClientCentre(g_app.mainWindow)); return true;
    case '0': ZoomToFit(g_app.mainWindow); return true;
    case '1': ZoomToActualSize(g_app.mainWindow); return true;
    case 'C':
    case 'V': return !inTextField && CopyOrPaste(key);
    case 'Z':
        if (shift)
            RedoEdit();
        else if (!inTextField)
            UndoEdit();
        return shift || !inTextField;
    default:  return false;
    }
}

void ForwardShortcutsFromControls(HWND panel)
{
    EnumChildWindows(panel, Forward, 0);
}
