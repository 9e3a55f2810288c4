// Patch sampling: square means with outside pixels read as white, and the grey-wedge sampling
// at the raster positions of an image window.
#include "analysis/PatchSampling.h"

#include <algorithm>
#include <cstdint>

namespace calvix {

GreyPatchTable& GreyPatches() {
    static GreyPatchTable table{};
    return table;
}

PatchSample PickColorsAround(const ScanBitmap& image, int x, int y, int radius) {
    // A negative radius (corners set in reverse order by hand) reads the centre pixel alone,
    // the smallest square there is.
    const std::int64_t r = std::max(radius, 0);
    const std::int64_t left = static_cast<std::int64_t>(x) - r;
    const std::int64_t right = static_cast<std::int64_t>(x) + r;
    const std::int64_t top = static_cast<std::int64_t>(y) - r;
    const std::int64_t bottom = static_cast<std::int64_t>(y) + r;
    // 128 bits: the square of any int radius and its white sum stay exact.
    using Wide = __int128;
    const Wide count = static_cast<Wide>(2 * r + 1) * (2 * r + 1);

    // Only the part of the square inside the image is visited; the rest is added as white
    // arithmetically, so a square far outside costs nothing and reads nothing.
    const std::int64_t insideLeft = std::max<std::int64_t>(left, 0);
    const std::int64_t insideRight = std::min<std::int64_t>(right, image.Width() - 1);
    const std::int64_t insideTop = std::max<std::int64_t>(top, 0);
    const std::int64_t insideBottom = std::min<std::int64_t>(bottom, image.Height() - 1);

    std::int64_t red = 0;
    std::int64_t green = 0;
    std::int64_t blue = 0;
    Wide inside = 0;
    if (insideLeft <= insideRight && insideTop <= insideBottom) {
        for (std::int64_t row = insideTop; row <= insideBottom; ++row) {
            const std::uint8_t* pixel = image.Row(static_cast<int>(row)) + 3 * insideLeft;
            for (std::int64_t column = insideLeft; column <= insideRight; ++column, pixel += 3) {
                blue += pixel[0];
                green += pixel[1];
                red += pixel[2];
            }
        }
        inside = static_cast<Wide>(insideRight - insideLeft + 1) * (insideBottom - insideTop + 1);
    }
    const Wide outsideWhite = (count - inside) * 255;
    return MakeColour(static_cast<int>((red + outsideWhite) / count),
                      static_cast<int>((green + outsideWhite) / count),
                      static_cast<int>((blue + outsideWhite) / count));
}

void SampleGreyWedge(const ScanBitmap& image, const std::array<Point, 5>& cornerSlots,
                     const RasterGeometry& geometry, GreyPatchTable& table) {
    for (int i = 0; i < GreyPatchCount; ++i) {
        const PatchCentre patch = GreyPatchCentre(cornerSlots, geometry, i);
        table[static_cast<std::size_t>(i)].measured =
            PickColorsAround(image, patch.centre.x, patch.centre.y, patch.radius);
    }
}

}  // namespace calvix
