// The header dump of a BMP file for an image window's information lines: the file header
// block, the info header named by its size, its fields with the header's prefix, and the masks.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace calvix {

// The file header and room for the largest info header.
inline constexpr std::size_t BmpDumpBytes = 14 + 124;

struct BmpHeaderDump {
    std::vector<std::string> lines;  // each entry one information line as added (may hold CR LF)
    bool heightNegative = false;     // the header's height field is negative (rows top-down)
};

// Dumps the headers held in bytes; missing bytes count as zero.
BmpHeaderDump DumpBmpHeaderBytes(std::span<const std::uint8_t> bytes);

// Reads the first BmpDumpBytes of the file (fewer when it is shorter) and dumps them.
// Returns false when the file cannot be opened.
bool DumpBmpHeaders(const std::string& path, BmpHeaderDump& dump);

}  // namespace calvix
