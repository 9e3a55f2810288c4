// The sRGB decoder on fractional levels (a patch mean is not a whole level) and the luminance of
// an L*a*b* colour.
#include "quality/PixelDecoder.h"

#include <algorithm>

namespace calvix::quality {

PixelDecoder SrgbDecoder() {
    static constexpr Matrix3 toXyz{{{0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}}};
    const Matrix3 toD50 = BradfordAdaptation(WhiteD65, WhiteD50);
    return [toD50](double red, double green, double blue) {
        auto linear = [](double level) { return 100.0 * SrgbToLinear(std::clamp(level, 0.0, 255.0) / 255.0); };
        const Xyz d65 = Apply(toXyz, Xyz{linear(red), linear(green), linear(blue)});
        return XyzToLab(Apply(toD50, d65), WhiteD50);
    };
}

double RelativeLuminance(const Lab& lab) {
    // CIE: L* = 116 (Y/Yn)^(1/3) - 16 above (6/29)^3, 903.3 Y/Yn below.
    constexpr double kappa = 24389.0 / 27.0;
    const double f = (lab.L + 16.0) / 116.0;
    return lab.L > 8.0 ? f * f * f : lab.L / kappa;
}

}  // namespace calvix::quality
