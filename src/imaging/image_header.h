#pragma once
// The verdict of image_verdict.h on a file named by its path, which is read here.
#include <optional>

#include "image_verdict.h"

// The size the file's header claims (ClaimedSizeOf in image_verdict.h). Nothing for a null
// path and for a file that cannot be opened.
std::optional<ClaimedSize> ReadClaimedSize(const wchar_t* path);

// Whether a file may be handed to the decoder: JudgeImage in image_verdict.h says Decode.
// True for a null path and for a file that cannot be opened: the decoder decides.
bool IsSafeToDecode(const wchar_t* path);

// Whether the file is a JPEG (IsLossyImage in image_verdict.h); false for a null path and
// for a file that cannot be opened.
bool IsLossyImageFile(const wchar_t* path);
