// Uniformity of a scan of a blank sheet: how far the local mean luminance strays from the page's
// mean over a grid of small cells, and the light lost at the corners and edge midpoints against
// the centre (the fall-off), each read on a square of one cell.
#pragma once

#include "analysis/ScanBitmap.h"
#include "quality/PixelDecoder.h"

#include <array>
#include <string>

namespace calvix::quality {

struct UniformityOptions {
    double ppi = 400.0;
    // Cells of 2 mm (31 px at 400 ppi) keep the outermost squares close to the page's corners,
    // where the fall-off is defined: their centres lie 23 px in, which at a 6 % corner loss of a
    // cos^4 field costs about 0.2 percentage points.
    double cellMm = 2.0;
    // A 0.5 mm frame (8 px) is left out: a real scan's outermost rows carry the page's edge.
    double borderMm = 0.5;
    // The chart scan's size in pixels: a page of another size (another scan area, a sheet fed
    // turned) was not scanned as the chart was. 0: not checked.
    int chartWidth = 0;
    int chartHeight = 0;
};

struct UniformityFigures {
    int cellPixels = 0;
    int borderPixels = 0;
    int columns = 0;
    int rows = 0;
    // Luminance is Y / Yn through the decoder, of a cell's mean colour: over one cell of a blank
    // page the levels spread by a few at most, where Y of the mean and the mean of Y agree far
    // below the figures' precision.
    double pageMeanY = 0.0;
    // Largest |cell Y - page mean| / page mean, percent, signed as found, and its cell (grid
    // column and row from the top-left, and the cell's centre in pixels).
    double maxDeviationPercent = 0.0;
    int worstColumn = 0;
    int worstRow = 0;
    double worstX = 0.0;
    double worstY = 0.0;
    // Light lost against the square at the image's centre, percent: the four corner squares
    // (top-left, top-right, bottom-left, bottom-right) inside the border, their mean, and the
    // means of the left/right and of the top/bottom edge midpoints. Never negative: a square
    // lighter than the centre, within the blank page's tolerance, has lost none.
    std::array<double, 4> cornerLossPercent{};
    double meanCornerLossPercent = 0.0;
    double edgeLossXPercent = 0.0;
    double edgeLossYPercent = 0.0;
};

// False with the reason when the page is too small for the grid, a square decodes to black, the
// page lies at the clip, is not the chart scan's size, or is not blank: neighbouring cells differ
// by more than 5 % of the page's mean, or a corner or edge square is lighter than the centre by
// more than that.
bool MeasureUniformity(const ScanBitmap& page, const PixelDecoder& decode, const UniformityOptions& options,
                       UniformityFigures* figures, std::string* error);

}  // namespace calvix::quality
