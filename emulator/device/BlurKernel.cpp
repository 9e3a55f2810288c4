// Gaussian taps sampled at whole pixels, convolved with the linear interpolation that moves the
// image by a fraction of a pixel: the edge's centroid moves by exactly the shift, not a rounding.
#include "BlurKernel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace calvix {

BlurKernel BlurKernel::Make(double sigma, double shift) {
    // 3.5 sigma leaves less than 0.05 % of the weight outside.
    const int gaussRadius = sigma > 0.0 ? static_cast<int>(std::ceil(3.5 * sigma)) : 0;
    std::vector<double> gauss(static_cast<std::size_t>(2 * gaussRadius + 1));
    double sum = 0.0;
    for (int m = -gaussRadius; m <= gaussRadius; ++m) {
        const double g = sigma > 0.0 ? std::exp(-m * m / (2.0 * sigma * sigma)) : 1.0;
        gauss[static_cast<std::size_t>(m + gaussRadius)] = g;
        sum += g;
    }
    // out(x) = in(x - shift) = (1 - f) in(x - n) + f in(x - n - 1), n = floor(shift).
    const double whole = std::floor(shift);
    const int n = static_cast<int>(whole);
    const double f = shift - whole;
    const int reach = std::max(std::abs(n), std::abs(n + (f > 0.0 ? 1 : 0)));
    BlurKernel kernel;
    kernel.radius = gaussRadius + reach;
    std::vector<double> taps(static_cast<std::size_t>(2 * kernel.radius + 1), 0.0);
    for (int m = -gaussRadius; m <= gaussRadius; ++m) {
        const double g = gauss[static_cast<std::size_t>(m + gaussRadius)] / sum;
        taps[static_cast<std::size_t>(kernel.radius + m - n)] += (1.0 - f) * g;
        if (f > 0.0) taps[static_cast<std::size_t>(kernel.radius + m - n - 1)] += f * g;
    }
    kernel.weights.assign(taps.begin(), taps.end());
    return kernel;
}

}  // namespace calvix
