// ChartSharpness: the sharpness and colour registration of one IT8 chart scan, by the slanted-edge
// SFR on the patch field's edges against the card: the top edges of the first patch row, the
// outer edges of the first and last patch columns, and the top edges of the grey wedge, each
// facing an empty raster row or column of card. Both sides of those edges lie inside the range a
// calibrated scanner's tables keep, unlike the box line or the card against the scanner's dark
// background, which the tables clip to black.
#pragma once

#include "analysis/Point.h"
#include "quality/SlantedEdge.h"

#include <array>

namespace calvix {

// Left: the first patch column's left edges; right: the last column's right edges; top: the
// first patch row's top edges; bottom: the grey wedge's top edges.
enum class ChartSide { Left = 0, Right = 1, Top = 2, Bottom = 3 };
inline constexpr int ChartSideCount = 4;

struct ChartSharpnessSettings {
    SlantedEdgeSettings edge{};
};

struct SideSharpness {
    EdgeWindows windows;     // a stretch per patch; none when the corners leave no room
    SlantedEdgeResult edge;  // its status says why a side gave no figure
};

// One direction of the scan: horizontal is across the left and right sides (sharpness along
// image rows, registration in x), vertical across the top and bottom (along columns, in y).
struct DirectionSharpness {
    EdgeStatus status = EdgeStatus::BadRegion;  // Measured when at least one side measured
    std::string message;                        // why not, from the sides
    int sides = 0;                              // measured sides averaged
    // Per channel (red, green, blue, luminance), in cycles per pixel, mean of the measured sides.
    std::array<std::optional<double>, SfrChannelCount> mtf50{};
    std::array<std::optional<double>, SfrChannelCount> mtf10{};
    // Beside a side that falls to 10 %, one whose curve stays above it up to the Nyquist frequency
    // counts as that frequency in the MTF10 mean, which is then a lower bound; with both sides so,
    // the MTF10 stays empty.
    // MTF10 as a share of the Nyquist frequency (0.5 cycles per pixel), in percent; capped at 100
    // as the digitisation guidelines grade it, also when the curve stays above 10 % throughout.
    std::array<std::optional<double>, SfrChannelCount> samplingEfficiency{};
    // Red and blue against green along this direction's axis, in pixels (positive: right or down).
    double redShift = 0.0;
    double blueShift = 0.0;
};

struct ChartSharpnessResult {
    DirectionSharpness horizontal;
    DirectionSharpness vertical;
    std::array<SideSharpness, ChartSideCount> sides{};  // by ChartSide
};

// The two sides of one direction into its figures, from the sides that measured; slope gets their
// mean green edge slope.
void CombineSides(const std::array<SideSharpness, ChartSideCount>& sides, ChartSide first, ChartSide second,
                  DirectionSharpness& direction, double& slope);

// Box corners by the middle of the line: top-left, top-right, bottom-left, bottom-right.
using BoxCorners = std::array<std::array<double, 2>, 4>;

ChartSharpnessResult MeasureChartSharpness(const ScanBitmap& image, const BoxCorners& corners,
                                           const ChartSharpnessSettings& settings = {});
// The same from the corner slots of an image window (SlotUpperLeft and the others).
ChartSharpnessResult MeasureChartSharpness(const ScanBitmap& image, const std::array<Point, 5>& slots,
                                           const ChartSharpnessSettings& settings = {});

}  // namespace calvix
