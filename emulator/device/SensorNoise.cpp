// Noise tables of the emulated sensor (Box-Muller pairs).
#include "SensorNoise.h"

#include <algorithm>

namespace calvix {

SensorNoise::SensorNoise(double sigma, double shotNoise, Random& random) {
    if (sigma <= 0.0 && shotNoise <= 0.0) return;
    // Without shot noise the table holds rounded samples, as every earlier render drew them.
    const bool fixedOnly = shotNoise <= 0.0;
    const double scale = fixedOnly ? sigma : 1.0;
    (fixedOnly ? fixed_.resize(1 << 16) : unit_.resize(1 << 16));
    for (std::size_t i = 0; i < (1u << 16); i += 2) {
        const double u1 = std::max(random.Uniform(), 1e-12);
        const double u2 = random.Uniform();
        const double radius = std::sqrt(-2.0 * std::log(u1)) * scale;
        const double a = radius * std::cos(2.0 * M_PI * u2);
        const double b = radius * std::sin(2.0 * M_PI * u2);
        if (fixedOnly) {
            fixed_[i] = static_cast<int>(std::lround(a));
            fixed_[i + 1] = static_cast<int>(std::lround(b));
        } else {
            unit_[i] = static_cast<float>(a);
            unit_[i + 1] = static_cast<float>(b);
        }
    }
    for (std::size_t level = 0; level < sigmaAt_.size(); ++level)
        sigmaAt_[level] = static_cast<float>(std::sqrt(sigma * sigma + shotNoise * static_cast<double>(level)));
}

}  // namespace calvix
