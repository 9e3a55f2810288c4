// Colour cell positions and exact patch means.
#include "analysis/ColourCells.h"

#include <algorithm>
#include <cmath>

namespace calvix {

PatchCentre RasterCellCentre(const std::array<Point, 5>& slots, int rasterColumn, int rasterRow) {
    const Point ul = slots[SlotUpperLeft], ur = slots[SlotUpperRight];
    const Point ll = slots[SlotLowerLeft], lr = slots[SlotLowerRight];
    const double u = (rasterColumn + 0.5) / RasterColumns;
    const double v = (rasterRow + 0.5) / RasterRows;
    const double top = ul.x + u * (ur.x - ul.x), bottom = ll.x + u * (lr.x - ll.x);
    const double topY = ul.y + u * (ur.y - ul.y), bottomY = ll.y + u * (lr.y - ll.y);
    PatchCentre centre;
    centre.centre = {static_cast<int>(std::lround(top + v * (bottom - top))),
                     static_cast<int>(std::lround(topY + v * (bottomY - topY)))};
    // The grey wedge's radius: an eighth of the row height along the left edge.
    centre.radius = RasterGeometry::FromCorners(slots).dyLeft / RasterRows / 8;
    return centre;
}

std::array<double, 3> MeanColourAround(const ScanBitmap& image, PatchCentre cell, const DeliveredValue& deliver) {
    // The same bound as the grey wedge's sampling: a huge radius reads only the image's pixels.
    const long long r = std::clamp(cell.radius, 0, 1 << 15);
    std::array<std::array<double, 256>, 3> value{};
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) value[c][v] = deliver ? deliver(c, v) : v;
    const long long left = std::max<long long>(cell.centre.x - r, 0);
    const long long right = std::min<long long>(cell.centre.x + r, image.Width() - 1LL);
    const long long top = std::max<long long>(cell.centre.y - r, 0);
    const long long bottom = std::min<long long>(cell.centre.y + r, image.Height() - 1LL);
    std::array<double, 3> sum{};
    long long inside = 0;
    for (long long y = top; y <= bottom && left <= right; ++y) {
        const std::uint8_t* pixel = image.Row(static_cast<int>(y)) + 3 * left;
        for (long long x = left; x <= right; ++x, pixel += 3) {
            sum[0] += value[0][pixel[2]];
            sum[1] += value[1][pixel[1]];
            sum[2] += value[2][pixel[0]];
            ++inside;
        }
    }
    const double count = static_cast<double>((2 * r + 1) * (2 * r + 1));
    const double outside = count - static_cast<double>(inside);
    std::array<double, 3> mean{};
    for (int c = 0; c < 3; ++c) mean[c] = (sum[c] + outside * value[c][255]) / count;
    return mean;
}

}  // namespace calvix
