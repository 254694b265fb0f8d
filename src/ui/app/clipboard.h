#pragma once
#include <windows.h>

// Copying the image to the clipboard and pasting one from it, with its alpha either way.

// Whether there is an image to copy: one opened and decoded.
bool CanCopyImage();

// Puts the image on the clipboard, in place of what it held, as "PNG" and as a 32-bit
// CF_DIBV5 with an alpha mask: only the range, clipped to the image, while its outline is
// shown (nothing when that leaves no pixel), the whole image otherwise. Nothing without an
// image or when the clipboard cannot be opened.
void CopyImage(HWND owner);

// Whether the clipboard holds something to paste: "PNG", a bitmap, or a file list.
bool CanPasteImage();

// Opens the clipboard's image as a new document, as an open does, taking the first there is
// of "PNG", a bitmap (CF_DIBV5 or CF_DIB, whichever its program put there), and a file list,
// whose first file opens as a dropped one. An image that claims too much or cannot be read
// is refused with a message box, and the document stays as it was. Nothing when the
// clipboard holds none of them.
void PasteImage(HWND mainWindow);
