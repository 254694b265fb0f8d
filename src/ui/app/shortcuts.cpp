#include "shortcuts.h"

#include <commctrl.h>

#include "app_state.h"
#include "commands.h"
#include "resource.h"

namespace {

constexpr UINT_PTR kForwardingId = 1;

bool IsHeld(int key)
{
    return (GetKeyState(key) & 0x8000) != 0;
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

// Whether Shift must be held for a binding, must not be, or may be either.
enum class ShiftKey : unsigned char { kEither, kUp, kDown };

struct KeyBinding {
    WPARAM key;
    ShiftKey shift;
    UINT command;
    bool textFieldKeeps;  // in a text field the key is the field's own
};

// Every shortcut of the program, with Ctrl held: the one place their keys are named.
constexpr KeyBinding kKeyBindings[] = {
    {'O', ShiftKey::kEither, IDM_OPEN_IMAGE, false},
    {'S', ShiftKey::kEither, IDM_SAVE_AS, false},
    {'Z', ShiftKey::kUp, IDM_UNDO, true},
    {'Z', ShiftKey::kDown, IDM_REDO, false},
    {'Y', ShiftKey::kEither, IDM_REDO, false},
    {VK_OEM_PLUS, ShiftKey::kEither, IDM_ZOOM_IN, false},  // the main keyboard's plus
    {VK_ADD, ShiftKey::kEither, IDM_ZOOM_IN, false},       // the keypad's
    {VK_OEM_MINUS, ShiftKey::kEither, IDM_ZOOM_OUT, false},
    {VK_SUBTRACT, ShiftKey::kEither, IDM_ZOOM_OUT, false},
    {'0', ShiftKey::kEither, IDM_ZOOM_FIT, false},
    {'1', ShiftKey::kEither, IDM_ZOOM_ACTUAL, false},
    {'C', ShiftKey::kEither, IDM_COPY, true},
    {'V', ShiftKey::kEither, IDM_PASTE, true},
};

bool Matches(const KeyBinding& binding, WPARAM key, bool shift)
{
    return binding.key == key && (binding.shift == ShiftKey::kEither || (binding.shift == ShiftKey::kDown) == shift);
}

}  // namespace

bool IsTextField(HWND control)
{
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    return lstrcmpiA(className, "Edit") == 0;
}

bool RunShortcut(WPARAM key, bool inTextField)
{
    if (!IsHeld(VK_CONTROL) || IsHeld(VK_MENU))
        return false;
    const bool shift = IsHeld(VK_SHIFT);
    for (const KeyBinding& binding : kKeyBindings) {
        if (!Matches(binding, key, shift))
            continue;
        if (inTextField && binding.textFieldKeeps)
            return false;
        RunCommand(binding.command, KeyboardPlace());
        return true;
    }
    return false;
}

void ForwardShortcutsFromControls(HWND dialog)
{
    EnumChildWindows(dialog, Forward, 0);
}
