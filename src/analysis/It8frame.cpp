// ChartFrame: the bounding-box search on a helper image (edge probes, the bottom-corner walk,
// line intersections) and the raster geometry derived from four corner slots.
#include "analysis/It8frame.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace calvix {

namespace {

enum class PixelClass { Black, Silver, Other };

// Corner coordinates come from line intersections and can be far outside the image (or the
// parallel-line value 1 000 000). They are clamped to +-2^29 so that the differences the raster
// geometry forms stay inside int; every real image coordinate is far inside that.
constexpr double CoordinateLimit = 536870912.0;

int TruncateCoordinate(double value) {
    if (std::isnan(value)) return -1;
    if (value > CoordinateLimit) return static_cast<int>(CoordinateLimit);
    if (value < -CoordinateLimit) return -static_cast<int>(CoordinateLimit);
    return static_cast<int>(value);  // truncates toward zero
}

struct Ordered {
    Point left;
    Point right;
};

Ordered OrderByX(Point a, Point b) { return a.x <= b.x ? Ordered{a, b} : Ordered{b, a}; }

double Slope(const Ordered& line) {
    return (static_cast<double>(line.right.y) - line.left.y) /
           (static_cast<double>(line.right.x) - line.left.x);
}

// Products are formed before the division, as the raster is defined; 64 bits keep them exact
// for any coordinates a window can hold.
int Portion(int index, int length, int parts) {
    const std::int64_t value = static_cast<std::int64_t>(index) * length / parts;
    return static_cast<int>(value);
}

PixelClass Classify(const ScanBitmap& image, int x, int y) {
    const PackedColour colour = image.Pixel(x, y);
    if (colour == HelperBlack) return PixelClass::Black;
    if (colour == HelperSilver) return PixelClass::Silver;
    return PixelClass::Other;
}

void Mark(ScanBitmap& image, int x, int y) {
    std::uint8_t* pixel = image.Row(y) + 3 * static_cast<std::size_t>(x);
    pixel[2] = 255;
}

}  // namespace

Point ChartFrame::ProbeEdge(int column, int row, EdgeDirection direction, bool measureWidth) {
    if (bitmap_ == nullptr || bitmap_->Empty()) return NotFound;
    ScanBitmap& image = *bitmap_;
    const int width = image.Width();
    const int height = image.Height();

    int x = 0;
    int y = 0;
    int stepX = 0;
    int stepY = 0;
    switch (direction) {
        case EdgeDirection::LeftToRight: x = 0, y = row, stepX = 1; break;
        case EdgeDirection::RightToLeft: x = width - 1, y = row, stepX = -1; break;
        case EdgeDirection::TopToBottom: x = column, y = 0, stepY = 1; break;
        case EdgeDirection::BottomToTop: x = column, y = height - 1, stepY = -1; break;
        default: return NotFound;
    }
    // A row or column outside the image has nothing to probe.
    if (!image.Contains(x, y)) return NotFound;

    const bool horizontal = stepX != 0;
    const int startCoordinate = horizontal ? x : y;
    const int step = horizontal ? stepX : stepY;
    int offset = 0;

    // Advances one pixel; false when the path leaves the image, which ends the probe as not
    // found: the line it looks for is not on this row or column.
    auto advance = [&]() {
        x += stepX;
        y += stepY;
        offset += step;
        return image.Contains(x, y);
    };

    // Phase 1: the start pixel decides whether a dark border comes first.
    const PixelClass first = Classify(image, x, y);
    if (first == PixelClass::Other) return NotFound;
    Mark(image, x, y);
    if (!advance()) return NotFound;

    // Phase 2: the dark scanner background at the image edge.
    if (first == PixelClass::Black) {
        PixelClass cls;
        while ((cls = Classify(image, x, y)) == PixelClass::Black) {
            Mark(image, x, y);
            if (!advance()) return NotFound;
        }
        if (cls != PixelClass::Silver) return NotFound;
    }

    // Phase 3: the margin, up to the outer edge of the line.
    PixelClass cls;
    while ((cls = Classify(image, x, y)) == PixelClass::Silver) {
        Mark(image, x, y);
        if (!advance()) return NotFound;
    }
    if (cls != PixelClass::Black) return NotFound;
    const int start = offset;
    if (!measureWidth) return Point{x, y};

    // Phase 4: across the line to the margin on its inner side.
    while ((cls = Classify(image, x, y)) == PixelClass::Black) {
        Mark(image, x, y);
        if (!advance()) return NotFound;
    }
    if (cls != PixelClass::Silver) return NotFound;
    const int end = offset;

    // Phase 5: the running width places the point on the middle of the line.
    lineWidth_ = (std::abs(end - start) + lineWidth_ + 1) / 2;
    const int half = (lineWidth_ + 1) / 2;
    const int along = startCoordinate + start + (step > 0 ? half : -half);
    return horizontal ? Point{along, row} : Point{column, along};
}

double ChartFrame::IntersectLines(Point a1, Point a2, Point b1, Point b2) {
    const Ordered a = OrderByX(a1, a2);
    if (a.left.x == a.right.x) return a.left.x;
    const Ordered b = OrderByX(b1, b2);
    if (b.left.x == b.right.x) return b.left.x;
    const double slopeA = Slope(a);
    const double slopeB = Slope(b);
    if (slopeB - slopeA == 0.0) return ParallelResult;
    return (slopeB * b.left.x + (static_cast<double>(a.left.y) - b.left.y) - slopeA * a.left.x) /
           (slopeB - slopeA);
}

