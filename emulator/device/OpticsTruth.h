// The truth of a render: the optical values in force and the figures they imply, as JSON, so
// that a measurement taken on the scan can be held against what the emulator really did.
#pragma once

#include "ChartRenderer.h"

#include <optional>
#include <string>

namespace calvix {

struct RenderTruth {
    int width = 0;
    int height = 0;
    Optics optics;
    double noiseSigma = 0.0;  // raw units
    // The chart's placement and its box corners in the image; none for a blank face.
    struct Chart {
        double rotationDegrees = 0.0;
        double shiftX = 0.0;
        double shiftY = 0.0;
        std::array<std::array<double, 2>, 4> corners{};
    };
    std::optional<Chart> chart;
};

RenderTruth TruthOf(const RenderOptions& options, const RenderedChart* chart);

std::string TruthJson(const RenderTruth& truth);

// Writes text to path through a temporary file renamed over it; false with the reason.
bool WriteTruthFile(const std::string& path, const std::string& text, std::string* error);

}  // namespace calvix
