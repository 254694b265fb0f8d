#include "image_tools.h"

#include "app_state.h"
#include "shortcuts.h"

namespace {

// The controls whose keyboard the main window's fit must not take: a tool's, and the panel's
// text fields, into which the user may be typing one digit after another.
bool IsKeptFocus(HWND focus, HWND mainWindow)
{
    if (!focus || focus == mainWindow)
        return false;
    const ImageTool* tool = OpenTool();
    if (tool && tool->Dialog() && (focus == tool->Dialog() || IsChild(tool->Dialog(), focus)))
        return true;
    return g_app.toolPanel && IsChild(g_app.toolPanel, focus) && IsTextField(focus);
}

}  // namespace

void BeginTool(ImageTool& tool)
{
    if (g_ui.tool && g_ui.tool != &tool)
        g_ui.tool->Close();
    g_ui.tool = &tool;
}

void EndTool(const ImageTool& tool)
{
    if (g_ui.tool == &tool)
        g_ui.tool = nullptr;
}

ImageTool* OpenTool()
{
    return g_ui.tool;
}

void CloseOpenTool()
{
    if (ImageTool* tool = OpenTool())
        tool->Close();
}

void FollowInOpenTool(const ImageChange& change)
{
    if (ImageTool* tool = OpenTool()) {
        if (change.kind == ImageChangeKind::kNewImage)
            tool->Close();  // a tool works on the image it was opened for
        else
            tool->Follow(change);
    }
}

bool IsToolPreviewShown()
{
    return OpenTool() && OpenTool()->ShowsPreview();
}

bool IsToolDialogMessage(MSG* message)
{
    const ImageTool* tool = OpenTool();
    return tool && tool->Dialog() && IsDialogMessageA(tool->Dialog(), message);
}

KeyboardKeeper::KeyboardKeeper(HWND mainWindow) noexcept : mainWindow_(mainWindow), focus_(GetFocus())
{
    if (!IsKeptFocus(focus_, mainWindow_))
        focus_ = nullptr;
}

KeyboardKeeper::~KeyboardKeeper()
{
    if (focus_ && GetFocus() != focus_ && IsWindow(focus_))
        SetFocus(focus_);
}
