#pragma once
// Crafted image files for the Wine tests: the byte builders (crafted_bytes.h), a JPEG that
// GDI+ writes and the test then alters, and what the header reader makes of them.
#include <cstdint>
#include <optional>
#include <string>

#include "crafted_bytes.h"
#include "image_header.h"
#include "test_support.h"

// A real JPEG written by GDI+, with its frame header changed to claim the size and, if
// asked, stray bytes put before that header's marker (the decoder skips them).
Bytes JpegClaiming(const TempFolder& folder, std::uint32_t width, std::uint32_t height, bool strayBytes);

// What the header reader makes of bytes written to a file of the given name in folder.
std::optional<ClaimedSize> ClaimOf(const TempFolder& folder, const Bytes& bytes,
                                   const std::wstring& name = L"header.bin");

// "w x h" or "nothing", so that a failing check says what the header reader found.
std::string Describe(const std::optional<ClaimedSize>& claim);
std::string Expect(std::uint64_t width, std::uint64_t height);
