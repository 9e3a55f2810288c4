// Patch sampling for profiling.
#include "profiling/ChartPatches.h"

#include <memory>

namespace calvix {

DeliveredValue ThroughTables(const ChannelTables& tables) {
    auto shared = std::make_shared<ChannelTables>(tables);
    return [shared](int channel, int value) {
        const ChannelTable& t = (*shared)[static_cast<std::size_t>(channel)];
        const std::size_t first = static_cast<std::size_t>(value) * 4;
        return (t[first] + t[first + 1] + t[first + 2] + t[first + 3]) / 4.0;
    };
}

ChartMeasurement MeasureChartPatches(const ScanBitmap& image, const std::array<Point, 5>& slots,
                                     const TIT8Ref& reference, const DeliveredValue& deliver) {
    ChartMeasurement m;
    static const char* const rows = "ABCDEFGHIJKL";
    for (int row = 0; row < It8PatchRows; ++row) {
        for (int column = 0; column < It8PatchColumns; ++column) {
            const PatchCentre cell =
                RasterCellCentre(slots, column + ColourRasterColumnOffset, row + ColourRasterRowOffset);
            const float* xyz = reference.patchXYZ[row][column];
            m.colours.push_back({std::string(1, rows[row]) + std::to_string(column + 1),
                                 MeanColourAround(image, cell, deliver), {xyz[0], xyz[1], xyz[2]}});
        }
    }
    const RasterGeometry geometry = RasterGeometry::FromCorners(slots);
    for (int i = 0; i < It8GreyPatches; ++i) {
        const float* xyz = reference.greyXYZ[i];
        m.greys.push_back({"GS" + std::to_string(i), MeanColourAround(image, GreyPatchCentre(slots, geometry, i), deliver),
                           {xyz[0], xyz[1], xyz[2]}});
    }
    return m;
}

}  // namespace calvix
