// Colour space conversions after CIE 15 (XYZ, L*a*b*) and IEC 61966-2-1 (sRGB).
#include "colour/ColourSpaces.h"

#include <cmath>

namespace calvix {

namespace {

constexpr double Epsilon = 216.0 / 24389.0;  // (6/29)^3
constexpr double Kappa = 24389.0 / 27.0;

double LabF(double t) { return t > Epsilon ? std::cbrt(t) : (Kappa * t + 16.0) / 116.0; }

double LabFInverse(double f) {
    const double cube = f * f * f;
    return cube > Epsilon ? cube : (116.0 * f - 16.0) / Kappa;
}

// sRGB primaries to XYZ under D65, as the standard gives them.
constexpr Matrix3 SrgbToXyz{{{0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}}};

// Cone responses of the Bradford transform.
constexpr Matrix3 BradfordCone{{{0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}}};

Matrix3 Multiply(const Matrix3& a, const Matrix3& b) {
    Matrix3 m{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) m[i][j] += a[i][k] * b[k][j];
    return m;
}

}  // namespace

Lab XyzToLab(const Xyz& xyz, const Xyz& white) {
    const double fx = LabF(xyz.X / white.X);
    const double fy = LabF(xyz.Y / white.Y);
    const double fz = LabF(xyz.Z / white.Z);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

Xyz LabToXyz(const Lab& lab, const Xyz& white) {
    const double fy = (lab.L + 16.0) / 116.0;
    return {white.X * LabFInverse(fy + lab.a / 500.0), white.Y * LabFInverse(fy), white.Z * LabFInverse(fy - lab.b / 200.0)};
}

double SrgbToLinear(double encoded) {
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

Xyz SrgbToXyzD65(int red, int green, int blue) {
    const Xyz linear{SrgbToLinear(red / 255.0), SrgbToLinear(green / 255.0), SrgbToLinear(blue / 255.0)};
    const Xyz xyz = Apply(SrgbToXyz, linear);
    return {100.0 * xyz.X, 100.0 * xyz.Y, 100.0 * xyz.Z};
}

Xyz Apply(const Matrix3& m, const Xyz& v) {
    return {m[0][0] * v.X + m[0][1] * v.Y + m[0][2] * v.Z, m[1][0] * v.X + m[1][1] * v.Y + m[1][2] * v.Z,
            m[2][0] * v.X + m[2][1] * v.Y + m[2][2] * v.Z};
}

bool Invert(const Matrix3& m, Matrix3& inverse) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (det == 0.0 || !std::isfinite(det)) return false;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            // Cofactor of element (j, i), which gives the adjugate's (i, j).
            const int r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3, c1 = (i + 2) % 3;
            inverse[i][j] = (m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0]) / det;
        }
    }
    return true;
}

Matrix3 BradfordAdaptation(const Xyz& from, const Xyz& to) {
    Matrix3 coneInverse{};
    Invert(BradfordCone, coneInverse);
    const Xyz source = Apply(BradfordCone, from);
    const Xyz target = Apply(BradfordCone, to);
    const Matrix3 scale{{{target.X / source.X, 0.0, 0.0}, {0.0, target.Y / source.Y, 0.0}, {0.0, 0.0, target.Z / source.Z}}};
    return Multiply(coneInverse, Multiply(scale, BradfordCone));
}

Lab SrgbToLabD50(int red, int green, int blue) {
    static const Matrix3 d65ToD50 = BradfordAdaptation(WhiteD65, WhiteD50);
    return XyzToLab(Apply(d65ToD50, SrgbToXyzD65(red, green, blue)), WhiteD50);
}

}  // namespace calvix
