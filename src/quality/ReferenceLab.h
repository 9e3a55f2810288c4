// The reference values the figures are held against: a parsed reference file's greys and colour
// patches as L*a*b* under D50, from its XYZ, one rule for the programs and the main window.
#pragma once

#include "analysis/It8frame.h"
#include "colour/ColourSpaces.h"
#include "it8ref/It8Ref.h"
#include "quality/ColourAccuracy.h"

#include <array>

namespace calvix::quality {

std::array<Lab, GreyPatchCount> ReferenceGreyLab(const TIT8Ref& reference);
PatchReference ReferencePatchLab(const TIT8Ref& reference);

}  // namespace calvix::quality