double ChartFrame::LineYAt(Point p1, Point p2, double x) {
    const Ordered line = OrderByX(p1, p2);
    const double slope = line.left.x == line.right.x ? ParallelResult : Slope(line);
    return slope * (x - line.left.x) + line.left.y;
}

Point ChartFrame::TopCorner(Point sideUpper, Point sideLower) const {
    const Point topLeft = edgePoints_[4];
    const Point topRight = edgePoints_[5];
    const double x = IntersectLines(topLeft, topRight, sideUpper, sideLower);
    const double y = LineYAt(topLeft, topRight, x);
    return Point{TruncateCoordinate(x), TruncateCoordinate(y)};
}

Point ChartFrame::LocateBottomCorner(EdgeDirection direction) {
    if (bitmap_ == nullptr) return NotFound;
    const int lastRow = bitmap_->Height() - 1;
    int previousRow = BottomWalkRow;
    int previousX = ProbeEdge(0, BottomWalkRow, direction, false).x;
    for (int row = BottomWalkRow + 1; row <= lastRow; ++row) {
        const int x = ProbeEdge(0, row, direction, false).x;
        if (std::abs(previousX - x) > MaxEdgeJump) return Point{previousX, previousRow - lineWidth_ / 2};
        previousRow = row;
        previousX = x;
    }
    return NotFound;
}

int ChartFrame::BuildFrame(ScanBitmap& helper) {
    bitmap_ = &helper;
    const int width = helper.Width();
    edgePoints_[0] = ProbeEdge(0, UpperRow, EdgeDirection::LeftToRight, true);
    edgePoints_[1] = ProbeEdge(0, LowerRow, EdgeDirection::LeftToRight, true);
    edgePoints_[2] = ProbeEdge(0, UpperRow, EdgeDirection::RightToLeft, true);
    edgePoints_[3] = ProbeEdge(0, LowerRow, EdgeDirection::RightToLeft, true);
    edgePoints_[4] = ProbeEdge(width / 3, 0, EdgeDirection::TopToBottom, true);
    edgePoints_[5] = ProbeEdge(2 * width / 3, 0, EdgeDirection::TopToBottom, true);

    corners_[TopLeft] = TopCorner(edgePoints_[0], edgePoints_[1]);
    corners_[TopRight] = TopCorner(edgePoints_[2], edgePoints_[3]);
    corners_[BottomLeft] = LocateBottomCorner(EdgeDirection::LeftToRight);
    corners_[BottomRight] = LocateBottomCorner(EdgeDirection::RightToLeft);

    for (const Point& p : corners_) {
        if (p.x < 0 || p.y < 0) return -1;
    }
    return 0;
}

Point ChartFrame::edgePoint(int index) const {
    if (index < 0 || index >= EdgePointCount) return NotFound;
    return edgePoints_[static_cast<std::size_t>(index)];
}

Point ChartFrame::corner(int index) const {
    if (index < 0 || index >= CornerCount) return NotFound;
    return corners_[static_cast<std::size_t>(index)];
}

RasterGeometry RasterGeometry::FromCorners(const std::array<Point, 5>& slots) {
    const Point ur = slots[SlotUpperRight];
    const Point ul = slots[SlotUpperLeft];
    const Point ll = slots[SlotLowerLeft];
    const Point lr = slots[SlotLowerRight];
    RasterGeometry g;
    g.dxTop = ur.x - ul.x;
    g.dxBottom = lr.x - ll.x;
    g.dyLeft = ll.y - ul.y;
    g.dyRight = lr.y - ur.y;
    g.shiftLeft = ul.x - ll.x;
    g.shiftRight = ur.x - lr.x;
    g.riseTop = ur.y - ul.y;
    g.riseBottom = lr.y - ll.y;
    return g;
}

std::array<RasterLine, (RasterColumns + 1) + (RasterRows + 1)> RasterLines(
    const std::array<Point, 5>& slots, const RasterGeometry& g) {
    const Point ur = slots[SlotUpperRight];
    const Point ul = slots[SlotUpperLeft];
    const Point ll = slots[SlotLowerLeft];
    std::array<RasterLine, (RasterColumns + 1) + (RasterRows + 1)> lines{};
    std::size_t n = 0;
    for (int i = 0; i <= RasterColumns; ++i) {
        lines[n++] = {Point{ul.x + Portion(i, g.dxTop, RasterColumns), ul.y + Portion(i, g.riseTop, RasterColumns)},
                      Point{ll.x + Portion(i, g.dxBottom, RasterColumns), ll.y + Portion(i, g.riseBottom, RasterColumns)}};
    }
    for (int j = 0; j <= RasterRows; ++j) {
        lines[n++] = {Point{ul.x - Portion(j, g.shiftLeft, RasterRows), ul.y + Portion(j, g.dyLeft, RasterRows)},
                      Point{ur.x - Portion(j, g.shiftRight, RasterRows), ur.y + Portion(j, g.dyRight, RasterRows)}};
    }
    return lines;
}

PatchCentre GreyPatchCentre(const std::array<Point, 5>& slots, const RasterGeometry& g, int index) {
    if (index < 0 || index >= GreyPatchCount) return PatchCentre{NotFound, 0};
    const Point ll = slots[SlotLowerLeft];
    const int rowHeight = g.dyLeft / RasterRows;
    const int colWidth = g.dxBottom / RasterColumns;
    PatchCentre result;
    result.centre.x = ll.x + Portion(index, g.dxBottom, RasterColumns) + colWidth / 2;
    result.centre.y = ll.y + Portion(index, g.riseBottom, RasterColumns) - rowHeight - rowHeight / 2;
    result.radius = rowHeight / 8;
    return result;
}

}  // namespace calvix
