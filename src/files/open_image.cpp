#include "files/open_image.h"

#include <commdlg.h>

#include "document/image_document.h"
#include "files/file_dialog.h"
#include "files/path_conversion.h"
#include "imaging/image_loader.h"
#include "resources/texts.h"

namespace {

bool AskForImageFile(ImageDocument& document, HWND owner)
{
    const FileDialogSettings settings = {
        text::kOpenFilter,
        document.OpenedPath(),
        ImageDocument::kPathBytes,
        document.OpenedTitle(),
        ImageDocument::kTitleBytes,
        OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
        text::kOpenDefaultExtension,
        text::kOpenTitle,
    };
    return RunFileDialog(FileDialogKind::Open, settings, owner) != 0;
}

}  // namespace

void OpenImage(ImageDocument& document, HWND owner)
{
    if (!AskForImageFile(document, owner) || document.OpenedPath()[0] == '\0')
        return;
    ConvertPathToWide(document.OpenedPath(), document.WidePath());
    document.SetImage(LoadImageFile(document.WidePath()));
}
