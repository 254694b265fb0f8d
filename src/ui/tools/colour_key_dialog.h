#pragma once
// "色を透明にする": the modeless dialog that makes one colour of the image transparent. While
// it is open the main window shows the result over the checkerboard, following every change
// of the dialog, of the image and (with "範囲の中だけ") of the range; the image itself
// changes only on OK, as one step of the edit history. There is at most one. It is a tool
// behind the tools' door (image_tools.h), through which it hears of clicks and changes.
#include <windows.h>

// Opens the dialog, owned by mainWindow, for the colour of image pixel `pixel`, which is also
// where the background starts; when it is open already, brings it forward with them. It is
// placed where it does not cover screen point `at`. Nothing without an image with pixels or
// for a pixel outside it.
void OpenColourKeyDialog(HWND mainWindow, POINT pixel, POINT at);

