// Our own BMP decoder: core, info, V2/V3, V4 and V5 headers, rows bottom-up or top-down,
// 1/4/8-bit palettes, 16/24/32-bit pixels with or without bit fields, all turned into 24 bits.
#pragma once

#include "analysis/LoadProgress.h"
#include "analysis/PictureResult.h"

#include <cstdint>
#include <span>
#include <string>

namespace calvix {

// Pixels accepted in one picture: far above any scan (A4 at 1200 dpi is 140 million) and low
// enough that the 24-bit copy stays below one gigabyte.
inline constexpr long long MaxPicturePixels = 300LL * 1000 * 1000;

// Decodes a whole BMP file held in memory. Refuses RLE and embedded JPEG/PNG, unknown headers,
// sizes beyond the limit and files whose pixel data is cut short.
PictureResult DecodeBmp(std::span<const std::uint8_t> file, const LoadProgressFn& progress = {},
                        long long maxPixels = MaxPicturePixels);

// The bytes that a BMP file's content takes, judged from its head alone (a HeadCheck): what
// DecodeBmp would refuse from the headers is refused before the rest of the file is read.
std::string BmpFileExtent(std::span<const std::uint8_t> head, std::uint64_t& needed);

// Reads the file, no further than its headers say the content goes, and decodes it.
PictureResult LoadBmpFile(const std::string& path, const LoadProgressFn& progress = {});

}  // namespace calvix
