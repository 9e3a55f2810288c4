// Grey patch squares from the corner slots, with the checks every grey measurement needs.
#include "quality/GreyPatches.h"

namespace calvix::quality {

bool LocateGreyPatches(const ScanBitmap& image, const std::array<Point, 5>& slots, GreyPatchSquares* squares,
                       std::string* error) {
    for (int slot = SlotUpperRight; slot <= SlotLowerRight; ++slot) {
        const Point p = slots[static_cast<std::size_t>(slot)];
        if (p.x < 0 || p.y < 0) {
            *error = "corner slot " + std::to_string(slot) + " of the chart is not set";
            return false;
        }
    }
    const RasterGeometry geometry = RasterGeometry::FromCorners(slots);
    for (int i = 0; i < GreyPatchCount; ++i) {
        const PatchCentre square = GreyPatchCentre(slots, geometry, i);
        const Point c = square.centre;
        if (square.radius < 1 || !image.Contains(c.x - square.radius, c.y - square.radius) ||
            !image.Contains(c.x + square.radius, c.y + square.radius)) {
            *error = "the sampling square of grey patch GS" + std::to_string(i) + " is not inside the scan";
            return false;
        }
        (*squares)[static_cast<std::size_t>(i)] = square;
    }
    return true;
}

}  // namespace calvix::quality
