// Value types shared by the grey-scale correction: the 24 grey-wedge steps as packed colours
// and as reference floats, per-step correction factors, channel tables and the white scale.
#pragma once

#include "analysis/ScanBitmap.h"

#include <array>
#include <cstdint>

namespace calvix {

// GS0 (lightest) to GS23 (darkest).
inline constexpr int GreyWedgeSteps = 24;
// Entries of one channel table: scanner values at four times the 8-bit scale.
inline constexpr int ChannelTableEntries = 1024;

enum class ColourChannel { Red = 0, Green = 1, Blue = 2 };
inline constexpr std::array<ColourChannel, 3> AllChannels = {ColourChannel::Red, ColourChannel::Green,
                                                             ColourChannel::Blue};

constexpr int ChannelOf(PackedColour colour, ColourChannel channel) {
    return static_cast<int>((colour >> (8 * static_cast<int>(channel))) & 0xFF);
}

// Reference greys as delivered by the reference conversion: red, green, blue on a 0-255 scale.
using ReferenceGreys = std::array<std::array<float, 3>, GreyWedgeSteps>;
using GreyColours = std::array<PackedColour, GreyWedgeSteps>;
// Red, green, blue factor of every grey step.
using CorrectionFactors = std::array<std::array<double, 3>, GreyWedgeSteps>;
using ChannelTable = std::array<std::uint8_t, ChannelTableEntries>;
// Red, green, blue tables.
using ChannelTables = std::array<ChannelTable, 3>;
// Red, green, blue white-adaption scale.
using WhiteScale = std::array<double, 3>;

}  // namespace calvix
