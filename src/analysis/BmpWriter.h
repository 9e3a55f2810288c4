// Writing a ScanBitmap as a standard uncompressed 24-bit Windows BMP file: 40-byte info
// header, rows bottom-up, each padded to a multiple of four bytes.
#pragma once

#include "analysis/ScanBitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace calvix {

// The whole file in memory; empty for an empty image or one too large for the 32-bit size
// fields of the format.
std::vector<std::uint8_t> EncodeBmp(const ScanBitmap& image);

enum class BmpSaveMode {
    // Through a temporary file in the same folder that is renamed over the target, so a failed
    // write never leaves half a file.
    ReplaceAtomically,
    // Over the existing file's bytes, then cut to size. For diagnostic images that are
    // rewritten on every run (the helper images): reusing the file's pages saves most of the
    // cost of a fresh 23 MB file. Only a regular file with a single name is overwritten; any
    // other target (none yet, a symbolic link, a hard link) is replaced as above. A write that
    // fails midway removes the file rather than leave half an image behind.
    OverwriteInPlace,
};

// Returns false (error set) when the file could not be written.
bool SaveBmpFile(const ScanBitmap& image, const std::string& path, std::string& error,
                 BmpSaveMode mode = BmpSaveMode::ReplaceAtomically);

}  // namespace calvix
