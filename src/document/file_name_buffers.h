#pragma once
#include <cstddef>

// The sizes of the buffers that hold a file's path and its name without the folder, in code
// page 932 bytes or UTF-16 units, terminator included. The file dialogs write straight into
// them, for opening and for saving alike.
constexpr std::size_t kPathBytes = 260;  // MAX_PATH
constexpr std::size_t kTitleBytes = 64;
