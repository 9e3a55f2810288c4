// Uniformity: square means of the raw levels, decoded once per square. A page whose levels sit at
// the ends of the 8-bit range is refused rather than measured: a sheet brighter than the white a
// calibrated scanner's tables reach reads 255 all over, and its fall-off vanishes into the clip.
// So is a page that is not blank, or not scanned as the chart was: its figures would describe the
// sheet, not the light.
#include "quality/Uniformity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace calvix::quality {

namespace {

// Pixels with a channel at 0 or 255 allowed: noise around a level near a clip reaches it now and
// then without moving the mean; beyond that share the page itself lies at the clip.
constexpr double kMaxClippedShare = 0.01;

// Y / Yn of the mean colour of the square of side `size` whose top-left pixel is (left, top);
// clipped, when given, counts the square's pixels with a channel at 0 or 255.
double SquareLuminance(const ScanBitmap& page, const PixelDecoder& decode, int left, int top, int size,
                       long* clipped = nullptr) {
    std::array<double, 3> sum{};
    long atClip = 0;
    for (int y = top; y < top + size; ++y) {
        const std::uint8_t* pixel = page.Row(y) + 3 * static_cast<std::size_t>(left);
        for (int x = 0; x < size; ++x, pixel += 3) {
            sum[0] += pixel[2];
            sum[1] += pixel[1];
            sum[2] += pixel[0];
            atClip += (pixel[0] == 0 || pixel[0] == 255 || pixel[1] == 0 || pixel[1] == 255 || pixel[2] == 0 || pixel[2] == 255);
        }
    }
    if (clipped != nullptr) *clipped += atClip;
    const double n = static_cast<double>(size) * size;
    return RelativeLuminance(decode(sum[0] / n, sum[1] / n, sum[2] / n));
}

// How far a blank page may stray from a smooth field that darkens away from its centre, in percent
// of its mean: neighbouring cells differ by at most this, and no square is lighter than the centre
// by more. The strongest fall-off a lamp leaves (half the light lost at the corners) changes by
// about 1.2 % from one 2 mm cell to the next, paper and noise by a few tenths; a mark, a printed
// square or a sheet's edge changes by its whole contrast.
constexpr double kBlankTolerancePercent = 5.0;

double LossPercent(double y, double centre) { return 100.0 * (1.0 - y / centre); }

// Share of pixels at the clip, rounded up to a tenth, so that a share above the limit never
// prints as the limit itself.
double ClippedSharePercent(long clipped, double pixels) { return std::ceil(1000.0 * clipped / pixels) / 10.0; }

}  // namespace

