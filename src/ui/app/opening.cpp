#include "opening.h"

#include <cstring>
#include <string>
#include <utility>

#include "app_state.h"
#include "colour_key_dialog.h"
#include "editing.h"
#include "image_document.h"
#include "open_image.h"
#include "scroll_view.h"
#include "texts.h"

namespace {

// A new image is shown from its top-left corner, with no colour key dialog and no pick of
// its own yet.
void ShowOpened(HWND mainWindow)
{
    CloseColourKeyDialog();
    g_ui.picked = false;  // a pick of the last image is no pixel of this one
    ForgetEdits();
    ResetView();
    InvalidateRect(mainWindow, nullptr, TRUE);
    // After an image that could not be decoded the client area has no pixels, and an
    // invalid region alone would bring no paint: no fit to the next image, no caption.
    RedrawWindow(mainWindow, nullptr, nullptr, RDW_INTERNALPAINT);
}

}  // namespace

void OpenWithDialog(HWND mainWindow)
{
    if (OpenImage(g_document, mainWindow))
        ShowOpened(mainWindow);
    else
        InvalidateRect(mainWindow, nullptr, TRUE);
}

void OpenDroppedFile(HWND mainWindow, HDROP drop)
{
    const std::string path = FirstFileOf(drop);
    DragFinish(drop);
    if (!path.empty())
        OpenFileAtPath(mainWindow, path.c_str());
}

std::string FirstFileOf(HDROP files)
{
    const UINT length = DragQueryFileA(files, 0, nullptr, 0);
    std::string path(length, '\0');
    if (length > 0)
        DragQueryFileA(files, 0, &path[0], length + 1);
    return path;
}

void OpenPastedImage(HWND mainWindow, ImageRef image)
{
    static_assert(sizeof text::kClipboardTitle <= kTitleBytes, "the title fits the document's buffer");
    std::memcpy(g_document.OpenedTitle(), text::kClipboardTitle, sizeof text::kClipboardTitle);
    g_document.SetImage(std::move(image));
    ShowOpened(mainWindow);
}

void OpenFileAtPath(HWND mainWindow, const char* path)
{
    if (!OpenImageFile(g_document, path)) {
        MessageBoxA(mainWindow, text::kPathTooLong, text::kOpenErrorCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ShowOpened(mainWindow);
}
