#pragma once
#include <windows.h>

#include "pixel_rows.h"

// Gives a static picture control (SS_BITMAP) a 50 × 30 swatch of the colour's red, green and
// blue with a black frame: the panel's pick and the tools' colours. The control owns the
// picture; the one it replaces is freed.
void ShowColourSwatch(HWND control, ArgbValue colour);
