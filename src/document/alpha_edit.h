#pragma once
#include <cstdint>

#include "image_handle.h"

class ImageDocument;

// Gives every pixel of the document's range the alpha in the low 8 bits of alpha, keeping
// its red, green and blue. Only pixels inside the image are visited; nothing is reported.
void ApplyAlphaToRange(ImageDocument& document, std::uint32_t alpha);

// The pixels ApplyAlphaToRange changes: the document's range clipped to its image. Empty
// (no width or no height) when there are none.
ImageRect AlphaEditArea(const ImageDocument& document);