bool MeasureUniformity(const ScanBitmap& page, const PixelDecoder& decode, const UniformityOptions& options,
                       UniformityFigures* figures, std::string* error) {
    if (!decode) {
        *error = "no pixel decoder for the uniformity";
        return false;
    }
    if (!(options.ppi > 0.0) || !(options.cellMm > 0.0) || !(options.borderMm >= 0.0)) {
        *error = "uniformity needs a positive rate and cell size and a border of at least 0";
        return false;
    }
    UniformityFigures result;
    result.cellPixels = static_cast<int>(std::lround(options.cellMm / 25.4 * options.ppi));
    result.borderPixels = static_cast<int>(std::lround(options.borderMm / 25.4 * options.ppi));
    const int cell = result.cellPixels, border = result.borderPixels;
    if (cell < 1) {
        *error = "uniformity cell is smaller than a pixel";
        return false;
    }
    if (options.chartWidth > 0 && (page.Width() != options.chartWidth || page.Height() != options.chartHeight)) {
        char text[200];
        std::snprintf(text, sizeof text, "the blank page is %d x %d pixels, the chart's scan %d x %d: scan the blank sheet "
                      "as the chart was scanned", page.Width(), page.Height(), options.chartWidth, options.chartHeight);
        *error = text;
        return false;
    }
    result.columns = (page.Width() - 2 * border) / cell;
    result.rows = (page.Height() - 2 * border) / cell;
    if (result.columns < 3 || result.rows < 3) {
        *error = "the page is too small for a 3 x 3 grid of uniformity cells";
        return false;
    }

    const int cx = (page.Width() - cell) / 2, cy = (page.Height() - cell) / 2;
    const int right = page.Width() - border - cell, bottom = page.Height() - border - cell;
    const double centre = SquareLuminance(page, decode, cx, cy, cell);
    if (!(centre > 0.0)) {
        *error = "the centre of the blank page decodes to black";
        return false;
    }
    std::vector<double> luminance(static_cast<std::size_t>(result.columns) * static_cast<std::size_t>(result.rows));
    double sum = 0.0;
    long clipped = 0;
    for (int row = 0; row < result.rows; ++row)
        for (int column = 0; column < result.columns; ++column) {
            const double y = SquareLuminance(page, decode, border + column * cell, border + row * cell, cell, &clipped);
            luminance[static_cast<std::size_t>(row) * static_cast<std::size_t>(result.columns) + static_cast<std::size_t>(column)] = y;
            sum += y;
        }
    const double pixels = static_cast<double>(luminance.size()) * cell * cell;
    if (clipped > kMaxClippedShare * pixels) {
        char text[240];
        std::snprintf(text, sizeof text,
                      "the blank page lies at the scanner's clip (%.1f %% of its pixels at 0 or 255 in a channel), "
                      "so its fall-off cannot be seen: scan a sheet a little darker than the white the tables reach, "
                      "such as light grey card", ClippedSharePercent(clipped, pixels));
        *error = text;
        return false;
    }
    result.pageMeanY = sum / static_cast<double>(luminance.size());
    auto cellY = [&](int column, int row) {
        return luminance[static_cast<std::size_t>(row) * static_cast<std::size_t>(result.columns) + static_cast<std::size_t>(column)];
    };
    for (int row = 0; row < result.rows; ++row)
        for (int column = 0; column < result.columns; ++column) {
            const double y = cellY(column, row);
            const double step = 100.0 * std::max(column > 0 ? std::abs(y - cellY(column - 1, row)) : 0.0,
                                                 row > 0 ? std::abs(y - cellY(column, row - 1)) : 0.0) / result.pageMeanY;
            if (step <= kBlankTolerancePercent) continue;
            char text[280];
            std::snprintf(text, sizeof text, "the blank page is not blank: the cell at %.0f, %.0f px differs from its "
                          "neighbour by %.1f %% of the page's mean, a blank sheet's light by at most %.0f %%",
                          border + column * cell + (cell - 1) / 2.0, border + row * cell + (cell - 1) / 2.0, step,
                          kBlankTolerancePercent);
            *error = text;
            return false;
        }

    // Corners top-left, top-right, bottom-left, bottom-right, then the left, right, top and bottom
    // edge midpoints. Within the tolerance a square lighter than the centre has lost no light.
    const std::array<std::array<int, 2>, 8> squares{
        {{border, border}, {right, border}, {border, bottom}, {right, bottom}, {border, cy}, {right, cy}, {cx, border}, {cx, bottom}}};
    static const char* const kSquareNames[] = {"top-left corner", "top-right corner", "bottom-left corner", "bottom-right corner",
                                               "left edge",       "right edge",       "top edge",           "bottom edge"};
    std::array<double, 8> loss{};
    for (std::size_t i = 0; i < squares.size(); ++i) {
        const double measured = LossPercent(SquareLuminance(page, decode, squares[i][0], squares[i][1], cell), centre);
        if (measured < -kBlankTolerancePercent) {
            char text[200];
            std::snprintf(text, sizeof text, "the blank page is not blank: its %s is %.1f %% lighter than its centre, a "
                          "blank sheet's at most %.0f %%", kSquareNames[i], -measured, kBlankTolerancePercent);
            *error = text;
            return false;
        }
        loss[i] = std::max(0.0, measured);
    }
    for (std::size_t i = 0; i < 4; ++i) {
        result.cornerLossPercent[i] = loss[i];
        result.meanCornerLossPercent += loss[i] / 4.0;
    }
    result.edgeLossXPercent = (loss[4] + loss[5]) / 2.0;
    result.edgeLossYPercent = (loss[6] + loss[7]) / 2.0;
    for (int row = 0; row < result.rows; ++row)
        for (int column = 0; column < result.columns; ++column) {
            const double y = cellY(column, row);
            const double deviation = 100.0 * (y - result.pageMeanY) / result.pageMeanY;
            if (std::abs(deviation) <= std::abs(result.maxDeviationPercent)) continue;
            result.maxDeviationPercent = deviation;
            result.worstColumn = column;
            result.worstRow = row;
            result.worstX = border + column * cell + (cell - 1) / 2.0;
            result.worstY = border + row * cell + (cell - 1) / 2.0;
        }
    *figures = result;
    return true;
}

}  // namespace calvix::quality
