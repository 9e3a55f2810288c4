// The pixels across one edge in linear light, a row per image line along it, each stretch scaled
// per channel from its own start side (0) to its end side (1): what the slanted-edge fit and the
// edge-spread binning read, whatever the stretches' colours and whichever way they step.
#pragma once

#include "quality/SlantedEdge.h"

#include <array>
#include <string>
#include <vector>

namespace calvix::quality {

struct SampleRow {
    double line = 0.0;  // image coordinate along the edge
    int offset = 0;     // across coordinate of the row's first pixel
    int stretch = 0;
};

struct EdgeSamples {
    int width = 0;
    std::vector<SampleRow> rows;
    // Per channel, rows x width values, scaled per stretch.
    std::array<std::vector<float>, SfrChannelCount> values;
    // Per channel and row: the stretch's linear step squared (the scaled values' noise falls with
    // the step), 0 where the stretch is left out of that channel.
    std::array<std::vector<double>, SfrChannelCount> weights;
    // The largest step between a stretch's sides, per channel, for the reason when none serves.
    std::array<double, SfrChannelCount> largestStep{};
    int stretches = 0;         // with at least one line inside the image
    int clippedStretches = 0;  // left out of the luminance: a channel clipped at 0 or 255
    int usedStretches = 0;     // in the luminance

    const float* Row(int channel, std::size_t row) const {
        return values[static_cast<std::size_t>(channel)].data() + row * static_cast<std::size_t>(width);
    }
};

// False with the reason when no line of any stretch lies inside the image.
bool ReadEdgeSamples(const ScanBitmap& image, const EdgeWindows& windows, const ChannelLinearisation& linear,
                     EdgeSamples* samples, std::string* why);

}  // namespace calvix::quality
