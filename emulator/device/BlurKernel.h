// One axis of a channel's optical path: the Gaussian point-spread function and the channel's
// sub-pixel misregistration, folded into one kernel (both are convolutions, so they commute).
#pragma once

#include <vector>

namespace calvix {

struct BlurKernel {
    // out(x) = sum over j of weights[j] * in(x + j - radius), edges replicated.
    std::vector<float> weights;
    int radius = 0;

    // A Gaussian of sigma pixels, moved by shift pixels (positive: the image moves right or down).
    static BlurKernel Make(double sigma, double shift);
    bool Identity() const { return radius == 0; }
};

}  // namespace calvix
