// Grey-wedge sampling and the colour display on an image window: the positions come from the
// window's corner slots and its stored raster geometry.
#pragma once

#include "analysis/PatchSampling.h"

namespace calvix {

class TChildImage;

// Grey-patch positions and sampling on an image window, from its corner slots and its stored
// raster geometry (which the raster display recomputes; a window whose raster was never shown
// samples at its lower-left corner).
PatchCentre GreyPatchCentre(const TChildImage& window, int index);
void SampleGreyWedge(const TChildImage& window, GreyPatchTable& table);

// The colour display: for every grey patch, its reference colour (upper half) and measured
// colour (lower half) painted into the patch's cell of the raster's bottom row, inside the
// raster lines, for comparison by eye.
void PaintGreyColours(TChildImage& window, const GreyPatchTable& table);

}  // namespace calvix
