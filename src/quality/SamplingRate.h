// Sampling rate of a scan, from the found corners of the chart's box against the box's printed
// size: pixels per inch across (x) and along (y) the page, and their deviation from the nominal.
#pragma once

#include "analysis/Point.h"

#include <array>
#include <string>

namespace calvix::quality {

struct SamplingRateOptions {
    double nominalPpi = 400.0;
    // The box between the middles of its lines. The default is the emulated chart's box,
    // 2000 x 1350 px at 400 ppi: 127 x 85.725 mm; a printed target passes its own.
    double boxWidthMm = 2000.0 * 25.4 / 400.0;
    double boxHeightMm = 1350.0 * 25.4 / 400.0;
};

struct SamplingRateFigures {
    // Mean of the top and bottom side (x) and of the left and right side (y), as distances
    // between the corners, so a rotated box measures the same.
    double ppiX = 0.0;
    double ppiY = 0.0;
    double deviationXPercent = 0.0;  // 100 (ppi / nominal - 1)
    double deviationYPercent = 0.0;
};

// Corner slots 1 upper right, 2 upper left, 3 lower left, 4 lower right, whole pixels: a corner
// one pixel off moves the rate by 1 / 2000 across the emulated box. False with the reason for a
// missing corner, a non-positive size or a degenerate box.
bool MeasureSamplingRate(const std::array<Point, 5>& slots, const SamplingRateOptions& options,
                         SamplingRateFigures* figures, std::string* error);

}  // namespace calvix::quality
