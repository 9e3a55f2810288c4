// The patches a profile is made from: the 264 colour patches and the 24 grey steps of a found
// chart, each with its mean device value and its reference XYZ.
#pragma once

#include "analysis/ColourCells.h"
#include "calibration/CorrectionTypes.h"
#include "colour/ColourSpaces.h"
#include "it8ref/It8Ref.h"

#include <array>
#include <string>
#include <vector>

namespace calvix {

struct PatchMeasurement {
    std::string name;                // "A1".."L22", "GS0".."GS23"
    std::array<double, 3> device{};  // red, green, blue, 0..255
    Xyz reference;                   // D50, 0..100
};

struct ChartMeasurement {
    std::vector<PatchMeasurement> colours;  // row-major, A1..L22
    std::vector<PatchMeasurement> greys;    // GS0 (lightest) first
};

// The value the scanner delivers for a bypass-scan value (raw / 4) once tables are in force: the
// mean of the four table entries the raw values behind it address. Exact on average when the raw
// value is spread evenly over the four, which sensor noise sees to.
DeliveredValue ThroughTables(const ChannelTables& tables);

// Samples every patch of the chart found at the corner slots (grey steps where the grey wedge is
// sampled, colours at their cells), each value taken through deliver when given.
ChartMeasurement MeasureChartPatches(const ScanBitmap& image, const std::array<Point, 5>& slots,
                                     const TIT8Ref& reference, const DeliveredValue& deliver = {});

}  // namespace calvix
