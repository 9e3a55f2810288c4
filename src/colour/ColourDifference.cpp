// Colour differences on Little CMS: CIE76 and CIEDE2000 (CIE 142-2001, kL = kC = kH = 1); the
// chromatic distance alone is ours, Little CMS has no such measure.
#include "colour/ColourDifference.h"

#include <lcms2.h>

#include <cmath>

namespace calvix {

namespace {
cmsCIELab ToLcms(const Lab& lab) { return {lab.L, lab.a, lab.b}; }
}  // namespace

double DeltaE76(const Lab& x, const Lab& y) {
    const cmsCIELab a = ToLcms(x), b = ToLcms(y);
    return cmsDeltaE(&a, &b);
}

double DeltaEab(const Lab& x, const Lab& y) { return std::hypot(x.a - y.a, x.b - y.b); }

double DeltaE2000(const Lab& x, const Lab& y) {
    const cmsCIELab a = ToLcms(x), b = ToLcms(y);
    return cmsCIE2000DeltaE(&a, &b, 1.0, 1.0, 1.0);
}

}  // namespace calvix
