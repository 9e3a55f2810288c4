// Where the 264 colour patches of an IT8.7/2 chart sit in the found raster, and the mean colour
// of a patch's sampling square in fractions of a level (the square the grey wedge is read with).
#pragma once

#include "analysis/It8frame.h"
#include "analysis/ScanBitmap.h"

#include <array>
#include <functional>

namespace calvix {

// Row A lies in raster row 1, column 1 in raster column 1: one cell per patch, inside the
// one-cell margin the box leaves around them.
inline constexpr int ColourRasterRowOffset = 1;
inline constexpr int ColourRasterColumnOffset = 1;

// The centre of the cell (raster column, raster row), interpolated between the four corner slots
// so a rotated or sheared box keeps every centre inside its cell; radius as the grey wedge's.
PatchCentre RasterCellCentre(const std::array<Point, 5>& slots, int rasterColumn, int rasterRow);

// Red, green, blue means over the (2r+1)^2 square, each 8-bit value first taken through
// deliver (channel 0..2, value 0..255) when given. Pixels outside the image count as white (255),
// as the grey wedge's sampling counts them.
using DeliveredValue = std::function<double(int channel, int value)>;
std::array<double, 3> MeanColourAround(const ScanBitmap& image, PatchCentre cell, const DeliveredValue& deliver = {});

}  // namespace calvix
