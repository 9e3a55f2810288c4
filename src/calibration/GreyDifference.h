// How far a measured grey wedge lies from its reference: per channel the mean and the largest
// absolute difference over the 24 patches, in 8-bit levels.
#pragma once

#include <array>

#include "calibration/CorrectionTypes.h"

namespace calvix {

struct GreyDifference {
    std::array<double, 3> mean{};  // red, green, blue
    std::array<int, 3> max{};
};

GreyDifference CompareGreys(const GreyColours& measured, const GreyColours& reference);

}  // namespace calvix
