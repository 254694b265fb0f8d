#pragma once
#include <windows.h>

#include "pixel_range.h"

// Creates the modeless tool panel "編集ダイアログ" from the program's own resources, owned
// by mainWindow and not yet shown.
HWND CreateToolPanel(HWND mainWindow);

// Writes a range into the four range fields, in the order X from, X to, Y from, Y to; the
// fields' notifications store it in the document.
void WriteRangeFields(HWND panel, const PixelRange& range);
