#pragma once
// "色を透明にする": the modeless dialog that makes one colour of the image transparent. While
// it is open the main window shows the result over the checkerboard, following every change
// of the dialog, of the image and (with "範囲の中だけ") of the range; the image itself
// changes only on OK, as one step of the edit history. There is at most one.
#include <windows.h>

// Opens the dialog, owned by mainWindow, for the colour of image pixel `pixel`, which is also
// where the background starts; when it is open already, brings it forward with them. It is
// placed where it does not cover screen point `at`. Nothing without an image with pixels or
// for a pixel outside it.
void OpenColourKeyDialog(HWND mainWindow, POINT pixel, POINT at);

// While the dialog is open, chooses the colour of image pixel `pixel` (as it is in the image,
// not in the preview) and that pixel as the start again; nothing for a pixel outside the image.
void ChooseColourKeyAgain(POINT pixel);

// The image has changed under an open dialog (an edit, undo or redo): its preview is made
// again at once.
void FollowImageForColourKey();

// The range has changed: with "範囲の中だけ" checked the preview is made again, once for
// changes that come together.
void FollowRangeForColourKey();

// Closes the dialog as its Cancel does, leaving the image as it was; nothing when it is not
// open.
void CloseColourKeyDialog();

// Gives the dialog the keys it takes as a dialog (Tab, Enter for OK, Esc for Cancel): true
// when message was its and has been handled. The main loop asks it first.
bool IsColourKeyDialogMessage(MSG* message);
