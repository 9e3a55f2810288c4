// Writing a ScanBitmap as a baseline RGB TIFF file for archiving a scan: 8 bits per sample,
// interleaved, uncompressed or LZW, the scan's resolution and the side's ICC profile embedded.
#pragma once

#include "analysis/ScanBitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace calvix {

enum class TiffCompression { None, Lzw };

struct TiffOptions {
    TiffCompression compression = TiffCompression::Lzw;
    // Pixels per inch in both directions; the Q71 scans at 400.
    double ppi = 400;
    // Embedded as given (the ICC profile tag); none when empty.
    std::vector<std::uint8_t> iccProfile;
};

// Through a temporary file in the target's folder that is renamed over the target, so a failed
// write leaves the target as it was. Returns false with error naming the path and the reason;
// libtiff's own messages go into error, never to standard error.
bool SaveTiffFile(const ScanBitmap& image, const std::string& path, const TiffOptions& options, std::string& error);

}  // namespace calvix
