// Where the 24 grey patches GS0..GS23 of the found chart are sampled: the same squares the grey
// wedge is read with, checked to lie inside the scan before a measurement reads them.
#pragma once

#include "analysis/It8frame.h"
#include "analysis/ScanBitmap.h"

#include <array>
#include <string>

namespace calvix::quality {

using GreyPatchSquares = std::array<PatchCentre, GreyPatchCount>;

// The sampling squares of the grey patches from the chart's corner slots (1 upper right,
// 2 upper left, 3 lower left, 4 lower right). False with the reason when a corner is missing or
// a square leaves the image.
bool LocateGreyPatches(const ScanBitmap& image, const std::array<Point, 5>& slots, GreyPatchSquares* squares,
                       std::string* error);

}  // namespace calvix::quality
