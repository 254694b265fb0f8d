#pragma once
// Images to and from the bytes of an image file held in memory, as another program hands
// them over or takes them: decoded as files are, and encoded as PNG.
#include <cstddef>
#include <vector>

#include "image_handle.h"

// Decodes the bytes of an image file as LoadImageFile (image_loader.h) decodes a file: the
// bytes are judged first (JudgeImage in image_verdict.h) and refused unless it says Decode,
// then decoded into a 32-bit ARGB image that holds their colours exactly. The bytes are
// copied, and the caller keeps its own. The empty image on any failure; never null.
ImageRef LoadImageBytes(const unsigned char* data, std::size_t size);

// The pixels of area, which lies inside image, as the bytes of a PNG file, alpha kept
// exactly. Empty when image is empty, the area is not inside it, or GDI+ fails.
std::vector<unsigned char> EncodePngBytes(const ImageHandle& image, const ImageRect& area);
