// Noise of a scan on the grey wedge: the standard deviation of L* over the pixels of each grey
// patch's sampling square, every pixel decoded on its own, and the worst patch.
#pragma once

#include "analysis/ScanBitmap.h"
#include "quality/GreyPatches.h"
#include "quality/PixelDecoder.h"

#include <array>
#include <string>

namespace calvix::quality {

struct NoiseFigures {
    // Sample standard deviation (n - 1) of L* per patch, GS0..GS23.
    std::array<double, GreyPatchCount> sigmaL{};
    int pixelsPerPatch = 0;
    double worstSigmaL = 0.0;
    int worstPatch = 0;
};

// False with the reason when the patches cannot be located.
bool MeasurePatchNoise(const ScanBitmap& image, const std::array<Point, 5>& slots, const PixelDecoder& decode,
                       NoiseFigures* figures, std::string* error);

}  // namespace calvix::quality
