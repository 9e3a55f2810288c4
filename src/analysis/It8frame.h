// ChartFrame: finds the printed bounding box of an IT8 target in a three-colour helper image by
// probing along fixed rows and columns, and derives the patch raster (24 x 16 cells) from the
// four corners that an image window keeps.
#pragma once

#include "analysis/Point.h"
#include "analysis/ScanBitmap.h"

#include <array>

namespace calvix {

enum class EdgeDirection { LeftToRight = 0, RightToLeft = 1, TopToBottom = 2, BottomToTop = 3 };

// The three pixel values of a helper image; a probe compares whole pixels against them.
inline constexpr PackedColour HelperBlack = MakeColour(0, 0, 0);
inline constexpr PackedColour HelperSilver = MakeColour(192, 192, 192);
inline constexpr PackedColour HelperWhite = MakeColour(255, 255, 255);

class ChartFrame {
public:
    // Fixed probe positions: the target's side lines must cross all three rows at 400 dpi.
    static constexpr int UpperRow = 300;
    static constexpr int LowerRow = 1300;
    static constexpr int BottomWalkRow = 1310;
    // A larger step of the side line's outer edge between two rows means the bottom line ended.
    static constexpr int MaxEdgeJump = 10;
    // What IntersectLines and LineYAt give for lines without a usable slope.
    static constexpr double ParallelResult = 1000000.0;

    ChartFrame() = default;

    // 0 when all four corners have non-negative coordinates, -1 otherwise. Marks the probe
    // tracks into the helper image, which must outlive the frame's use.
    int BuildFrame(ScanBitmap& helper);

    // Probes run on the attached image; BuildFrame attaches its own.
    void Attach(ScanBitmap& helper) { bitmap_ = &helper; }

    Point ProbeEdge(int column, int row, EdgeDirection direction, bool measureWidth);
    Point LocateBottomCorner(EdgeDirection direction);

    static double IntersectLines(Point a1, Point a2, Point b1, Point b2);
    static double LineYAt(Point p1, Point p2, double x);

    Point edgePoint(int index) const;
    Point corner(int index) const;
    int lineWidth() const { return lineWidth_; }

    static constexpr int EdgePointCount = 8;
    static constexpr int CornerCount = 4;
    enum CornerIndex { TopLeft = 0, TopRight = 1, BottomLeft = 2, BottomRight = 3 };

private:
    Point TopCorner(Point sideUpper, Point sideLower) const;

    int lineWidth_ = 0;
    ScanBitmap* bitmap_ = nullptr;
    std::array<Point, EdgePointCount> edgePoints_{};
    std::array<Point, CornerCount> corners_{};
};

// The eight derived integers of an image window's raster, from its corner slots
// (1 upper right, 2 upper left, 3 lower left, 4 lower right; slot 0 unused).
struct RasterGeometry {
    int dxTop = 0;
    int dxBottom = 0;
    int dyLeft = 0;
    int dyRight = 0;
    int shiftLeft = 0;
    int shiftRight = 0;
    int riseTop = 0;
    int riseBottom = 0;

    static RasterGeometry FromCorners(const std::array<Point, 5>& slots);
    friend constexpr bool operator==(const RasterGeometry&, const RasterGeometry&) = default;
};

enum CornerSlot { SlotUpperRight = 1, SlotUpperLeft = 2, SlotLowerLeft = 3, SlotLowerRight = 4 };

inline constexpr int RasterColumns = 24;
inline constexpr int RasterRows = 16;
inline constexpr int GreyPatchCount = 24;

struct RasterLine {
    Point from;
    Point to;
};

// The 25 column lines, then the 17 row lines of the patch raster.
std::array<RasterLine, (RasterColumns + 1) + (RasterRows + 1)> RasterLines(
    const std::array<Point, 5>& slots, const RasterGeometry& geometry);

struct PatchCentre {
    Point centre;
    int radius = 0;
};

// Centre and sampling radius of grey-wedge patch index (0..23) in the second raster row from
// the bottom; an index outside 0..23 gives (-1, -1) with radius 0.
PatchCentre GreyPatchCentre(const std::array<Point, 5>& slots, const RasterGeometry& geometry, int index);

}  // namespace calvix
