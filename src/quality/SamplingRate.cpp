// Sampling rate from the box's side lengths.
#include "quality/SamplingRate.h"

#include "analysis/It8frame.h"

#include <cmath>

namespace calvix::quality {

namespace {

double Distance(Point a, Point b) { return std::hypot(static_cast<double>(b.x - a.x), static_cast<double>(b.y - a.y)); }

}  // namespace

bool MeasureSamplingRate(const std::array<Point, 5>& slots, const SamplingRateOptions& options,
                         SamplingRateFigures* figures, std::string* error) {
    for (int slot = SlotUpperRight; slot <= SlotLowerRight; ++slot) {
        const Point p = slots[static_cast<std::size_t>(slot)];
        if (p.x < 0 || p.y < 0) {
            *error = "corner slot " + std::to_string(slot) + " of the chart is not set";
            return false;
        }
    }
    if (!(options.nominalPpi > 0.0) || !(options.boxWidthMm > 0.0) || !(options.boxHeightMm > 0.0)) {
        *error = "the nominal rate and the box's size must be positive";
        return false;
    }
    const Point ur = slots[SlotUpperRight], ul = slots[SlotUpperLeft];
    const Point ll = slots[SlotLowerLeft], lr = slots[SlotLowerRight];
    const double width = (Distance(ul, ur) + Distance(ll, lr)) / 2.0;
    const double height = (Distance(ul, ll) + Distance(ur, lr)) / 2.0;
    if (width < 1.0 || height < 1.0) {
        *error = "the chart's corners enclose no box";
        return false;
    }
    SamplingRateFigures result;
    result.ppiX = width / (options.boxWidthMm / 25.4);
    result.ppiY = height / (options.boxHeightMm / 25.4);
    result.deviationXPercent = 100.0 * (result.ppiX / options.nominalPpi - 1.0);
    result.deviationYPercent = 100.0 * (result.ppiY / options.nominalPpi - 1.0);
    *figures = result;
    return true;
}

}  // namespace calvix::quality
