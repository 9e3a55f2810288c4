// The 3x3 matrix of a shaper/matrix profile: least squares in XYZ from the linearised device
// values of the patches to their reference values, with the white carried exactly.
#pragma once

#include "colour/ColourSpaces.h"

#include <array>
#include <optional>
#include <vector>

namespace calvix {

using Vector3 = std::array<double, 3>;

struct MatrixFitInput {
    std::vector<Vector3> linear;  // shaper outputs of each patch
    std::vector<Vector3> target;  // the patch's XYZ, relative to the white (white -> D50)
    std::vector<double> weight;   // per patch; empty means all 1
    Vector3 whiteLinear{};        // shaper outputs of the white
    Vector3 whiteTarget{};        // what the white must become
};

// Minimises the weighted sum of squared XYZ errors subject to M * whiteLinear == whiteTarget.
// Nothing when the patches do not determine a matrix (fewer than three independent colours).
std::optional<Matrix3> FitMatrixKeepingWhite(const MatrixFitInput& input);

}  // namespace calvix
