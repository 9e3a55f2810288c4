// Reading a whole picture file into memory with an upper bound, so a huge or endless file
// (a device, a pipe) cannot exhaust memory before a decoder has seen its header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "analysis/ImageMemory.h"

namespace calvix {

// Larger than any scan this program makes (A4 at 600 dpi, 24 bits, is about 100 MB).
inline constexpr std::size_t MaxPictureFileBytes = std::size_t{1} << 30;

// How many bytes of a file its first bytes call for. Given the head of the file (at most
// FileHeadBytes, fewer when the file is shorter), returns a reason to refuse the file, or
// empty and sets needed to the bytes its content takes (0: the whole file).
using HeadCheck = std::function<std::string(std::span<const std::uint8_t> head, std::uint64_t& needed)>;
inline constexpr std::size_t FileHeadBytes = 256;

// Returns false with a message in error when the file cannot be opened or read, is not a
// regular file, is larger than maxBytes, or its head is refused by check. With a check that
// knows the content's size only that much is read, however large the file is.
bool ReadFileBytes(const std::string& path, ImageBytes& bytes, std::string& error,
                   std::size_t maxBytes = MaxPictureFileBytes, const HeadCheck& check = {});

}  // namespace calvix
