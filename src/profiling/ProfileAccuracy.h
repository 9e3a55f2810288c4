// How far what a profile reads from the patches lies from their reference values: CIEDE2000 per
// patch and the mean, the largest and the 90th percentile.
#pragma once

#include "colour/IccProfile.h"
#include "profiling/ChartPatches.h"
#include "profiling/InputProfileWriter.h"

#include <vector>

namespace calvix {

// Mean, largest and nearest-rank 90th percentile of values (all 0 for none).
ProfileFigures Summarise(const std::vector<double>& values);

// Reads every patch's device value through the profile (absolute colorimetric) and compares it
// with the patch's reference L*a*b* (D50). perPatch, when given, receives each difference.
ProfileFigures ProfileAccuracy(const IccProfile& profile, const std::vector<PatchMeasurement>& patches,
                               std::vector<double>* perPatch = nullptr);

}  // namespace calvix
