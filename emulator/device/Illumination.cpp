// The cos^4 fall-off of the emulated Q71's light and lens.
#include "Illumination.h"

#include <cmath>

namespace calvix {

Illumination::Illumination(int width, int height, double falloffPercent)
    : cx_((width - 1) / 2.0), cy_((height - 1) / 2.0), corner2_(cx_ * cx_ + cy_ * cy_) {
    if (corner2_ <= 0.0) corner2_ = 1.0;
    // At the corner (r = 1): 1 / (1 + k)^2 = 1 - loss.
    const double kept = 1.0 - falloffPercent / 100.0;
    if (falloffPercent > 0.0) k_ = 1.0 / std::sqrt(kept) - 1.0;
}

}  // namespace calvix
