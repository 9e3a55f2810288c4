// Makes the ICC input profile of one scanner side from its chart patches: shapers from the grey
// wedge, a matrix fitted in XYZ with the white kept exact, and a table where it reads the chart
// clearly better than the matrix.
#pragma once

#include "profiling/ChartPatches.h"
#include "profiling/InputProfileWriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace calvix {

struct ProfileRequest {
    ChartMeasurement patches;
    ProfileIdentity identity;
    int iccVersion = 4;  // 4 (4.3) or 2 (2.4)
    bool allowTable = true;
};

struct BuiltProfile {
    std::vector<std::uint8_t> bytes;
    std::string kind;             // "shaper/matrix" or "shaper/table"
    ProfileFigures fit;           // of the profile written, over the colour patches
    ProfileFigures matrixFit;     // of the shaper/matrix model, for comparison
};

std::optional<BuiltProfile> BuildInputProfile(const ProfileRequest& request, std::string& error);

}  // namespace calvix
