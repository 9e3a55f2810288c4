// Colour space conversions on Little CMS (XYZ, L*a*b*, Bradford) and IEC 61966-2-1 (sRGB).
#include "colour/ColourSpaces.h"

#include <lcms2.h>
#include <lcms2_plugin.h>

#include <cmath>

namespace calvix {

namespace {

// sRGB primaries to XYZ under D65, as the standard gives them.
constexpr Matrix3 SrgbToXyz{{{0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}}};

// Little CMS works on the 0..1 tristimulus scale; only the ratio to the white matters for L*a*b*.
cmsCIEXYZ ToLcms(const Xyz& xyz) { return {xyz.X / 100.0, xyz.Y / 100.0, xyz.Z / 100.0}; }

}  // namespace

Lab XyzToLab(const Xyz& xyz, const Xyz& white) {
    const cmsCIEXYZ value = ToLcms(xyz), reference = ToLcms(white);
    cmsCIELab lab;
    cmsXYZ2Lab(&reference, &lab, &value);
    return {lab.L, lab.a, lab.b};
}

Xyz LabToXyz(const Lab& lab, const Xyz& white) {
    const cmsCIEXYZ reference = ToLcms(white);
    const cmsCIELab value{lab.L, lab.a, lab.b};
    cmsCIEXYZ xyz;
    cmsLab2XYZ(&reference, &xyz, &value);
    return {100.0 * xyz.X, 100.0 * xyz.Y, 100.0 * xyz.Z};
}

double SrgbToLinear(double encoded) {
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

Xyz SrgbToXyzD65(double red, double green, double blue) {
    const Xyz linear{SrgbToLinear(red / 255.0), SrgbToLinear(green / 255.0), SrgbToLinear(blue / 255.0)};
    const Xyz xyz = Apply(SrgbToXyz, linear);
    return {100.0 * xyz.X, 100.0 * xyz.Y, 100.0 * xyz.Z};
}

Xyz Apply(const Matrix3& m, const Xyz& v) {
    return {m[0][0] * v.X + m[0][1] * v.Y + m[0][2] * v.Z, m[1][0] * v.X + m[1][1] * v.Y + m[1][2] * v.Z,
            m[2][0] * v.X + m[2][1] * v.Y + m[2][2] * v.Z};
}

bool Invert(const Matrix3& m, Matrix3& inverse) {
    const cmsMAT3 source{{{m[0][0], m[0][1], m[0][2]}, {m[1][0], m[1][1], m[1][2]}, {m[2][0], m[2][1], m[2][2]}}};
    cmsMAT3 result;
    if (!_cmsMAT3inverse(&source, &result)) return false;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) inverse[i][j] = result.v[i].n[j];
    for (const auto& row : inverse)
        for (double v : row)
            if (!std::isfinite(v)) return false;
    return true;
}

Matrix3 BradfordAdaptation(const Xyz& from, const Xyz& to) {
    // The transform is linear, so adapting the three unit vectors gives its columns.
    const cmsCIEXYZ source = ToLcms(from), target = ToLcms(to);
    Matrix3 m{};
    for (int column = 0; column < 3; ++column) {
        cmsCIEXYZ unit{column == 0 ? 1.0 : 0.0, column == 1 ? 1.0 : 0.0, column == 2 ? 1.0 : 0.0};
        cmsCIEXYZ adapted;
        cmsAdaptToIlluminant(&adapted, &source, &target, &unit);
        m[0][column] = adapted.X;
        m[1][column] = adapted.Y;
        m[2][column] = adapted.Z;
    }
    return m;
}

Lab SrgbToLabD50(double red, double green, double blue) {
    static const Matrix3 d65ToD50 = BradfordAdaptation(WhiteD65, WhiteD50);
    return XyzToLab(Apply(d65ToD50, SrgbToXyzD65(red, green, blue)), WhiteD50);
}

}  // namespace calvix
