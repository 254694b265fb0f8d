#pragma once
#include <windows.h>

// What an open or save dialog is asked for. The path and title buffers are the caller's,
// kept between dialogs, so that each dialog starts from the last chosen path.
struct FileDialogSettings {
    const char* filter;  // pairs of description and pattern, then an empty string
    char* path;
    DWORD pathBytes;
    char* title;
    DWORD titleBytes;
    DWORD flags;
    const char* defaultExtension;
    const char* caption;
};

enum class FileDialogKind { Open, Save };

// Runs the platform's dialog, owned by owner, with the first filter entry chosen. Returns
// the chosen entry's 1-based index, or 0 when the dialog was cancelled or failed; the
// buffers then hold what they held before, even where a failed dialog wrote into them
// (a name too long for the path buffer makes it write the needed size there).
DWORD RunFileDialog(FileDialogKind kind, const FileDialogSettings& settings, HWND owner);
