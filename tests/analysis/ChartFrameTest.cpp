// Tests of the bounding-box search on hand-made helper images: probe phases and marking, the
// running line width, the bottom-corner walk, line intersections and index guards.
#include "analysis/It8frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace calvix {
namespace {

// One helper pixel per character: K black, S silver, W white.
PackedColour HelperColour(char c) {
    switch (c) {
        case 'K': return HelperBlack;
        case 'S': return HelperSilver;
        default: return HelperWhite;
    }
}

ScanBitmap RowImage(const std::string& row) {
    ScanBitmap image(static_cast<int>(row.size()), 1);
    for (int x = 0; x < image.Width(); ++x) image.SetPixel(x, 0, HelperColour(row[static_cast<std::size_t>(x)]));
    return image;
}

ScanBitmap ColumnImage(const std::string& column) {
    ScanBitmap image(1, static_cast<int>(column.size()));
    for (int y = 0; y < image.Height(); ++y) image.SetPixel(0, y, HelperColour(column[static_cast<std::size_t>(y)]));
    return image;
}

std::string Reversed(std::string s) { return {s.rbegin(), s.rend()}; }

struct ProbeCase {
    const char* name;
    std::string pixels;  // seen from the probe's start
    bool measureWidth;
    int expectedOffset;  // position along the path from the start pixel, -1 not found
    int expectedWidth;
};

class ProbePhases : public ::testing::TestWithParam<ProbeCase> {};

// Each case runs in all four directions: the path is laid out so that the probe meets the
// same pixels in the same order.
TEST_P(ProbePhases, FindsTheLineOrNothingInEveryDirection) {
    const ProbeCase& c = GetParam();
    const int n = static_cast<int>(c.pixels.size());
    struct Direction {
        EdgeDirection direction;
        bool horizontal;
        bool reversed;
    };
    for (const Direction d : {Direction{EdgeDirection::LeftToRight, true, false},
                              Direction{EdgeDirection::RightToLeft, true, true},
                              Direction{EdgeDirection::TopToBottom, false, false},
                              Direction{EdgeDirection::BottomToTop, false, true}}) {
        const std::string laid = d.reversed ? Reversed(c.pixels) : c.pixels;
        ScanBitmap image = d.horizontal ? RowImage(laid) : ColumnImage(laid);
        ChartFrame frame;
        frame.Attach(image);
        const Point p = frame.ProbeEdge(0, 0, d.direction, c.measureWidth);
        SCOPED_TRACE(std::string(c.name) + " direction " + std::to_string(static_cast<int>(d.direction)));
        if (c.expectedOffset < 0) {
            EXPECT_EQ(p, NotFound);
            EXPECT_EQ(frame.lineWidth(), 0);
            continue;
        }
        const int along = d.reversed ? n - 1 - c.expectedOffset : c.expectedOffset;
        EXPECT_EQ(p, (d.horizontal ? Point{along, 0} : Point{0, along}));
        EXPECT_EQ(frame.lineWidth(), c.expectedWidth);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Phases, ProbePhases,
    ::testing::Values(
        ProbeCase{"white start", "WSSSKKKKKSS", true, -1, 0},
        ProbeCase{"dark border skipped", "KKKSSSKKKKKSS", true, 6 + 2, 3},
        ProbeCase{"silver start", "SSSSKKKKKSSS", true, 4 + 2, 3},
        ProbeCase{"outer edge without width", "KKSSSKKKKKSS", false, 5, 0},
        ProbeCase{"border then white", "KKWSSKKKSS", true, -1, 0},
        ProbeCase{"line then white", "KKSSSKKKKKWW", true, -1, 0},
        ProbeCase{"margin then white", "SSSWKKKSS", false, -1, 0},
        ProbeCase{"silver to the border", "KKSSSSSSSS", false, -1, 0},
        ProbeCase{"line to the border", "SSSKKKKK", true, -1, 0},
        ProbeCase{"dark to the border", "KKKKKKKK", true, -1, 0},
        ProbeCase{"one-pixel image", "S", true, -1, 0},
        ProbeCase{"one-pixel line", "SSKSS", true, 2 + 1, 1}),
    [](const ::testing::TestParamInfo<ProbeCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name) if (ch == ' ' || ch == '-') ch = '_';
        return name;
    });

TEST(ProbeEdge, MarksEveryPassedPixelButNotWhereItStops) {
    ScanBitmap image = RowImage("KKSSKKKKKSSS");
    ChartFrame frame;
    frame.Attach(image);
    ASSERT_EQ(frame.ProbeEdge(0, 0, EdgeDirection::LeftToRight, true).x, 4 + 2);
    for (int x = 0; x < 9; ++x) EXPECT_EQ(RedOf(image.Pixel(x, 0)), 255) << x;
    EXPECT_EQ(image.Pixel(0, 0), MakeColour(255, 0, 0));
    EXPECT_EQ(image.Pixel(2, 0), MakeColour(255, 192, 192));
    EXPECT_EQ(image.Pixel(9, 0), HelperSilver);  // the stop pixel of the width phase
    // A marked start pixel counts as other: the same probe again finds nothing.
    EXPECT_EQ(frame.ProbeEdge(0, 0, EdgeDirection::LeftToRight, true), NotFound);
}

TEST(ProbeEdge, RunningWidthThreeThenFourThenFive) {
    ScanBitmap image(14, 3);
    for (int y = 0; y < 3; ++y) {
        const std::string row = "KKSSSKKKKKSSSS";
        for (int x = 0; x < 14; ++x) image.SetPixel(x, y, HelperColour(row[static_cast<std::size_t>(x)]));
    }
    ChartFrame frame;
    frame.Attach(image);
    EXPECT_EQ(frame.ProbeEdge(0, 0, EdgeDirection::LeftToRight, true), (Point{5 + 2, 0}));
    EXPECT_EQ(frame.lineWidth(), 3);  // (5 + 0 + 1) / 2
    EXPECT_EQ(frame.ProbeEdge(0, 1, EdgeDirection::LeftToRight, true), (Point{5 + 2, 1}));
    EXPECT_EQ(frame.lineWidth(), 4);  // (5 + 3 + 1) / 2
    EXPECT_EQ(frame.ProbeEdge(0, 2, EdgeDirection::LeftToRight, true), (Point{5 + 3, 2}));
    EXPECT_EQ(frame.lineWidth(), 5);
}

TEST(ProbeEdge, RowsAndColumnsOutsideTheImageAreNotFound) {
    ScanBitmap image = RowImage("KSSKKSS");
    ChartFrame frame;
    EXPECT_EQ(frame.ProbeEdge(0, 0, EdgeDirection::LeftToRight, false), NotFound);  // nothing attached
    frame.Attach(image);
    for (const auto& [column, row, direction] : std::vector<std::tuple<int, int, EdgeDirection>>{
             {0, 1, EdgeDirection::LeftToRight}, {0, -1, EdgeDirection::RightToLeft},
             {7, 0, EdgeDirection::TopToBottom}, {-1, 0, EdgeDirection::BottomToTop},
             {0, 300, EdgeDirection::LeftToRight}, {0, 0, static_cast<EdgeDirection>(7)}}) {
        EXPECT_EQ(frame.ProbeEdge(column, row, direction, true), NotFound);
    }
    EXPECT_EQ(image, RowImage("KSSKKSS"));  // nothing marked by a probe that could not start
}

// A tall narrow helper image: dark border, margin, a side line whose outer edge is given per
// row; the walk below row 1310 reads only these.
ScanBitmap WalkImage(int height, const std::vector<std::pair<int, int>>& edgeFromRow) {
    const int width = 120;
    ScanBitmap image(width, height);
    for (int y = 0; y < height; ++y) {
        int edge = -1;
        for (const auto& [row, x] : edgeFromRow) {
            if (y >= row) edge = x;
        }
        for (int x = 0; x < width; ++x) {
            const bool border = x < 3;
            const bool line = edge >= 0 && x >= edge && x < edge + 5;
            image.SetPixel(x, y, border || line ? HelperBlack : HelperSilver);
        }
    }
    return image;
}

struct WalkCase {
    const char* name;
    std::vector<std::pair<int, int>> edges;
    Point expected;
};

class BottomWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(BottomWalk, EndsAtTheFirstJumpAboveTenPixels) {
    ScanBitmap image = WalkImage(1340, GetParam().edges);
    ChartFrame frame;
    frame.Attach(image);
    EXPECT_EQ(frame.LocateBottomCorner(EdgeDirection::LeftToRight), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Jumps, BottomWalk,
    ::testing::Values(
        // A jump of exactly 10 goes on; 11 ends at the last row before it.
        WalkCase{"ten_then_eleven", {{0, 40}, {1316, 50}, {1320, 61}}, Point{50, 1319}},
        WalkCase{"eleven_at_once", {{0, 40}, {1312, 51}}, Point{40, 1311}},
        // The line stops: the probe runs to the border (x = -1), which is a jump too.
        WalkCase{"line_ends", {{0, 40}, {1325, -1}}, Point{40, 1324}},
        WalkCase{"never_jumps", {{0, 40}, {1320, 45}}, NotFound},
        WalkCase{"no_line_at_all", {{0, -1}}, NotFound}),
    [](const ::testing::TestParamInfo<WalkCase>& info) { return std::string(info.param.name); });

TEST(BottomWalk, CornerMovesUpByHalfTheRunningWidth) {
    ScanBitmap image = WalkImage(1340, {{0, 40}, {1318, -1}});
    ChartFrame frame;
    frame.Attach(image);
    ASSERT_NE(frame.ProbeEdge(0, 5, EdgeDirection::LeftToRight, true), NotFound);  // width 3
    ASSERT_NE(frame.ProbeEdge(0, 6, EdgeDirection::LeftToRight, true), NotFound);  // width 4
    EXPECT_EQ(frame.LocateBottomCorner(EdgeDirection::LeftToRight), (Point{40, 1317 - 2}));
}

TEST(BottomWalk, ShortImageHasNoBottomCorner) {
    ScanBitmap image = WalkImage(1000, {{0, 40}});
    ChartFrame frame;
    frame.Attach(image);
    EXPECT_EQ(frame.LocateBottomCorner(EdgeDirection::RightToLeft), NotFound);
    EXPECT_EQ(frame.BuildFrame(image), -1);
}

struct IntersectCase {
    const char* name;
    Point a1, a2, b1, b2;
    double expectedX;
};

class Intersections : public ::testing::TestWithParam<IntersectCase> {};

TEST_P(Intersections, GiveTheCrossingX) {
    const IntersectCase& c = GetParam();
    EXPECT_DOUBLE_EQ(ChartFrame::IntersectLines(c.a1, c.a2, c.b1, c.b2), c.expectedX);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Intersections,
    ::testing::Values(
        IntersectCase{"vertical_side_exact", {777, 98}, {1554, 101}, {167, 300}, {167, 1300}, 167.0},
        IntersectCase{"vertical_first_line", {50, 0}, {50, 10}, {0, 0}, {10, 10}, 50.0},
        IntersectCase{"parallel", {0, 0}, {10, 10}, {0, 5}, {20, 25}, 1000000.0},
        IntersectCase{"both_horizontal", {0, 100}, {10, 100}, {0, 5}, {20, 5}, 1000000.0},
        IntersectCase{"not_found_points", {-1, -1}, {-1, -1}, {100, 300}, {101, 1300}, -1.0},
        IntersectCase{"crossing", {0, 0}, {10, 10}, {0, 10}, {10, 0}, 5.0},
        IntersectCase{"order_of_points", {10, 10}, {0, 0}, {10, 0}, {0, 10}, 5.0}),
    [](const ::testing::TestParamInfo<IntersectCase>& info) { return std::string(info.param.name); });

TEST(LineYAt, SlopedVerticalAndReversedLines) {
    EXPECT_DOUBLE_EQ(ChartFrame::LineYAt({0, 100}, {1000, 110}, 500.0), 105.0);
    EXPECT_DOUBLE_EQ(ChartFrame::LineYAt({1000, 110}, {0, 100}, 500.0), 105.0);
    EXPECT_DOUBLE_EQ(ChartFrame::LineYAt({5, 7}, {5, 20}, 6.0), 1000000.0 + 7.0);
}

TEST(ChartFrame, IndicesOutsideTheSlotsGiveNotFound) {
    ChartFrame frame;
    for (int i = 0; i < ChartFrame::EdgePointCount; ++i) EXPECT_EQ(frame.edgePoint(i), (Point{0, 0}));
    for (int i = 0; i < ChartFrame::CornerCount; ++i) EXPECT_EQ(frame.corner(i), (Point{0, 0}));
    for (int i : {-1, 8, 1000, -2147483647 - 1}) EXPECT_EQ(frame.edgePoint(i), NotFound) << i;
    for (int i : {-1, 4, 2147483647}) EXPECT_EQ(frame.corner(i), NotFound) << i;
}

// A clean box drawn straight into a helper image. The running width (3, 4, then 5) puts the
// later probes one pixel inward of the middle; the bottom corners take the outer edge in x.
TEST(BuildFrame, FindsTheCornersOfAnUprightBox) {
    ScanBitmap image(900, 1500);
    const int left = 100, right = 800, top = 50, bottom = 1400;  // line middles, width 5
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            const bool page = x < 40 || x >= 860 || y < 10 || y >= 1460;
            const bool inBox = x >= left - 2 && x <= right + 2 && y >= top - 2 && y <= bottom + 2;
            const bool line = inBox && (x <= left + 2 || x >= right - 2 || y <= top + 2 || y >= bottom - 2);
            image.SetPixel(x, y, page || line ? HelperBlack : HelperSilver);
        }
    }
    ChartFrame frame;
    ASSERT_EQ(frame.BuildFrame(image), 0);
    EXPECT_EQ(frame.lineWidth(), 5);
    EXPECT_EQ(frame.edgePoint(0), (Point{left, 300}));
    EXPECT_EQ(frame.edgePoint(1), (Point{left, 1300}));
    EXPECT_EQ(frame.edgePoint(3), (Point{right - 1, 1300}));
    EXPECT_EQ(frame.edgePoint(4), (Point{300, top + 1}));
    EXPECT_EQ(frame.edgePoint(5), (Point{600, top + 1}));
    EXPECT_EQ(frame.edgePoint(6), (Point{0, 0}));
    EXPECT_EQ(frame.corner(ChartFrame::TopLeft), (Point{left, top + 1}));
    EXPECT_EQ(frame.corner(ChartFrame::TopRight), (Point{right - 1, top + 1}));
    EXPECT_EQ(frame.corner(ChartFrame::BottomLeft), (Point{left - 2, bottom}));
    EXPECT_EQ(frame.corner(ChartFrame::BottomRight), (Point{right + 2, bottom}));
    // The downward probes start on the first row: their tracks begin there.
    for (int x : {300, 600}) EXPECT_EQ(image.Pixel(x, 0), MakeColour(255, 0, 0)) << x;
}

}  // namespace
}  // namespace calvix
