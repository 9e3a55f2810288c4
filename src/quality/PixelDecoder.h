// How a scan's pixel becomes L*a*b*: the measurements take the decoder of the scan's encoding
// (its ICC profile, the calibration's reference encoding or plain sRGB) rather than assume one.
#pragma once

#include "colour/ColourSpaces.h"

#include <functional>

namespace calvix::quality {

// Red, green, blue in 8-bit levels (0..255; fractions where a mean is decoded) to L*a*b* (D50).
using PixelDecoder = std::function<Lab(double red, double green, double blue)>;

// IEC 61966-2-1 sRGB, taken to XYZ under D65 and Bradford-adapted to D50.
PixelDecoder SrgbDecoder();

// Y / Yn of a colour from its L*, by the inverse of the CIE lightness function.
double RelativeLuminance(const Lab& lab);

}  // namespace calvix::quality
