#pragma once
#include <windows.h>

class ImageDocument;

// Asks for one BMP, JPEG or PNG file and makes it the document's image, decoded or, when
// it cannot be decoded, empty; true then. Cancelling leaves the document as it was and
// gives false. The caller repaints the main window afterwards either way.
bool OpenImage(ImageDocument& document, HWND owner);

// Opens the file at a code page 932 path as a file chosen in the open dialog is opened: the
// path and its file name become the document's opened path and title, and the decoded
// image, or the empty one when the file cannot be decoded, becomes its image. False, with
// the document unchanged, when the path does not fit the document's path buffer.
bool OpenImageFile(ImageDocument& document, const char* path);
