#pragma once
#include "imaging/image_handle.h"

// Decodes a BMP, JPEG or PNG file into a 32-bit ARGB image that holds the file's colours
// exactly and keeps no hold on the file. A file that cannot be decoded, a null or empty
// path, and a file claiming a size past the decode limits (image_header.h) give an empty
// image. Never returns null.
ImageRef LoadImageFile(const wchar_t* path);
