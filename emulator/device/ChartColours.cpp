// Target colours for the chart renderer: a synthetic IT8.7/2-like set and the D50 XYZ to sRGB
// conversion (Bradford chromatic adaptation folded into one matrix).
#include "ChartColours.h"

#include <algorithm>
#include <cmath>

namespace calvix {

namespace {

constexpr double D50White[3] = {96.422, 100.0, 82.521};

double LabInverse(double t) {
    constexpr double delta = 6.0 / 29.0;
    return t > delta ? t * t * t : 3.0 * delta * delta * (t - 4.0 / 29.0);
}

}  // namespace

double SrgbEncode(double linear) {
    const double c = std::clamp(linear, 0.0, 1.0);
    return c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
}

double SrgbDecode(double encoded) {
    const double v = std::clamp(encoded, 0.0, 1.0);
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

EncodedRgb XyzD50ToSrgb(const XyzColour& xyz) {
    // XYZ (D50) -> linear sRGB (D65) through the Bradford transform.
    const double x = xyz.X / 100.0;
    const double y = xyz.Y / 100.0;
    const double z = xyz.Z / 100.0;
    const double r = 3.1338561 * x - 1.6168667 * y - 0.4906146 * z;
    const double g = -0.9787684 * x + 1.9161415 * y + 0.0334540 * z;
    const double b = 0.0719453 * x - 0.2289914 * y + 1.4052427 * z;
    return EncodedRgb{SrgbEncode(r), SrgbEncode(g), SrgbEncode(b)};
}

XyzColour LabD50ToXyz(double L, double a, double b) {
    const double fy = (L + 16.0) / 116.0;
    const double fx = fy + a / 500.0;
    const double fz = fy - b / 200.0;
    return XyzColour{D50White[0] * LabInverse(fx), D50White[1] * LabInverse(fy), D50White[2] * LabInverse(fz)};
}

ChartColours SyntheticChartColours() {
    ChartColours colours;
    for (int row = 0; row < ChartPatchRows; ++row) {
        for (int column = 0; column < ChartPatchColumns; ++column) {
            // Rows walk through lightness, columns through hue, chroma falls off towards the
            // light and dark ends as on a printed target.
            const double lightness = 25.0 + 60.0 * ((row % 6) / 5.0);
            const double hue = (column * 360.0 / ChartPatchColumns + row * 15.0) * M_PI / 180.0;
            const double chroma = (row < 6 ? 55.0 : 30.0) * (1.0 - std::abs(lightness - 55.0) / 60.0);
            colours.patches[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] =
                LabD50ToXyz(lightness, chroma * std::cos(hue), chroma * std::sin(hue));
        }
    }
    for (int i = 0; i < ChartGreyCount; ++i) {
        const double lightness = 93.0 - i * (89.0 / (ChartGreyCount - 1));
        colours.greys[static_cast<std::size_t>(i)] = LabD50ToXyz(lightness, 0.0, 0.0);
    }
    return colours;
}

}  // namespace calvix
