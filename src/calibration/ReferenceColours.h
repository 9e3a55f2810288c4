// Reference colours of the grey wedge: each channel of the reference greys mapped linearly so
// that GS0 becomes 255 and GS23 becomes 0.
#pragma once

#include "calibration/CorrectionTypes.h"

namespace calvix {

// Reference colour of grey step k (0..23); a k outside that range gives black.
PackedColour greyReferenceColour(const ReferenceGreys& greys, int k);

GreyColours ReferenceColoursOf(const ReferenceGreys& greys);

}  // namespace calvix
