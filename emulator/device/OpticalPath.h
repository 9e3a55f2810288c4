// The emulated Q71's image path when any optical stage is on: the page's regions in linear light
// (crosstalk already applied to their colours), blur with misregistration, illumination, then
// the sensor's tone response, noise and the side's tables, row by row.
#pragma once

#include "ChartRenderer.h"
#include "SensorNoise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace calvix {

struct OpticalScene {
    // Linear RGB (0..1) of every region, after crosstalk.
    std::vector<std::array<float, 3>> linear;
    // The region each pixel of image row y samples, already at the sampling scale.
    std::function<void(int y, std::uint16_t* regions)> regionsOfRow;
    // The regions at n points of the image, for the pixels of a row that straddle a border:
    // one call a row, so that the classification inlines into the loop over them.
    std::function<void(const double* x, const double* y, int n, std::uint16_t* regions)> regionsAt;
};

// Linear light to unrounded raw values through one side's tone response, tabulated.
class RawCurve {
public:
    explicit RawCurve(const ToneResponse& tone);
    int Raw(int c, float linear) const {
        const float at = std::clamp(linear, 0.0f, 1.0f) * kSteps;
        const int i = std::min(static_cast<int>(at), kSteps - 1);
        const float* t = table_[static_cast<std::size_t>(c)].data();
        return static_cast<int>(t[i] + (at - static_cast<float>(i)) * (t[i + 1] - t[i]) + 0.5f);  // >= 0
    }

private:
    static constexpr int kSteps = 4096;
    std::array<std::array<float, kSteps + 1>, 3> table_{};
};

// Fills image (already of the page's size) from the scene through options' optics and sensor.
void RenderOptically(const OpticalScene& scene, const RenderOptions& options, const SensorNoise& noise,
                     Random& random, ScanBitmap& image);

}  // namespace calvix
