// The three-colour helper image on which the chart's bounding box is searched: black for dark
// print, white for paper, silver for everything in between.
#pragma once

#include "analysis/ScanBitmap.h"

namespace calvix {

inline constexpr int DefaultBlackThreshold = 25;

// A new image of the scan's size; a pixel whose channel mean is below threshold becomes black,
// above 175 white, otherwise silver (192, 192, 192).
ScanBitmap MakeHelperImage(const ScanBitmap& scan, int threshold = DefaultBlackThreshold);

}  // namespace calvix
