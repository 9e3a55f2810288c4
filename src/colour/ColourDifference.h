// Colour differences between two L*a*b* colours: CIE76, its chromatic part alone, and CIEDE2000.
#pragma once

#include "colour/ColourSpaces.h"

namespace calvix {

// Euclidean distance in L*a*b* (CIE 1976).
double DeltaE76(const Lab& x, const Lab& y);
// Distance in the a*b* plane only: how far a neutral has drifted in colour, whatever its lightness.
double DeltaEab(const Lab& x, const Lab& y);
// CIEDE2000 with the parametric factors kL = kC = kH = 1.
double DeltaE2000(const Lab& x, const Lab& y);

}  // namespace calvix
