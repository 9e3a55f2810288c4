// buildChannelTable: one channel's 1024-entry correction table, interpolated piecewise
// linearly between the measured grey steps (at four times the 8-bit scale) and their
// reference values.
#pragma once

#include "calibration/CorrectionTypes.h"

namespace calvix {

// Fills table for channel from the measured and reference colours of the 24 grey steps,
// measured values stretched by scale (the white adaption, at least 1). Returns 0.
int buildChannelTable(ChannelTable& table, const GreyColours& measured, const GreyColours& reference,
                      ColourChannel channel, double scale);

// True when no entry is below the one before: a table that falls somewhere would make a
// brighter scan value darker, which is never a correction (a reference or a wedge is wrong).
bool ChannelTableNonDecreasing(const ChannelTable& table);

// The red, green and blue tables, each with its own scale.
ChannelTables BuildChannelTables(const GreyColours& measured, const GreyColours& reference, const WhiteScale& scale);

}  // namespace calvix
