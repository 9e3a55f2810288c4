// The grey-scale correction's side of the shared grey-wedge table: it reads the measured
// colours sampled there and writes back the reference colours and correction factors.
#pragma once

#include "analysis/PatchSampling.h"
#include "calibration/CorrectionTypes.h"
#include "calibration/GreyCorrection.h"

namespace calvix {

static_assert(GreyPatchCount == GreyWedgeSteps);

GreyColours MeasuredColours(const GreyPatchTable& table);

// Reference colour and correction factors of every entry from the last evaluation; the
// measured colours stay as sampled.
void WriteEvaluation(const GreyCorrection& correction, GreyPatchTable& table);

}  // namespace calvix
