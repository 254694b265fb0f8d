#pragma once
// Reads a dialog template (DLGTEMPLATEEX) from the test program's resources, which are the
// program's own, so tests can check the template itself: styles as written, not as the
// dialog manager later adjusts them.
#include <windows.h>

#include <string>
#include <vector>

struct DialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;  // "Button", "Edit", "Static", ... (ordinals resolved)
    std::wstring text;
};

struct DialogTemplate {
    bool found = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring typeface;
    std::vector<DialogItem> items;
};

DialogTemplate ReadDialogTemplate(int resourceId);
// The same read from a template's bytes, as the program may build one.
DialogTemplate ReadDialogTemplate(const BYTE* bytes);

// A template resource's bytes; data is null when there is none.
struct TemplateBytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};
TemplateBytes DialogTemplateBytes(int resourceId);
