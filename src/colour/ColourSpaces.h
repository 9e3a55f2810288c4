// CIE XYZ and L*a*b*, the sRGB encoding and Bradford chromatic adaptation: what a scan's pixel
// and a chart patch's measured values need to meet in one space.
#pragma once

#include <array>

namespace calvix {

// Tristimulus values on the 0..100 scale that IT8 reference files use.
struct Xyz {
    double X = 0.0;
    double Y = 0.0;
    double Z = 0.0;
};

struct Lab {
    double L = 0.0;
    double a = 0.0;
    double b = 0.0;
};

// Reference whites of the CIE illuminants, 2-degree observer, Y = 100.
inline constexpr Xyz WhiteD50{96.422, 100.0, 82.521};
inline constexpr Xyz WhiteD65{95.047, 100.0, 108.883};

using Matrix3 = std::array<std::array<double, 3>, 3>;

Lab XyzToLab(const Xyz& xyz, const Xyz& white);
Xyz LabToXyz(const Lab& lab, const Xyz& white);

// One encoded sRGB channel (0..1) to its linear value, with the curve's linear toe.
double SrgbToLinear(double encoded);
// An sRGB pixel (0..255, fractions allowed: a patch's mean) to XYZ under D65.
Xyz SrgbToXyzD65(double red, double green, double blue);

// The Bradford transform that carries colours seen under one white to the other.
Matrix3 BradfordAdaptation(const Xyz& from, const Xyz& to);
Xyz Apply(const Matrix3& m, const Xyz& xyz);
// False (m unchanged) for a singular matrix.
bool Invert(const Matrix3& m, Matrix3& inverse);

// An sRGB pixel (0..255) to L*a*b* relative to D50, the white of printed-target data: decoded,
// taken to XYZ under D65 and adapted to D50 with Bradford.
Lab SrgbToLabD50(double red, double green, double blue);

}  // namespace calvix
