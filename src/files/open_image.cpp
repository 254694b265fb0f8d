#include "files/open_image.h"

#include <commdlg.h>

#include <cstring>

#include "document/image_document.h"
#include "files/path_conversion.h"
#include "imaging/image_loader.h"
#include "resources/texts.h"

namespace {

// The dialog writes into the document's own buffers; each open starts from the last path.
bool AskForImageFile(ImageDocument& document, HWND owner)
{
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = text::kOpenFilter;
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = document.OpenedPath();
    dialog.nMaxFile = ImageDocument::kPathBytes;
    dialog.lpstrFileTitle = document.OpenedTitle();
    dialog.nMaxFileTitle = ImageDocument::kTitleBytes;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    dialog.lpstrDefExt = text::kOpenDefaultExtension;
    dialog.lpstrTitle = text::kOpenTitle;
    return GetOpenFileNameA(&dialog) != FALSE;
}

}  // namespace

void OpenImage(ImageDocument& document, HWND owner)
{
    // A failed dialog (a path too long for the buffer, say) may write into the buffers;
    // the previous names stay those of the image still shown.
    char previousPath[ImageDocument::kPathBytes];
    char previousTitle[ImageDocument::kTitleBytes];
    std::memcpy(previousPath, document.OpenedPath(), sizeof previousPath);
    std::memcpy(previousTitle, document.OpenedTitle(), sizeof previousTitle);

    if (!AskForImageFile(document, owner)) {
        std::memcpy(document.OpenedPath(), previousPath, sizeof previousPath);
        std::memcpy(document.OpenedTitle(), previousTitle, sizeof previousTitle);
        return;
    }
    if (document.OpenedPath()[0] == '\0')
        return;

    ConvertPathToWide(document.OpenedPath(), document.WidePath());
    document.SetImage(LoadImageFile(document.WidePath()));
}
