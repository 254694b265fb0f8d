#pragma once
#include <windows.h>

class ImageDocument;

// Asks for one BMP, JPEG or PNG file and makes it the document's image, decoded or, when
// it cannot be decoded, empty. Cancelling leaves the document as it was. The caller
// repaints the main window afterwards.
void OpenImage(ImageDocument& document, HWND owner);
