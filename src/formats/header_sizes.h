#pragma once
// The pixel sizes that PNG, BMP, JPEG and TIFF headers claim, read without decoding. Each
// reader trusts the caller for the signature and reads only what it needs.
#include <cstdint>
#include <optional>

#include "byte_reader.h"
#include "image_verdict.h"

// PNG: the size in the header chunk of the PNG whose signature starts at start (an icon
// holds whole PNG files); nothing when the signature or the header chunk is not there.
std::optional<ClaimedSize> ReadPngSize(ByteView& bytes, std::uint64_t start);

// The size in the device-independent bitmap header at offset: 16-bit sizes in the old core
// header, signed 32-bit sizes in every later one, a negative height meaning top-down rows.
std::optional<ClaimedSize> ReadDibHeaderSize(ByteView& bytes, std::uint64_t offset);

// BMP: the bitmap header after the 14-byte file header.
std::optional<ClaimedSize> ReadBmpSize(ByteView& bytes);

// JPEG: the size in the first start-of-frame header, found as the decoder finds it; nothing
// when image data, another image or the end of the bytes comes first.
std::optional<ClaimedSize> ReadJpegSize(ByteView& bytes);

// TIFF: the width and length tags of the first image directory, which is the image decoded,
// in the file's own byte order; nothing when either is missing.
std::optional<ClaimedSize> ReadTiffSize(ByteView& bytes, bool bigEndian);
