// Colour patch sampling: the grey wedge's square at every colour cell, its mean kept in fractions
// of a level so the encoding sees what the patch really averages to.
#include "ColourPatches.h"

#include "colour/ColourDifference.h"
#include "profiling/ProfileAccuracy.h"

namespace calvix::verify {

ColourPatchSummary MeasureColourPatches(const ScanBitmap& image, const std::array<Point, 5>& slots,
                                        const ReferenceBatch& batch, const ColourReading& reading) {
    ColourPatchSummary summary;
    summary.encoding = reading.Text();
    summary.encodingKind = reading.KindKey();
    summary.profilePath = reading.ProfilePath();
    std::vector<double> differences;
    for (int row = 0; row < It8PatchRows; ++row) {
        for (int column = 0; column < It8PatchColumns; ++column) {
            ColourPatchReading patch;
            patch.name = PatchName(row, column);
            patch.rgb = MeanColourAround(
                image, RasterCellCentre(slots, column + ColourRasterColumnOffset, row + ColourRasterRowOffset));
            patch.measured = reading.Read(patch.rgb);
            patch.reference = batch.lab[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
            patch.deltaE = DeltaE2000(patch.measured, patch.reference);
            differences.push_back(patch.deltaE);
            summary.patches.push_back(std::move(patch));
        }
    }
    summary.figures = Summarise(differences);
    double worst = -1.0;
    for (const ColourPatchReading& p : summary.patches)
        if (p.deltaE > worst) {
            worst = p.deltaE;
            summary.figures.worst = p.name;
        }
    return summary;
}

}  // namespace calvix::verify
