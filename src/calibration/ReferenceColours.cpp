// Linear mapping of the reference greys onto the 8-bit scale the tables are built against.
#include "calibration/ReferenceColours.h"

#include <cmath>

namespace calvix {

namespace {

constexpr int Darkest = GreyWedgeSteps - 1;

// Evenly spaced ramp from 255 (GS0) down to 0 (GS23).
double EvenRamp(int k) { return static_cast<double>(Darkest - k) * 255.0 / Darkest + 0.5; }

int ReferenceByte(const ReferenceGreys& greys, int k, int channel) {
    const double lightest = greys[0][channel];
    const double darkest = greys[Darkest][channel];
    const double span = lightest - darkest;
    double value = (static_cast<double>(greys[k][channel]) - darkest) * 255.0 / span + 0.5;
    // GS0 and GS23 with the same reference value (or a value that is not a number) leave the
    // mapping undefined. An even ramp keeps GS0 at 255, GS23 at 0 and the table monotone, so
    // the scanner keeps a usable, if uncorrected, tone curve instead of a step function.
    if (span == 0.0 || !std::isfinite(value)) value = EvenRamp(k);
    // A reference grey lighter than GS0 or darker than GS23 lands outside 0..255. Keeping
    // only its low 8 bits would turn a near-white step black (256 -> 0); it is held at the
    // nearest end of the scale instead.
    if (value < 0.0) return 0;
    if (value >= 255.0) return 255;
    return static_cast<int>(std::floor(value));
}

}  // namespace

PackedColour greyReferenceColour(const ReferenceGreys& greys, int k) {
    if (k < 0 || k > Darkest) return MakeColour(0, 0, 0);
    return MakeColour(ReferenceByte(greys, k, 0), ReferenceByte(greys, k, 1), ReferenceByte(greys, k, 2));
}

GreyColours ReferenceColoursOf(const ReferenceGreys& greys) {
    GreyColours colours{};
    for (int k = 0; k < GreyWedgeSteps; ++k) colours[k] = greyReferenceColour(greys, k);
    return colours;
}

}  // namespace calvix
