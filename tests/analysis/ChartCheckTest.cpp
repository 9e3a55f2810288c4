// Tests of the automatic chart check on rendered Q71 scans: clean sides at several positions,
// rotations, distorted boxes, coloured wedge patches, the failure path, and the log lines.
#include "analysis/ChartCheck.h"

#include "ChartRenderer.h"
#include "ChartTestRig.h"
#include "TestData.h"
#include "analysis/BmpReader.h"
#include "it8ref/It8Ref.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace calvix {
namespace {

using test::ChartRig;

// Two sensors as different as a real duplex scanner's sides are.
ToneResponse FrontTone() {
    ToneResponse tone;
    tone.channel = {ChannelResponse{0.95, 0.02, 1.1}, ChannelResponse{1.0, 0.01, 1.0}, ChannelResponse{0.9, 0.03, 1.2}};
    return tone;
}
ToneResponse RearTone() {
    ToneResponse tone;
    tone.channel = {ChannelResponse{1.05, 0.0, 0.9}, ChannelResponse{0.92, 0.02, 1.05}, ChannelResponse{1.0, 0.015, 0.95}};
    return tone;
}

const ChartColours& Colours() {
    static const ChartColours colours = [] {
        TIT8Ref reference;
        if (reference.LoadFile(std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt") == 0) {
            return ChartColoursFromReference(reference);
        }
        return SyntheticChartColours();
    }();
    return colours;
}

RenderOptions ShortPage() {
    RenderOptions options;
    options.pageHeight = 1700;  // the chart sits at the top; the rest of A5 adds only time
    return options;
}

// The corner tolerance: the bottom corners take the outer edge of the side line, half the
// line width away from its middle.
constexpr double CornerTolerance = 2.0;

void ExpectCornersNear(const TChildImage& window, const RenderedChart& chart) {
    const int slotOf[4] = {SlotUpperLeft, SlotUpperRight, SlotLowerLeft, SlotLowerRight};
    for (int i = 0; i < 4; ++i) {
        const Point p = window.cornerSlots[static_cast<std::size_t>(slotOf[i])];
        EXPECT_LE(std::abs(p.x - chart.corners[static_cast<std::size_t>(i)][0]), CornerTolerance) << "corner " << i;
        EXPECT_LE(std::abs(p.y - chart.corners[static_cast<std::size_t>(i)][1]), CornerTolerance) << "corner " << i;
    }
}

struct PlacementCase {
    const char* name;
    int shiftX;
    int shiftY;
    bool front;
    double noise;
};

class CleanSides : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(CleanSides, PassWithCornersOnTheBoxLine) {
    const PlacementCase& c = GetParam();
    RenderOptions options;  // the full A5 page
    options.shiftX = c.shiftX;
    options.shiftY = c.shiftY;
    options.tone = c.front ? FrontTone() : RearTone();
    options.noiseSigma = c.noise;
    const RenderedChart chart = RenderChart(Colours(), options);

    ChartRig rig;
    if (!c.front) rig.AddScan(chart.image, true);  // the front scan stays untouched
    TChildImage& scan = rig.AddScan(chart.image, c.front);
    EXPECT_EQ(rig.analysis.CheckIt8Scan(&scan, c.front), 0);
    ExpectCornersNear(scan, chart);
    EXPECT_TRUE(scan.cornersValid);
    EXPECT_EQ(rig.windows.ChildImage(), &scan);
    EXPECT_TRUE(rig.desktop.messages.empty());
    EXPECT_TRUE(test::FileExists(rig.dir.File(c.front ? "Help_front.bmp" : "Help_rear.bmp")));

    // The samples are the rendered greys as the bypassed scanner delivers them.
    for (int i = 0; i < GreyPatchCount; ++i) {
        const PatchSample s = GreyPatches()[static_cast<std::size_t>(i)].measured;
        const auto& raw = chart.greyRaw[static_cast<std::size_t>(i)];
        EXPECT_NEAR(RedOf(s), raw[0] / 4, 1) << i;
        EXPECT_NEAR(GreenOf(s), raw[1] / 4, 1) << i;
        EXPECT_NEAR(BlueOf(s), raw[2] / 4, 1) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Placements, CleanSides,
    ::testing::Values(PlacementCase{"front_centred", 0, 0, true, 0.0},
                      PlacementCase{"rear_centred", 0, 0, false, 0.0},
                      PlacementCase{"front_left_high", -120, -40, true, 2.0},
                      PlacementCase{"rear_right_low", 130, 120, false, 2.0},
                      PlacementCase{"front_far_right", 150, 60, true, 0.0}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

// Measured on these renders: the check passes up to 5.65 degrees either way and fails from
// 5.70 on. There the bottom line moves by less than 11 pixels per row (tan 5.7 deg = 1/10), so
// one of the corner walks follows it instead of stopping at the corner. Up to 5.25 degrees the
// corners stay within 8 pixels of the line's corner (the walk ends on a stair step of the
// rotated line); at 5.5 degrees they are 15 pixels off, at 5.65 degrees 33.
constexpr double RotatedCornerTolerance = 8.0;

class Rotations : public ::testing::TestWithParam<double> {};

TEST_P(Rotations, WithinTheToleratedAnglePass) {
    RenderOptions options = ShortPage();
    options.rotationDegrees = GetParam();
    options.tone = FrontTone();
    const RenderedChart chart = RenderChart(Colours(), options);
    ChartRig rig;
    TChildImage& scan = rig.AddScan(chart.image, true);
    EXPECT_EQ(rig.analysis.CheckIt8Scan(&scan, true), 0);
    if (std::abs(GetParam()) > 5.25) return;
    const int slotOf[4] = {SlotUpperLeft, SlotUpperRight, SlotLowerLeft, SlotLowerRight};
    for (int i = 0; i < 4; ++i) {
        const Point p = scan.cornerSlots[static_cast<std::size_t>(slotOf[i])];
        EXPECT_LE(std::hypot(p.x - chart.corners[static_cast<std::size_t>(i)][0],
                             p.y - chart.corners[static_cast<std::size_t>(i)][1]),
                  RotatedCornerTolerance)
            << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Angles, Rotations,
                         ::testing::Values(-5.65, -5.25, -4.75, -3.25, -1.0, -0.3, 0.3, 1.0, 3.25, 4.75, 5.25, 5.65));

TEST(Rotations, FarBeyondTheToleranceFail) {
    RenderOptions options = ShortPage();
    options.rotationDegrees = 5.7;
    ChartRig rig;
    TChildImage& scan = rig.AddScan(RenderChart(Colours(), options).image, true);
    EXPECT_NE(rig.analysis.CheckIt8Scan(&scan, true), 0);
}

struct DistortionCase {
    const char* name;
    std::array<Point, 4> moves;  // TL, TR, BL, BR
    int boxWidth;
    int shiftY;
    int expected;
};

class DistortedBoxes : public ::testing::TestWithParam<DistortionCase> {};

TEST_P(DistortedBoxes, FailTheirGeometryChecks) {
    const DistortionCase& c = GetParam();
    RenderOptions options = ShortPage();
    options.cornerMoves = c.moves;
    options.boxWidth = c.boxWidth;
    options.shiftY = c.shiftY;
    ChartRig rig;
    TChildImage& scan = rig.AddScan(RenderChart(Colours(), options).image, true);
    const auto slotsBefore = scan.cornerSlots;
    EXPECT_EQ(rig.analysis.CheckIt8Scan(&scan, true), c.expected);
    ASSERT_EQ(rig.desktop.messages.size(), 1u);
    EXPECT_EQ(rig.desktop.messages[0].text, rig.strings.MsgErrDetectIT8Fields.caption);
    EXPECT_EQ(rig.desktop.messages[0].title, rig.strings.MBoxTitleError.caption);
    EXPECT_EQ(rig.desktop.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(scan.cornerSlots, slotsBefore);
    EXPECT_FALSE(scan.cornersValid);
    EXPECT_EQ(rig.windows.ChildImage(), rig.windows.HelperWindow());
}

INSTANTIATE_TEST_SUITE_P(
    Geometry, DistortedBoxes,
    ::testing::Values(
        // Bottom wider than the top by 300 of 4300: beyond 5 % of the sum.
        DistortionCase{"dx", {Point{}, Point{}, Point{-150, 0}, Point{150, 0}}, 2000, 0, -100},
        // Right side 160 longer than the left (limit 142).
        DistortionCase{"dy", {Point{}, Point{0, -160}, Point{}, Point{}}, 2000, 150, -200},
        // 1800 wide and 1350 high: less than 1.4 times as wide as high.
        DistortionCase{"orientation", {}, 1800, 0, -300},
        DistortionCase{"dx_and_orientation", {Point{150, 0}, Point{-150, 0}, Point{}, Point{}}, 1800, 0, -400},
        DistortionCase{"dy_and_orientation", {Point{}, Point{0, -160}, Point{}, Point{}}, 1800, 150, -500},
        DistortionCase{"all_three", {Point{150, 0}, Point{-150, -160}, Point{}, Point{}}, 1800, 150, -600}),
    [](const ::testing::TestParamInfo<DistortionCase>& info) { return std::string(info.param.name); });

struct WedgeCase {
    int colouredIndex;
    int expected;
};

class ColouredWedge : public ::testing::TestWithParam<WedgeCase> {};

TEST_P(ColouredWedge, OnlyTheFirstTwentyPatchesAreTested) {
    RenderOptions options = ShortPage();
    options.colouredWedgeIndex = GetParam().colouredIndex;
    ChartRig rig;
    TChildImage& scan = rig.AddScan(RenderChart(Colours(), options).image, true);
    EXPECT_EQ(rig.analysis.CheckIt8Scan(&scan, true), GetParam().expected);
    // Corners and raster stay even when the wedge fails.
    EXPECT_TRUE(scan.cornersValid);
    EXPECT_NE(scan.raster.dxBottom, 0);
    // The wedge test on its own, on the scan that is still the current window.
    EXPECT_EQ(rig.analysis.CheckGreyWedge(), GetParam().expected != 0 ? -1 : 0);
    if (GetParam().expected != 0) {
        ASSERT_EQ(rig.desktop.messages.size(), 1u);
        EXPECT_EQ(rig.desktop.messages[0].text, rig.strings.MsgErrGreyWedge.caption);
    } else {
        EXPECT_TRUE(rig.desktop.messages.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Indices, ColouredWedge,
                         ::testing::Values(WedgeCase{0, -1000}, WedgeCase{19, -1000}, WedgeCase{20, 0},
                                           WedgeCase{21, 0}, WedgeCase{23, 0}));

// A wedge is grey and falls: GS i at level first - max(0, i - flat) * step, GS10 raised by bump, below 0 at 0 or 1
// by turns; held to the built-in reference's greys.
TEST(WedgeFalls, AFlatOrRisingRunOfGreysIsNoWedge) {
    const struct {
        int first, step, flat, bump;
        bool falls;
    } cases[] = {{240, 11, 0, 0, true},    // a wedge
                 {115, 0, 0, 0, false},    // plain card
                 {105, 8, 13, 0, false},   // card, then the darker half of the wedge
                 {140, 2, 0, 0, false},    // 20 levels to GS10: under half the reference's fall
                 {240, 8, 0, 15, true},    // a step back up, less than the fall over two steps
                 // Half the reference's fall: 55.3 levels to GS10, 96.7 to GS19. A dark end at 0 or 1 passes.
                 {240, 6, 0, 4, true},     // 56 to GS10
                 {240, 6, 0, 5, false},    // 55
                 {98, 10, 0, 0, true},     // 97 to GS19
                 {97, 10, 0, 0, false},    // 96
                 {240, 15, 0, 0, true},    // GS16 to GS19 at 0, 1, 0, 1: an offset's compressed end, noise and all
                 {240, 8, 0, 16, false}};  // back up to the level two steps before
    for (const auto& c : cases) {
        GreyPatchTable table{};
        for (int i = 0; i < GreyPatchCount; ++i) {
            const int fall = c.first - std::max(0, i - c.flat) * c.step + (i == 10 ? c.bump : 0);
            const int level = fall <= 0 ? i % 2 : std::min(fall, 255);
            table[static_cast<std::size_t>(i)].measured = MakeColour(level, level, level);
        }
        EXPECT_EQ(WedgeFalls(table, DefaultReferenceGrey), c.falls) << c.first << " " << c.step << " " << c.flat << " " << c.bump;
    }
}

// The tolerance says how grey a patch must be, not how far the wedge falls.
TEST(CheckIt8Scan, ARealChartPassesAtTheMostLenientTolerance) {
    ChartRig rig;
    rig.gwTolerance = 100;
    EXPECT_EQ(rig.analysis.CheckIt8Scan(&rig.AddScan(RenderChart(Colours(), ShortPage()).image, true), true), 0);
}

TEST(CheckIt8Scan, RearCornersGoToTheRearScanWindow) {
    const RenderedChart chart = RenderChart(Colours(), ShortPage());
    ChartRig rig;
    TChildImage& rear = rig.AddScan(chart.image, false);
    TChildImage& other = rig.AddScan(chart.image, true);
    // The wedge is then read on the analysed window, the current one, which holds no corners:
    // samples from nowhere are no wedge.
    EXPECT_EQ(rig.analysis.CheckIt8Scan(&other, false), ChartGreyWedgeFailed);
    EXPECT_TRUE(rear.cornersValid);
    EXPECT_FALSE(other.cornersValid);
    ExpectCornersNear(rear, chart);
    EXPECT_TRUE(test::FileExists(rig.dir.File("Help_rear.bmp")));
    EXPECT_FALSE(test::FileExists(rig.dir.File("Help_front.bmp")));
}

TEST(CheckIt8Scan, BlankPageFailsAndKeepsTheProbeTracks) {
    RenderOptions options = ShortPage();
    options.boxTop = 2000;  // the chart is below the page: only scanner background is seen
    ChartRig rig;
    TChildImage& scan = rig.AddScan(RenderChart(Colours(), options).image, true);
    EXPECT_EQ(rig.analysis.CheckIt8Scan(&scan, true), -1);
    EXPECT_EQ(rig.desktop.messages.size(), 1u);
    EXPECT_FALSE(scan.cornersValid);
    EXPECT_EQ(scan.cornerSlots[1], NotFound);
    TChildImage* helper = rig.windows.HelperWindow();
    ASSERT_NE(helper, nullptr);
    EXPECT_EQ(rig.windows.ChildImage(), helper);
    EXPECT_EQ(rig.imageCount, 1);
    EXPECT_TRUE(helper->isFront);
    // The file holds the helper image with the probes' red tracks on row 300.
    const PictureResult saved = LoadBmpFile(rig.dir.File("Help_front.bmp"));
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_EQ(saved.image, helper->image);
    EXPECT_EQ(helper->image.Pixel(10, 300), MakeColour(255, 0, 0));
    EXPECT_EQ(helper->image.Pixel(10, 301), MakeColour(0, 0, 0));
}

// Without a window holding a picture the check fails like a failed search, with its message,
// and makes no helper window or file.
enum class NoScan { None, Closed, Empty };

class WithoutAUsableWindow : public ::testing::TestWithParam<NoScan> {};

TEST_P(WithoutAUsableWindow, FailsAsCornersNotFound) {
    ChartRig rig;
    TChildImage* window = nullptr;
    if (GetParam() == NoScan::Closed) {
        window = &rig.AddScan(RenderChart(Colours(), ShortPage()).image, true);
        rig.windows.Close(*window);
    } else if (GetParam() == NoScan::Empty) {
        window = &rig.windows.Create();
    }
    const int windowsBefore = rig.windows.Count();
    EXPECT_EQ(rig.analysis.CheckIt8Scan(window, true), ChartCornersNotFound);
    ASSERT_EQ(rig.desktop.messages.size(), 1u);
    EXPECT_EQ(rig.desktop.messages[0].text, rig.strings.MsgErrDetectIT8Fields.caption);
    EXPECT_EQ(rig.desktop.messages[0].title, rig.strings.MBoxTitleError.caption);
    ASSERT_EQ(rig.splash.lines.size(), 2u);
    EXPECT_EQ(rig.splash.lines[0].rfind("ERR: error 'Corners of bounding box not found!'", 0), 0u);
    EXPECT_EQ(rig.splash.lines[1], "STA:   ... IT8 processing aborted!");
    EXPECT_EQ(rig.windows.Count(), windowsBefore);
    EXPECT_EQ(rig.windows.HelperWindow(), nullptr);
    EXPECT_EQ(rig.imageCount, 0);
    EXPECT_FALSE(test::FileExists(rig.dir.File("Help_front.bmp")));
}

INSTANTIATE_TEST_SUITE_P(Windows, WithoutAUsableWindow,
                         ::testing::Values(NoScan::None, NoScan::Closed, NoScan::Empty));

TEST(CheckIt8Scan, LogLinesOfAFailedGeometryAndOfAPass) {
    RenderOptions options = ShortPage();
    options.cornerMoves = {Point{150, 0}, Point{-150, -160}, Point{}, Point{}};
    options.boxWidth = 1800;
    options.shiftY = 150;
    ChartRig rig;
    TChildImage& bad = rig.AddScan(RenderChart(Colours(), options).image, true);
    ASSERT_EQ(rig.analysis.CheckIt8Scan(&bad, true), -600);
    const std::string err = "ERR: error '";
    std::vector<std::string> expected = {
        "STA: geometry check of IT8 bounding box ...",
        err + "  ... failed (dx top != dx bottom)!'",
        err + "geometry check of IT8 bounding box failed (dy left != dy right)!'",
        err + "geometry check of IT8 bounding box failed (orientation)!'",
        "STA:   ... IT8 processing aborted!"};
    std::vector<std::string> seen;
    for (const std::string& line : rig.splash.lines) {
        if (line.rfind("ERR:", 0) == 0) {
            seen.push_back(line.substr(0, line.find("'  ( file MainForm, line ") + 1));
        } else {
            seen.push_back(line);
        }
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(rig.desktop.messages.size(), 1u);

    rig.splash.lines.clear();
    TChildImage& good = rig.AddScan(RenderChart(Colours(), ShortPage()).image, true);
    ASSERT_EQ(rig.analysis.CheckIt8Scan(&good, true), 0);
    seen.clear();
    for (const std::string& line : rig.splash.lines) {
        seen.push_back(line);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"STA: geometry check of IT8 bounding box ...",
                                              "STA:   ...passed! Geometry of bounding box is ok.",
                                              "STA: checking grey wedge  of IT8 target scan ...",
                                              "STA:   ...passed! Grey wedge is ok!"}));
    // The raster trace is a window event, not a splash line.
    bool rasterTraced = false;
    for (const std::string& line : LogWriter.Buffer()) {
        rasterTraced |= line.find("VCL: Event IT8ShowRaster 'On Click'. (Sender= 0x") != std::string::npos;
    }
    EXPECT_TRUE(rasterTraced);
}

TEST(CheckIt8Scan, SuccessMarksTheHelperAndDrawsTheRaster) {
    const RenderedChart chart = RenderChart(Colours(), ShortPage());
    ChartRig rig;
    TChildImage& scan = rig.AddScan(chart.image, true);
    ASSERT_EQ(rig.analysis.CheckIt8Scan(&scan, true), 0);
    const TChildImage& helper = *rig.windows.HelperWindow();
    const Point tl = scan.cornerSlots[SlotUpperLeft];
    EXPECT_EQ(helper.image.Pixel(tl.x - 3, tl.y - 3), MakeColour(255, 0, 0));  // corner marker
    int edgeMarkerPixels = 0;
    for (int y = 0; y < helper.image.Height(); ++y) {
        for (int x = 0; x < helper.image.Width(); ++x) edgeMarkerPixels += helper.image.Pixel(x, y) == MakeColour(0, 128, 0);
    }
    EXPECT_GT(edgeMarkerPixels, 0);
    const PictureResult saved = LoadBmpFile(rig.dir.File("Help_front.bmp"));
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_EQ(saved.image, helper.image);
    // Raster lines are red in the scan itself; the cell middles keep their colour.
    const Point ll = scan.cornerSlots[SlotLowerLeft];
    EXPECT_EQ(scan.image.Pixel(ll.x, ll.y - 200), MakeColour(255, 0, 0));
    EXPECT_EQ(scan.raster, RasterGeometry::FromCorners(scan.cornerSlots));
}

TEST(CheckIt8Scan, WithTheRasterOptionOffTheWedgeIsStillSampledOnTheNewCorners) {
    RenderOptions options = ShortPage();
    options.colouredWedgeIndex = 19;
    const RenderedChart chart = RenderChart(Colours(), options);
    ChartRig rig;
    rig.controls.showRasterAndColors.checked = false;
    TChildImage& scan = rig.AddScan(chart.image, true);
    EXPECT_EQ(rig.analysis.CheckIt8Scan(&scan, true), -1000);
    EXPECT_EQ(scan.image, chart.image);  // no raster drawn
    EXPECT_EQ(scan.raster, RasterGeometry::FromCorners(scan.cornerSlots));
}

}  // namespace
}  // namespace calvix

