// The chart patches as a CGATS .ti3 file (device RGB in percent, XYZ under D50), the form in
// which open profiling tools take a characterisation, so they can check or remake our profile.
#pragma once

#include "profiling/ChartPatches.h"

#include <string>

namespace calvix {

std::string Ti3Text(const ChartMeasurement& patches, const std::string& description);

}  // namespace calvix
