// The graph window's core: layout in both scaling modes, the frame and diagonal, the sample
// markers, the curves, and the popup menu's log lines.
#include "views/graph.h"

#include "DrawListQueries.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

namespace calvix {
namespace {

constexpr double ScaleTolerance = 1e-12;

using test::All;

class GraphTest : public ::testing::Test {
protected:
    GraphTest() {
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < ChannelTableEntries; ++i)
                curves[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i / 4 + 10 * c) % 256);
    }
    ChannelTables curves{};
    GreyPatchTable samples{};
};

TEST_F(GraphTest, LayoutInBothScalingModes) {
    struct Case {
        int clientWidth;
        int plotLeft;
        bool fit;
        int plotWidth;
        double scale;
    };
    const Case cases[] = {
        {700, 30, false, 1024, 1.0},
        {700, 30, true, 640, 1.6},
        {1084, 30, true, 1024, 1.0},
        {572, 30, true, 512, 2.0},
        {512, 0, true, 512, 2.0},
        {50, 30, true, 1, 1024.0},  // narrower than both margins: one pixel, never zero or less
    };
    for (const Case& c : cases) {
        TGraphix graph({curves, samples}, c.clientWidth, 300, c.plotLeft);
        if (!c.fit) graph.PupMenuGraph121Click();
        EXPECT_EQ(graph.PaintBoxRightWidth(), c.plotLeft);
        EXPECT_EQ(graph.PlotWidth(), c.plotWidth) << c.clientWidth << (c.fit ? " fit" : " 1:1");
        EXPECT_NEAR(graph.Scale(), c.scale, ScaleTolerance);
    }
    TGraphix graph({curves, samples}, 700, 300, 30);
    graph.SetLabelXRWidth(25);
    EXPECT_EQ(graph.LabelXRLeft(), 30 + 640 - 12);
    graph.FormResize(800, 300);
    EXPECT_EQ(graph.PlotWidth(), 740);
    EXPECT_EQ(graph.LabelXRLeft(), 30 + 740 - 12);
}

TEST_F(GraphTest, FrameAndDiagonalSpanThePlot) {
    // Plot widths 1000, 372 and 99; for the last two a real s gives 1024 / s just below PW.
    for (const int clientWidth : {1060, 432, 159}) {
        TGraphix graph({curves, samples}, clientWidth, 300, 30);
        graph.Draw();
        const int pw = clientWidth - 60;
        const auto polylines = All<PolylineCommand>(graph.Picture());
        ASSERT_EQ(polylines.size(), 4u);
        EXPECT_EQ(polylines[0].points, (std::vector<Point>{{0, 255}, {pw - 1, 255}, {pw - 1, 0}, {0, 0}, {0, 255}}))
            << "PW " << pw;
        EXPECT_EQ(polylines[0].stroke, (Stroke{MakeColour(128, 128, 128), 1, StrokeMode::Copy}));
        const auto lines = All<LineCommand>(graph.Picture());
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].from, (Point{0, 256}));
        EXPECT_EQ(lines[0].to, (Point{pw, 1})) << "PW " << pw;
    }
}

TEST_F(GraphTest, SampleMarkedAtFourTimesItsMeasureOverScale) {
    // Entry 5 measured 100 / reference 120 in red; other channels and entries elsewhere.
    samples[5].measured = MakeColour(100, 50, 0);
    samples[5].reference = MakeColour(120, 60, 255);
    struct Case {
        int clientWidth;
        bool fit;
        int x;
    };
    const Case cases[] = {{700, false, 400}, {572, true, 200}, {1060, true, 390}};  // 400 / 1.024 = 390.6
    for (const Case& c : cases) {
        TGraphix graph({curves, samples}, c.clientWidth, 300, 30);
        if (!c.fit) graph.PupMenuGraph121Click();
        graph.Draw();
        const auto markers = All<MarkerCommand>(graph.Picture());
        ASSERT_EQ(markers.size(), 72u);
        // Red first, entries from 23 down: entry 5 is the 19th marker.
        const MarkerCommand& red = markers[18];
        EXPECT_EQ(red.centre, (Point{c.x, 135})) << c.clientWidth;
        EXPECT_EQ(red.halfSize, 2);
        EXPECT_EQ(red.stroke, (Stroke{MakeColour(255, 0, 0), 1, StrokeMode::Copy}));
        EXPECT_EQ(markers[24 + 18].centre.y, 255 - 60);
        EXPECT_EQ(markers[24 + 18].stroke.colour, MakeColour(0, 128, 0));
        EXPECT_EQ(markers[48 + 18].centre, (Point{0, 0}));
        EXPECT_EQ(markers[48 + 18].stroke.colour, MakeColour(0, 0, 255));
        EXPECT_EQ(markers[0].centre, (Point{0, 255}));  // entry 23, all zero
    }
}

TEST_F(GraphTest, CurvesStartAtTheBottomLeftAndFollowTheTables) {
    TGraphix graph({curves, samples}, 572, 300, 30);  // s = 2
    graph.Draw();
    const auto polylines = All<PolylineCommand>(graph.Picture());
    ASSERT_EQ(polylines.size(), 4u);
    for (int c = 0; c < 3; ++c) {
        const PolylineCommand& curve = polylines[static_cast<std::size_t>(c + 1)];
        ASSERT_EQ(curve.points.size(), 1025u);
        EXPECT_EQ(curve.stroke.colour, TGraphix::ChannelColours[c]);
        EXPECT_EQ(curve.points[0], (Point{0, 256}));
        EXPECT_EQ(curve.points[1], (Point{0, 256 - 10 * c}));
        EXPECT_EQ(curve.points[1 + 801], (Point{400, 256 - (200 + 10 * c)}));
        EXPECT_EQ(curve.points[1024], (Point{511, 256 - (255 + 10 * c) % 256}));
    }
}

TEST_F(GraphTest, PopupMenuLogsItsHandlerAndSwitchesTheMode) {
    test::LogCapture log;
    TGraphix graph({curves, samples}, 700, 300, 30);
    EXPECT_EQ(graph.Scaling(), GraphScaling::FitWindow);
    graph.PupMenuGraph121Click();
    EXPECT_EQ(graph.Scaling(), GraphScaling::OneToOne);
    EXPECT_FALSE(graph.Picture().empty());
    graph.PupMenGraphFitWinClick();
    EXPECT_EQ(graph.Scaling(), GraphScaling::FitWindow);
    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("DBG: call to 'TGraphix::PupMenuGraph121Click()'  ( file graph, line ", 0), 0u);
    EXPECT_EQ(lines[1].rfind("DBG: call to 'TGraphix::PupMenGraphFitWinClick()'  ( file graph, line ", 0), 0u);
}

}  // namespace
}  // namespace calvix
