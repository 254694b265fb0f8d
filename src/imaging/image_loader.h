#pragma once
#include "image_handle.h"

// Decodes a BMP, JPEG or PNG file into a 32-bit ARGB image that holds the file's colours
// exactly and keeps no hold on the file. A file that cannot be decoded, a null or empty
// path, and a file that is not safe to decode (a size past the decode limits, chunks that
// claim too much: IsSafeToDecode in image_header.h) give an empty image. Never returns null.
ImageRef LoadImageFile(const wchar_t* path);

// A new 32-bit ARGB image with every pixel of decoded, which is left as it was. The empty
// image, with nothing left allocated, when decoded is empty or past the decode limits or
// GDI+ cannot make the copy. Never returns null.
ImageRef CopyToArgbImage(const ImageHandle& decoded);
