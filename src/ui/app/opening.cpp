#include "opening.h"

#include <cstring>
#include <string>
#include <utility>

#include "app_state.h"
#include "editing.h"
#include "image_events.h"
#include "image_document.h"
#include "open_image.h"
#include "scroll_view.h"
#include "texts.h"

namespace {

// A new image starts with no history; the view and any open tool follow the signal.
void ShowOpened()
{
    ForgetEdits();
    AnnounceImageChange({ImageChangeKind::kNewImage, {}});
}

}  // namespace

void OpenWithDialog(HWND mainWindow)
{
    if (OpenImage(g_document, mainWindow))
        ShowOpened();
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

void OpenPastedImage(ImageRef image)
{
    static_assert(sizeof text::kClipboardTitle <= kTitleBytes, "the title fits the document's buffer");
    std::memcpy(g_document.OpenedTitle(), text::kClipboardTitle, sizeof text::kClipboardTitle);
    g_document.SetImage(std::move(image));
    ShowOpened();
}

void OpenFileAtPath(HWND mainWindow, const char* path)
{
    if (!OpenImageFile(g_document, path)) {
        MessageBoxA(mainWindow, text::kPathTooLong, text::kOpenErrorCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ShowOpened();
}
