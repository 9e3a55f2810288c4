// Colour accuracy of a chart scan: each of the 264 colour patches' mean at its raster cell,
// decoded by the scan's encoding and compared with the reference L*a*b* in CIEDE2000, and the
// white balance of the grey wedge, the distance of each grey from its reference in a*b*.
#pragma once

#include "analysis/It8frame.h"
#include "analysis/ScanBitmap.h"
#include "it8ref/It8Ref.h"
#include "profiling/InputProfileWriter.h"
#include "quality/GreyPatches.h"
#include "quality/PixelDecoder.h"

#include <array>
#include <string>
#include <vector>

namespace calvix::quality {

using PatchReference = std::array<std::array<Lab, It8PatchColumns>, It8PatchRows>;

struct ColourPatchReading {
    std::string name;             // "A1".."L22"
    std::array<double, 3> rgb{};  // the patch's mean, 0..255
    Lab measured;                 // rgb decoded
    Lab reference;
    double deltaE = 0.0;  // CIEDE2000
};

struct ColourAccuracy {
    ProfileFigures figures;                   // mean, max, nearest-rank 90th percentile, worst patch
    std::vector<ColourPatchReading> patches;  // row-major, A1..A22, B1..L22
};

// "A1".."L22" for row 0..11, column 0..21.
std::string PatchName(int row, int column);

ColourAccuracy MeasureColourAccuracy(const ScanBitmap& image, const std::array<Point, 5>& slots,
                                     const PatchReference& reference, const PixelDecoder& decode);

struct WhiteBalance {
    std::array<double, GreyPatchCount> deltaAb{};
    double maxDeltaAb = 0.0;
    double meanDeltaAb = 0.0;
    int worstPatch = 0;
};

// False with the reason when the grey patches cannot be located.
bool MeasureWhiteBalance(const ScanBitmap& image, const std::array<Point, 5>& slots,
                         const std::array<Lab, GreyPatchCount>& reference, const PixelDecoder& decode,
                         WhiteBalance* balance, std::string* error);

}  // namespace calvix::quality
