#pragma once
#include <windows.h>

#include "pixel_range.h"

// Creates the modeless tool panel "編集ダイアログ" from the program's own resources, owned
// by mainWindow and not yet shown.
HWND CreateToolPanel(HWND mainWindow);

// Shows a range chosen outside the panel, by a drag over the image: the panel writes it into
// its four range fields, in the order X from, X to, Y from, Y to (their notifications store it
// in the document), and shows its outline as the show button of the outline's colour would.
void ShowChosenRange(const PixelRange& range);
