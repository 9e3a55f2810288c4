// The scan's own tone response per channel, inverted: each channel's 8-bit level to the light it
// stands for, from the grey wedge (ISO 12233 linearises the edge through the camera's OECF). A
// grey reflects one luminance in every channel, so the wedge's 24 levels per channel against the
// reference luminance give each channel's curve, whatever tables, profile or encoding lie between.
#pragma once

#include "analysis/It8frame.h"
#include "analysis/Point.h"
#include "analysis/ScanBitmap.h"
#include "colour/ColourSpaces.h"
#include "quality/SlantedEdge.h"

#include <array>
#include <string>

namespace calvix::quality {

// False with the reason when the wedge cannot be located or a channel's levels do not rise.
bool WedgeLinearisation(const ScanBitmap& image, const std::array<Point, 5>& slots,
                        const std::array<Lab, GreyPatchCount>& referenceGreys, ChannelLinearisation* table,
                        std::string* error);

}  // namespace calvix::quality
