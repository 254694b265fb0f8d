#pragma once
// "縁を整える": the modeless dialog that cleans the edge of a picture already cut out, taking
// the old background's colour (the matte) out of the pixels next to the transparent part.
// While it is open the main window shows the result over the checkerboard, following every
// change of the dialog, of the image and (with "範囲の中だけ") of the range; the image itself
// changes only on OK, as one step of the edit history. A click on the image chooses the matte
// again. It is a tool behind the tools' door (image_tools.h).
#include <windows.h>

// Whether the document's image has a pixel that is not fully opaque: without one there is no
// edge to clean.
bool HasEdgeToRefine();

// Opens the dialog, owned by mainWindow, with the matte found in the picture, where it covers
// the least of the image; when it is open already, brings it forward. Nothing without an
// image with pixels.
void OpenRefineEdgeDialog(HWND mainWindow);
