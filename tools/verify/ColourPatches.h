// The 264 colour patches of a verification scan, for information: each patch's mean at its
// raster cell, read through the side's colour encoding, and compared with the reference
// L*a*b* in CIEDE2000.
#pragma once

#include "ColourEncoding.h"
#include "ReferenceBatch.h"
#include "analysis/ColourCells.h"
#include "analysis/It8frame.h"
#include "profiling/InputProfileWriter.h"

#include <array>
#include <string>
#include <vector>

namespace calvix::verify {

struct ColourPatchReading {
    std::string name;             // "A1".."L22"
    std::array<double, 3> rgb{};  // the patch's mean, 0..255
    Lab measured;                 // rgb read through the encoding
    Lab reference;
    double deltaE = 0.0;  // CIEDE2000
};

struct ColourPatchSummary {
    std::string encoding;                     // ColourReading::Text()
    std::string encodingKind;                 // ColourReading::KindKey()
    std::string profilePath;                  // when read through a profile
    ProfileFigures figures;                   // mean, max, nearest-rank 90th percentile, worst patch
    std::vector<ColourPatchReading> patches;  // row-major, A1..A22, B1..L22
};

ColourPatchSummary MeasureColourPatches(const ScanBitmap& image, const std::array<Point, 5>& slots,
                                        const ReferenceBatch& batch, const ColourReading& reading);

}  // namespace calvix::verify
