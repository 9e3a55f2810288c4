// White adaption and the per-step correction factors of a grey-wedge evaluation, with the
// status lines that report the factors.
#pragma once

#include "calibration/CorrectionTypes.h"

#include <string>
#include <vector>

namespace calvix {

// White-adaption slider range; position / 4 is the share of adaption applied.
inline constexpr int WhiteSliderMin = 0;
inline constexpr int WhiteSliderMax = 4;

// Sets each channel's scale from the measured GS0 colour; a position outside 0-4 leaves
// scale as it is.
void UpdateWhiteScale(WhiteScale& scale, int sliderPosition, PackedColour measuredLightest);

CorrectionFactors ComputeCorrectionFactors(const GreyColours& measured, const GreyColours& reference);

// "Correction factors RGB", then one line per step from GS23 to GS0.
std::vector<std::string> CorrectionFactorLines(const GreyColours& measured, const CorrectionFactors& factors);

// Writes those lines to the log as status lines.
void LogCorrectionFactors(const GreyColours& measured, const CorrectionFactors& factors);

}  // namespace calvix
