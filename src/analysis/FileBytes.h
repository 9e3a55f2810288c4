// Reading a whole picture file into memory with an upper bound, so a huge or endless file
// (a device, a pipe) cannot exhaust memory before a decoder has seen its header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "analysis/ImageMemory.h"

namespace calvix {

// Larger than any scan this program makes (A4 at 600 dpi, 24 bits, is about 100 MB).
inline constexpr std::size_t MaxPictureFileBytes = std::size_t{1} << 30;

// Returns false with a message in error when the file cannot be opened or read, is not a
// regular file, or is larger than maxBytes.
bool ReadFileBytes(const std::string& path, ImageBytes& bytes, std::string& error,
                   std::size_t maxBytes = MaxPictureFileBytes);

}  // namespace calvix
