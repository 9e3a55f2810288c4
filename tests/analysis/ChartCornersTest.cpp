// Tests of the geometry limits, the greyness test, the raster display, the set-corners mode
// with its quadrant choice and markers, and the one-shot "Set auto".
#include "analysis/ChartCheck.h"

#include "ChartTestRig.h"
#include "analysis/WedgeSampling.h"

#include <gtest/gtest.h>

namespace calvix {
namespace {

using test::ChartRig;

struct GeometryCase {
    const char* name;
    Point tl, tr, bl, br;
    int expected;
};

class BoxGeometry : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(BoxGeometry, LimitsAreFivePercentOfTheSumAndLandscape) {
    const GeometryCase& c = GetParam();
    EXPECT_EQ(CheckBoxGeometry(c.tl, c.tr, c.bl, c.br).Code(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, BoxGeometry,
    ::testing::Values(
        // dx top 1000, dx bottom 1100: limit 105, difference 100.
        GeometryCase{"dx_within", {0, 0}, {1000, 0}, {0, 700}, {1100, 700}, 0},
        // 950 and 1050: limit 100, difference 100, equal passes.
        GeometryCase{"dx_at_limit", {0, 0}, {950, 0}, {0, 600}, {1050, 600}, 0},
        GeometryCase{"dx_beyond", {0, 0}, {1000, 0}, {0, 700}, {1120, 700}, -100},
        GeometryCase{"dy_beyond", {0, 0}, {2000, 0}, {0, 1000}, {2000, 1200}, -200},
        // 1400 wide and 1000 high is exactly 1.4 and passes; 1399 does not.
        GeometryCase{"landscape_exact", {0, 0}, {1400, 0}, {0, 1000}, {1400, 1000}, 0},
        GeometryCase{"landscape_short", {0, 0}, {1399, 0}, {0, 1000}, {1399, 1000}, -300},
        GeometryCase{"all_three", {0, 0}, {1000, 0}, {0, 1000}, {1300, 1300}, -600},
        // Corners far outside the image do not overflow the sums.
        GeometryCase{"far_corners", {-536870912, -536870912}, {536870912, -536870912}, {0, 0}, {10, 0}, -100}),
    [](const ::testing::TestParamInfo<GeometryCase>& info) { return std::string(info.param.name); });

struct GreyCase {
    int r, g, b, tolerance;
    bool grey;
};

class Greyness : public ::testing::TestWithParam<GreyCase> {};

TEST_P(Greyness, EachChannelWithinToleranceOfTheTruncatedMean) {
    const GreyCase& c = GetParam();
    EXPECT_EQ(IsGrey(MakeColour(c.r, c.g, c.b), c.tolerance), c.grey);
}

INSTANTIATE_TEST_SUITE_P(Colours, Greyness,
                         ::testing::Values(GreyCase{100, 120, 110, 10, true},   // differences exactly 10
                                           GreyCase{100, 121, 110, 10, false},  // mean 110, green 11 off
                                           GreyCase{99, 121, 110, 10, false},   // red 11 off
                                           GreyCase{0, 0, 1, 0, false},         // mean 0 truncated, blue 1 off
                                           GreyCase{255, 255, 255, 0, true},
                                           GreyCase{200, 150, 100, 50, true},
                                           GreyCase{200, 150, 100, 49, false}));

// A window whose corners are set by hand on a plain picture, client area 400 x 300.
class CornerMode : public ::testing::Test {
protected:
    CornerMode() {
        ScanBitmap picture(400, 300);
        for (int y = 0; y < 300; ++y) {
            for (int x = 0; x < 400; ++x) picture.SetPixel(x, y, MakeColour(120, 130, 140));
        }
        window_ = &rig_.AddScan(picture, true);
        original_ = window_->image;
    }

    ChartRig rig_;
    TChildImage* window_ = nullptr;
    ScanBitmap original_;
};

TEST_F(CornerMode, ClicksChooseTheSlotByQuadrantHalvesCountingLeftAndUpper) {
    rig_.analysis.TTabButtonSetMarkerClick();
    ASSERT_TRUE(window_->setCornerMode);
    const int zoomUpdatesBefore = rig_.host.zoomUpdates;
    struct Click {
        int x, y, slot;
    };
    for (const Click c : {Click{200, 150, SlotUpperLeft}, Click{201, 150, SlotUpperRight},
                          Click{200, 151, SlotLowerLeft}, Click{201, 151, SlotLowerRight}}) {
        rig_.analysis.SetCornerAt(*window_, c.x, c.y, 400, 300);
        EXPECT_EQ(window_->cornerSlots[static_cast<std::size_t>(c.slot)], (Point{c.x, c.y})) << c.slot;
    }
    EXPECT_EQ(rig_.analysis.cornerLabels[SlotUpperLeft].text, "(200, 150)");
    EXPECT_TRUE(rig_.analysis.cornerLabels[SlotLowerRight].visible);
    EXPECT_FALSE(rig_.analysis.cornerLabels[0].visible);
    EXPECT_EQ(rig_.host.zoomUpdates - zoomUpdatesBefore, 4);
}

TEST_F(CornerMode, CornersBecomeValidWithTheFourthSlotAndEnableTheRasterOption) {
    rig_.analysis.TTabButtonSetMarkerClick();
    EXPECT_TRUE(rig_.controls.setCornerButton.checked);
    EXPECT_TRUE(rig_.controls.setCornerButton.enabled);  // corners still pending
    rig_.analysis.SetCornerAt(*window_, 350, 20, 400, 300);
    rig_.analysis.SetCornerAt(*window_, 30, 20, 400, 300);
    rig_.analysis.SetCornerAt(*window_, 30, 250, 400, 300);
    EXPECT_FALSE(window_->cornersValid);
    EXPECT_FALSE(rig_.controls.showRasterAndColors.enabled);
    rig_.analysis.SetCornerAt(*window_, 350, 250, 400, 300);
    EXPECT_TRUE(window_->cornersValid);
    EXPECT_TRUE(rig_.controls.showRasterAndColors.enabled);

    // Leaving the mode clears the pending state, enables Store and draws the raster.
    rig_.analysis.TTabButtonSetMarkerClick();
    EXPECT_FALSE(window_->setCornerMode);
    EXPECT_FALSE(window_->cornersPending);
    EXPECT_FALSE(rig_.controls.setCornerButton.checked);
    EXPECT_TRUE(rig_.controls.setCornerButton.enabled);  // a corner set by mistake can be set again
    EXPECT_TRUE(rig_.controls.storeButton.enabled);
    EXPECT_EQ(window_->raster, RasterGeometry::FromCorners(window_->cornerSlots));
    EXPECT_EQ(window_->image.Pixel(30, 150), MakeColour(255, 0, 0));  // left raster line

    // Set again, the left corners moved: while setting, markers on the unmarked picture; then only the new raster.
    rig_.analysis.TTabButtonSetMarkerClick();
    EXPECT_EQ(window_->image.Pixel(30, 150), original_.Pixel(30, 150));
    EXPECT_NE(window_->image.Pixel(25, 15), original_.Pixel(25, 15));
    rig_.analysis.SetCornerAt(*window_, 60, 20, 400, 300);
    rig_.analysis.SetCornerAt(*window_, 60, 250, 400, 300);
    EXPECT_EQ(window_->image.Pixel(25, 15), original_.Pixel(25, 15));  // the old marker erased
    rig_.analysis.TTabButtonSetMarkerClick();
    EXPECT_EQ(window_->image.Pixel(60, 150), MakeColour(255, 0, 0));
    EXPECT_EQ(window_->image.Pixel(30, 150), original_.Pixel(30, 150));
}

// On valid corners (found by the search) the mode is entered and left with the same button.
TEST_F(CornerMode, EnteringOnValidCornersKeepsSetToLeaveBy) {
    window_->cornersValid = true;
    rig_.analysis.TTabButtonSetMarkerClick();
    EXPECT_TRUE(rig_.controls.setCornerButton.enabled && rig_.controls.setCornerButton.checked);
}

TEST_F(CornerMode, LeavingWithCornersMissingKeepsThemPending) {
    rig_.analysis.TTabButtonSetMarkerClick();
    rig_.analysis.SetCornerAt(*window_, 30, 20, 400, 300);
    rig_.analysis.TTabButtonSetMarkerClick();
    EXPECT_TRUE(window_->cornersPending);
    EXPECT_TRUE(rig_.controls.setCornerButton.enabled);
    EXPECT_FALSE(rig_.controls.storeButton.enabled);
    // The raster option is on: the geometry is recomputed from the slots as they are.
    EXPECT_EQ(window_->raster, RasterGeometry::FromCorners(window_->cornerSlots));
}

TEST_F(CornerMode, MovingACornerErasesItsOldMarker) {
    rig_.analysis.TTabButtonSetMarkerClick();
    rig_.analysis.SetCornerAt(*window_, 30, 20, 400, 300);
    EXPECT_NE(window_->image, original_);
    rig_.analysis.SetCornerAt(*window_, 40, 30, 400, 300);
    EXPECT_EQ(window_->image.Pixel(30 - 5, 20 - 5), original_.Pixel(25, 15));
    EXPECT_NE(window_->image.Pixel(40 - 5, 30 - 5), original_.Pixel(35, 25));
    // Set again at the same place: the old marker goes, the new one comes; one marker shows.
    const ScanBitmap once = window_->image;
    rig_.analysis.SetCornerAt(*window_, 40, 30, 400, 300);
    EXPECT_EQ(window_->image, once);
}

TEST_F(CornerMode, ClicksOutsideTheModeAreIgnored) {
    rig_.analysis.SetCornerAt(*window_, 30, 20, 400, 300);
    EXPECT_EQ(window_->cornerSlots[SlotUpperLeft], NotFound);
    EXPECT_EQ(window_->image, original_);
}

TEST_F(CornerMode, RasterOptionOffDrawsNothing) {
    rig_.controls.showRasterAndColors.checked = false;
    window_->cornerSlots = {NotFound, Point{350, 20}, Point{30, 20}, Point{30, 250}, Point{350, 250}};
    rig_.analysis.CheckBoxTTabIT8ShowRasterClick(0x1234);
    EXPECT_EQ(window_->image, original_);
    EXPECT_EQ(window_->raster, RasterGeometry{});
    EXPECT_NE(LogWriter.Buffer().back().find("VCL: Event IT8ShowRaster 'On Click'. (Sender= 0x1234  ( file MainForm"),
              std::string::npos);
}

TEST_F(CornerMode, SetAutoServesOnceEvenWhenNothingIsFound) {
    rig_.controls.setAutoButton.checked = true;
    rig_.controls.setCornerButton.checked = true;
    rig_.analysis.TTabButtonSetAutoClick();
    EXPECT_FALSE(rig_.controls.setCornerButton.checked);  // one group: "Set" released
    EXPECT_FALSE(rig_.controls.setAutoButton.checked);
    EXPECT_FALSE(rig_.controls.setAutoButton.enabled);
    EXPECT_FALSE(window_->cornersValid);
    EXPECT_EQ(rig_.desktop.messages.size(), 1u);
    EXPECT_TRUE(test::FileExists(rig_.dir.File("Help_front.bmp")));
}

TEST_F(CornerMode, ColourDisplayPaintsReferenceAboveMeasuredInTheBottomRow) {
    // 384 x 160 raster: cells 16 wide, rows 10 high; bottom row from y 160 to 170.
    window_->cornerSlots = {NotFound, Point{394, 10}, Point{10, 10}, Point{10, 170}, Point{394, 170}};
    window_->raster = RasterGeometry::FromCorners(window_->cornerSlots);
    GreyPatchTable table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i].reference = MakeColour(static_cast<int>(i), 1, 2);
        table[i].measured = MakeColour(static_cast<int>(i), 3, 4);
    }
    PaintGreyColours(*window_, table);
    // Patch 5: cell x 90..106; reference in y 164..165, measured in 165..166 (inset 4).
    EXPECT_EQ(window_->image.Pixel(95, 164), MakeColour(5, 1, 2));
    EXPECT_EQ(window_->image.Pixel(100, 165), MakeColour(5, 3, 4));
    EXPECT_EQ(window_->image.Pixel(93, 165), original_.Pixel(93, 165));   // inside the inset
    EXPECT_EQ(window_->image.Pixel(95, 158), original_.Pixel(95, 158));   // the row above
    // The same positions as the sampling reads.
    EXPECT_EQ(GreyPatchCentre(*window_, 5).centre, (Point{10 + 5 * 16 + 8, 170 - 10 - 5}));
}

}  // namespace
}  // namespace calvix
