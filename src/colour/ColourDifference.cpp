// CIEDE2000 as CIE 142-2001 defines it, written along the worked form of Sharma, Wu and Dalal
// (2005), including their rules for the mean hue and hue difference across the 0/360 seam.
#include "colour/ColourDifference.h"

#include <cmath>
#include <numbers>

namespace calvix {

namespace {

constexpr double Pi = std::numbers::pi;
double Radians(double degrees) { return degrees * Pi / 180.0; }
double Degrees(double radians) { return radians * 180.0 / Pi; }

// Hue angle in degrees, 0..360; 0 for a colour without chroma.
double HueAngle(double a, double b) {
    if (a == 0.0 && b == 0.0) return 0.0;
    const double h = Degrees(std::atan2(b, a));
    return h < 0.0 ? h + 360.0 : h;
}

}  // namespace

double DeltaE76(const Lab& x, const Lab& y) {
    const double dL = x.L - y.L, da = x.a - y.a, db = x.b - y.b;
    return std::sqrt(dL * dL + da * da + db * db);
}

double DeltaEab(const Lab& x, const Lab& y) { return std::hypot(x.a - y.a, x.b - y.b); }

double DeltaE2000(const Lab& x, const Lab& y) {
    const double c1 = std::hypot(x.a, x.b);
    const double c2 = std::hypot(y.a, y.b);
    const double cMean7 = std::pow((c1 + c2) / 2.0, 7.0);
    const double g = 0.5 * (1.0 - std::sqrt(cMean7 / (cMean7 + std::pow(25.0, 7.0))));
    const double a1 = (1.0 + g) * x.a;
    const double a2 = (1.0 + g) * y.a;
    const double cp1 = std::hypot(a1, x.b);
    const double cp2 = std::hypot(a2, y.b);
    const double hp1 = HueAngle(a1, x.b);
    const double hp2 = HueAngle(a2, y.b);

    const double dLp = y.L - x.L;
    const double dCp = cp2 - cp1;
    double dhp = 0.0;
    if (cp1 * cp2 != 0.0) {
        dhp = hp2 - hp1;
        if (dhp > 180.0) dhp -= 360.0;
        else if (dhp < -180.0) dhp += 360.0;
    }
    const double dHp = 2.0 * std::sqrt(cp1 * cp2) * std::sin(Radians(dhp / 2.0));

    const double lMean = (x.L + y.L) / 2.0;
    const double cpMean = (cp1 + cp2) / 2.0;
    double hpMean = hp1 + hp2;
    if (cp1 * cp2 != 0.0) {
        if (std::fabs(hp1 - hp2) <= 180.0) hpMean /= 2.0;
        else hpMean = hpMean < 360.0 ? (hpMean + 360.0) / 2.0 : (hpMean - 360.0) / 2.0;
    }

    const double t = 1.0 - 0.17 * std::cos(Radians(hpMean - 30.0)) + 0.24 * std::cos(Radians(2.0 * hpMean)) +
                     0.32 * std::cos(Radians(3.0 * hpMean + 6.0)) - 0.20 * std::cos(Radians(4.0 * hpMean - 63.0));
    const double dTheta = 30.0 * std::exp(-std::pow((hpMean - 275.0) / 25.0, 2.0));
    const double cpMean7 = std::pow(cpMean, 7.0);
    const double rc = 2.0 * std::sqrt(cpMean7 / (cpMean7 + std::pow(25.0, 7.0)));
    const double lOffset = (lMean - 50.0) * (lMean - 50.0);
    const double sl = 1.0 + 0.015 * lOffset / std::sqrt(20.0 + lOffset);
    const double sc = 1.0 + 0.045 * cpMean;
    const double sh = 1.0 + 0.015 * cpMean * t;
    const double rt = -std::sin(Radians(2.0 * dTheta)) * rc;

    const double l = dLp / sl, c = dCp / sc, h = dHp / sh;
    return std::sqrt(l * l + c * c + h * h + rt * c * h);
}

}  // namespace calvix
