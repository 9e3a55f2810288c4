// JPEG decoding through libjpeg (classic API) into a 24-bit ScanBitmap. Greyscale and CMYK
// files are converted to 24 bits; every libjpeg error comes back as a failed result.
#pragma once

#include "analysis/BmpReader.h"
#include "analysis/LoadProgress.h"
#include "analysis/PictureResult.h"

#include <cstdint>
#include <span>
#include <string>

namespace calvix {

// A progressive file with more scans than this is refused: no real encoder writes that many,
// and each scan costs a pass over the whole image.
inline constexpr int MaxJpegScans = 500;

PictureResult DecodeJpeg(std::span<const std::uint8_t> file, const LoadProgressFn& progress = {},
                         long long maxPixels = MaxPicturePixels);

// Reads the file (bounded) and decodes it.
PictureResult LoadJpegFile(const std::string& path, const LoadProgressFn& progress = {});

}  // namespace calvix
