// Patch sampling: the mean colour of a small square around a patch centre, and the process-wide
// table of the 24 grey-wedge patches that the wedge check and the grey-scale correction share.
#pragma once

#include "analysis/It8frame.h"
#include "analysis/Point.h"
#include "analysis/ScanBitmap.h"

#include <array>

namespace calvix {

// The measured colour of one patch: the channel means over its sampling square.
using PatchSample = PackedColour;

struct GreyPatch {
    PatchSample measured = 0;
    PackedColour reference = 0;
    std::array<double, 3> correction{};  // red, green, blue
};

using GreyPatchTable = std::array<GreyPatch, GreyPatchCount>;

// The one table of the run; it holds the side that was sampled last.
GreyPatchTable& GreyPatches();

// Mean of the (2r+1)^2 pixels around (x, y), each channel truncated. Pixels outside the image
// count as white, as the platform's canvas reads them; the pixel buffer is never read outside.
PatchSample PickColorsAround(const ScanBitmap& image, int x, int y, int radius);

// Samples the 24 grey patches at the raster positions of the given corners and geometry into
// the measured colours of the table.
void SampleGreyWedge(const ScanBitmap& image, const std::array<Point, 5>& cornerSlots,
                     const RasterGeometry& geometry, GreyPatchTable& table);

}  // namespace calvix
