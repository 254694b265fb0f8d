#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "image_handle.h"

// Opening an image, every way: the open dialog, a dropped file, the command line. Each goes
// the dialog's way (path and title into the document, the file decoded or the empty image),
// forgets the edits of the image before, and has the main window show the new one, fitted
// and named in its caption.

// "画像を開く": the open dialog. Cancelling changes nothing.
void OpenWithDialog(HWND mainWindow);

// The first of the dropped files; the drop is finished here.
void OpenDroppedFile(HWND mainWindow, HDROP drop);

// The code page 932 path of the first file in a file list, dropped or pasted; empty when
// there is none. The list stays its owner's.
std::string FirstFileOf(HDROP files);

// An image pasted from the clipboard, decoded: it becomes the document's image under the
// title "クリップボード", while the opened path stays that of the last opened file.
void OpenPastedImage(ImageRef image);

// A code page 932 path. One too long for the document's path buffer is refused with a
// message box, and the current image stays.
void OpenFileAtPath(HWND mainWindow, const char* path);
