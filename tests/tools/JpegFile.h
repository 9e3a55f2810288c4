// Writes a ScanBitmap as a baseline JPEG file, so the tool tests can feed JPEG scans.
#pragma once

#include "analysis/ScanBitmap.h"

#include <string>

namespace calvix::test {

bool SaveJpegFile(const ScanBitmap& image, const std::string& path, int quality);

}  // namespace calvix::test
