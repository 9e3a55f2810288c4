// The 264 colour patches of a verification scan, for information: each sampled at its raster
// cell, read as sRGB, and compared with the reference L*a*b* in CIEDE2000.
#pragma once

#include "ReferenceBatch.h"
#include "analysis/ColourCells.h"
#include "analysis/It8frame.h"

#include <array>
#include <string>
#include <vector>

namespace calvix::verify {

struct ColourPatchSummary {
    int count = 0;
    double mean = 0.0;
    double max = 0.0;
    double p90 = 0.0;  // nearest-rank 90th percentile
    std::string worst;  // the patch with the largest difference
    std::vector<double> deltaE;  // row-major, A1..A22, B1..L22
};

ColourPatchSummary MeasureColourPatches(const ScanBitmap& image, const std::array<Point, 5>& slots,
                                        const ReferenceBatch& batch);

// Mean, largest and nearest-rank 90th percentile of values (all 0 for none).
void Summarise(const std::vector<double>& values, double& mean, double& max, double& p90);

}  // namespace calvix::verify
