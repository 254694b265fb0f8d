#pragma once
#include <cstdint>

#include "image_handle.h"

struct _GUID;

// Index of the first installed encoder, in the library's order, whose MIME type equals
// mimeType exactly (case-sensitive), with its class id copied to clsid; -1 when none does.
int FindEncoderClsid(const wchar_t* mimeType, _GUID* clsid);

// Writes image to path with the encoder for mimeType. jpegQuality, when not null, is passed
// unchanged as the encoder's quality parameter. True only when GDI+ reports the file written.
bool WriteImageFile(const ImageHandle& image, const wchar_t* path, const wchar_t* mimeType,
                    const std::uint32_t* jpegQuality);
