#pragma once
#include <windows.h>

struct PendingJpegSave;

// Opens the modeless "JPEGの画質設定" dialog for one pending save, owned by mainWindow and
// visible at once. Its field stores the shared JPEG quality on every notification; OK
// writes the save and closes the dialog, "キャンセル" closes it without writing.
HWND OpenJpegQualityDialog(HWND mainWindow, PendingJpegSave* save);
