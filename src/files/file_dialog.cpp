#include "file_dialog.h"

#include <commdlg.h>

#include <string>

DWORD RunFileDialog(FileDialogKind kind, const FileDialogSettings& settings, HWND owner)
{
    const std::string previousPath(settings.path, settings.pathBytes);
    const std::string previousTitle(settings.title, settings.titleBytes);

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = settings.filter;
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = settings.path;
    dialog.nMaxFile = settings.pathBytes;
    dialog.lpstrFileTitle = settings.title;
    dialog.nMaxFileTitle = settings.titleBytes;
    dialog.Flags = settings.flags;
    dialog.lpstrDefExt = settings.defaultExtension;
    dialog.lpstrTitle = settings.caption;
    const BOOL chosen = kind == FileDialogKind::Open ? GetOpenFileNameA(&dialog) : GetSaveFileNameA(&dialog);
    if (chosen)
        return dialog.nFilterIndex;

    previousPath.copy(settings.path, settings.pathBytes);
    previousTitle.copy(settings.title, settings.titleBytes);
    return 0;
}
