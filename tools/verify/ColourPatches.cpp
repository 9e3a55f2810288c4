// Colour patch sampling: the same square mean as the grey wedge, at every colour cell.
#include "ColourPatches.h"

#include "analysis/PatchSampling.h"
#include "colour/ColourDifference.h"

#include <algorithm>
#include <cmath>

namespace calvix::verify {

void Summarise(const std::vector<double>& values, double& mean, double& max, double& p90) {
    mean = max = p90 = 0.0;
    if (values.empty()) return;
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0.0;
    for (double v : sorted) sum += v;
    mean = sum / static_cast<double>(sorted.size());
    max = sorted.back();
    const auto rank = static_cast<std::size_t>(std::ceil(0.9 * static_cast<double>(sorted.size())));
    p90 = sorted[std::max<std::size_t>(rank, 1) - 1];
}

ColourPatchSummary MeasureColourPatches(const ScanBitmap& image, const std::array<Point, 5>& slots,
                                        const ReferenceBatch& batch) {
    ColourPatchSummary summary;
    double worst = -1.0;
    for (int row = 0; row < It8PatchRows; ++row) {
        for (int column = 0; column < It8PatchColumns; ++column) {
            const PatchCentre cell =
                RasterCellCentre(slots, column + ColourRasterColumnOffset, row + ColourRasterRowOffset);
            const PackedColour colour = PickColorsAround(image, cell.centre.x, cell.centre.y, cell.radius);
            const Lab measured = SrgbToLabD50(RedOf(colour), GreenOf(colour), BlueOf(colour));
            const double d = DeltaE2000(measured, batch.lab[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]);
            summary.deltaE.push_back(d);
            if (d > worst) {
                worst = d;
                summary.worst = PatchName(row, column);
            }
        }
    }
    summary.count = static_cast<int>(summary.deltaE.size());
    Summarise(summary.deltaE, summary.mean, summary.max, summary.p90);
    return summary;
}

}  // namespace calvix::verify
