// Colour patch sampling: the grey wedge's square at every colour cell, its mean kept in fractions
// of a level so the decoder sees what the patch really averages to.
#include "quality/ColourAccuracy.h"

#include "analysis/ColourCells.h"
#include "colour/ColourDifference.h"
#include "profiling/ProfileAccuracy.h"

#include <cmath>

namespace calvix::quality {

std::string PatchName(int row, int column) {
    return std::string(1, static_cast<char>('A' + row)) + std::to_string(column + 1);
}

ColourAccuracy MeasureColourAccuracy(const ScanBitmap& image, const std::array<Point, 5>& slots,
                                     const PatchReference& reference, const PixelDecoder& decode) {
    ColourAccuracy accuracy;
    std::vector<double> differences;
    for (int row = 0; row < It8PatchRows; ++row) {
        for (int column = 0; column < It8PatchColumns; ++column) {
            ColourPatchReading patch;
            patch.name = PatchName(row, column);
            patch.rgb = MeanColourAround(
                image, RasterCellCentre(slots, column + ColourRasterColumnOffset, row + ColourRasterRowOffset));
            patch.measured = decode(patch.rgb[0], patch.rgb[1], patch.rgb[2]);
            patch.reference = reference[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
            patch.deltaE = DeltaE2000(patch.measured, patch.reference);
            differences.push_back(patch.deltaE);
            accuracy.patches.push_back(std::move(patch));
        }
    }
    accuracy.figures = Summarise(differences);
    double worst = -1.0;
    for (const ColourPatchReading& p : accuracy.patches)
        if (p.deltaE > worst) {
            worst = p.deltaE;
            accuracy.figures.worst = p.name;
        }
    return accuracy;
}

bool MeasureWhiteBalance(const ScanBitmap& image, const std::array<Point, 5>& slots,
                         const std::array<Lab, GreyPatchCount>& reference, const PixelDecoder& decode,
                         WhiteBalance* balance, std::string* error) {
    GreyPatchSquares squares{};
    if (!LocateGreyPatches(image, slots, &squares, error)) return false;
    WhiteBalance result;
    for (std::size_t i = 0; i < squares.size(); ++i) {
        const std::array<double, 3> mean = MeanColourAround(image, squares[i]);
        const Lab lab = decode(mean[0], mean[1], mean[2]);
        result.deltaAb[i] = std::hypot(lab.a - reference[i].a, lab.b - reference[i].b);
        result.meanDeltaAb += result.deltaAb[i] / GreyPatchCount;
        if (result.deltaAb[i] > result.maxDeltaAb) {
            result.maxDeltaAb = result.deltaAb[i];
            result.worstPatch = static_cast<int>(i);
        }
    }
    *balance = result;
    return true;
}

}  // namespace calvix::quality
