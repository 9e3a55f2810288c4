// Grey-wedge sampling at an image window's raster positions, and the colour display that
// paints reference and measured greys side by side into the raster's bottom row.
#include "analysis/WedgeSampling.h"

#include "analysis/Drawing.h"
#include "analysis/ImageChild.h"

#include <algorithm>
#include <cstdint>

namespace calvix {

PatchCentre GreyPatchCentre(const TChildImage& window, int index) {
    return GreyPatchCentre(window.cornerSlots, window.raster, index);
}

void SampleGreyWedge(const TChildImage& window, GreyPatchTable& table) {
    SampleGreyWedge(window.image, window.cornerSlots, window.raster, table);
}

void PaintGreyColours(TChildImage& window, const GreyPatchTable& table) {
    // The cell is taken as an upright rectangle from its lower-left raster point: with the
    // small rotations the check accepts, that stays inside the cell. The inset keeps the red
    // raster lines (5 pixels wide) visible around each pair.
    constexpr int Inset = 4;
    const Point ll = window.cornerSlots[SlotLowerLeft];
    const RasterGeometry& g = window.raster;
    const int rowHeight = g.dyLeft / RasterRows;
    for (int i = 0; i < GreyPatchCount; ++i) {
        const std::int64_t left = static_cast<std::int64_t>(ll.x) + static_cast<std::int64_t>(i) * g.dxBottom / RasterColumns;
        const std::int64_t right = static_cast<std::int64_t>(ll.x) + static_cast<std::int64_t>(i + 1) * g.dxBottom / RasterColumns;
        const std::int64_t bottom = static_cast<std::int64_t>(ll.y) + static_cast<std::int64_t>(i) * g.riseBottom / RasterColumns;
        const std::int64_t top = bottom - rowHeight;
        const std::int64_t middle = top + rowHeight / 2;
        const GreyPatch& patch = table[static_cast<std::size_t>(i)];
        auto fill = [&](std::int64_t y0, std::int64_t y1, PackedColour colour) {
            auto clampInt = [](std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, -1, ScanBitmap::MaxSide + 1)); };
            FillRect(window.image, clampInt(left + Inset), clampInt(y0), clampInt(right - Inset), clampInt(y1), colour);
        };
        fill(top + Inset, middle, patch.reference);
        fill(middle, bottom - Inset, patch.measured);
    }
}

}  // namespace calvix
