// The Store sequence on an image window holding a rendered chart with known corners: which
// half of the record and which files it writes, what goes back into the grey-wedge table and
// the window, and the colour display in the raster's bottom row.
#include "calibration/StoreSide.h"

#include "AnalyzeRunner.h"
#include "platform/HeadlessImageHost.h"
#include "TempDir.h"
#include "analysis/ChartCheck.h"
#include "analysis/ImageChild.h"
#include "app/Clock.h"
#include "calibration/ReferenceColours.h"

#include <gtest/gtest.h>

#include <cmath>

namespace calvix::test {
namespace {

class StoreSideTest : public ::testing::Test {
protected:
    void SetUp() override {
        RenderOptions options;
        options.tone = UniformTone(0.92, 12.0 / 1023.0, 1.08);
        const RenderedChart chart = RenderChart(SyntheticChartColours(), options);
        window.image = chart.image;
        auto at = [&](int i) {
            return Point{static_cast<int>(std::lround(chart.corners[static_cast<std::size_t>(i)][0])),
                         static_cast<int>(std::lround(chart.corners[static_cast<std::size_t>(i)][1]))};
        };
        window.cornerSlots[SlotUpperLeft] = at(0);
        window.cornerSlots[SlotUpperRight] = at(1);
        window.cornerSlots[SlotLowerLeft] = at(2);
        window.cornerSlots[SlotLowerRight] = at(3);
        window.cornersValid = true;
        window.raster = RasterGeometry::FromCorners(window.cornerSlots);
        for (int k = 0; k < GreyWedgeSteps; ++k) {
            greys[static_cast<std::size_t>(k)] = {240.0f - 9.0f * k, 238.0f - 9.0f * k, 236.0f - 9.0f * k};
        }
    }

    void Store(bool front, bool showColours = true) {
        window.isFront = front;
        const StoreSideInputs inputs{greys, 0, showColours, folderPath, controls, table};
        StoreSide(window, inputs, correction, lut);
    }

    // Centre of the upper (part = 1) or lower (part = 3) half of bottom-row cell i.
    Point DisplayPoint(int i, int part) const {
        const RasterGeometry& g = window.raster;
        const Point ll = window.cornerSlots[SlotLowerLeft];
        const int rowHeight = g.dyLeft / RasterRows;
        const int left = ll.x + i * g.dxBottom / RasterColumns;
        const int bottom = ll.y + i * g.riseBottom / RasterColumns;
        return {left + g.dxBottom / RasterColumns / 2, bottom - rowHeight + part * rowHeight / 4};
    }

    HeadlessImageHost host;
    TChildImage window{ImageServices{host, SystemClock(), nullptr}};
    ReferenceGreys greys{};
    TempDir folder;
    const std::string& folderPath = folder.Path();
    MainFormControls controls;
    GreyPatchTable table{};
    GreyCorrection correction;
    CalibrationLutRecord lut;
};

TEST_F(StoreSideTest, FrontStoreFillsTheFrontHalfFilesTableAndWindow) {
    ChannelTables marker{};
    for (ChannelTable& t : marker) t.fill(7);
    lut.SetSideTables(LutSide::Rear, marker);

    Store(true);

    for (ColourChannel channel : AllChannels) {
        const auto front = lut.Table(LutSide::Front, channel);
        const ChannelTable& built = correction.Tables()[static_cast<std::size_t>(channel)];
        EXPECT_TRUE(std::equal(front.begin(), front.end(), built.begin()));
        EXPECT_EQ(lut.Table(LutSide::Rear, channel)[500], 7) << "the rear half stays as it was";
    }
    EXPECT_TRUE(FileExists(folder.File("gs_rgb_front.csv")));
    EXPECT_TRUE(FileExists(folder.File("corrvals_front.csv")));
    EXPECT_FALSE(FileExists(folder.File("gs_rgb_back.csv")));
    for (int k = 0; k < GreyWedgeSteps; ++k) {
        const GreyPatch& patch = table[static_cast<std::size_t>(k)];
        EXPECT_EQ(patch.measured, correction.Measured()[static_cast<std::size_t>(k)]);
        EXPECT_EQ(patch.reference, greyReferenceColour(greys, k));
        EXPECT_EQ(patch.correction, correction.Factors()[static_cast<std::size_t>(k)]);
        EXPECT_TRUE(IsGrey(patch.measured, 3)) << "sampled inside the patch, not on a line: " << k;
    }
    EXPECT_TRUE(window.correctionDone);
    EXPECT_TRUE(controls.graphButton.enabled);
}

TEST_F(StoreSideTest, RearStoreWritesTheRearHalfAndBackFiles) {
    Store(false);
    EXPECT_TRUE(FileExists(folder.File("gs_rgb_back.csv")));
    EXPECT_TRUE(FileExists(folder.File("corrvals_back.csv")));
    EXPECT_FALSE(FileExists(folder.File("corrvals_front.csv")));
    for (ColourChannel channel : AllChannels) {
        EXPECT_EQ(lut.Table(LutSide::Front, channel)[1023], 0);
        EXPECT_EQ(lut.Table(LutSide::Rear, channel)[1023], 255);
    }
}

TEST_F(StoreSideTest, ColourDisplayPaintsReferenceAboveMeasuredOnlyWhenOn) {
    for (bool on : {false, true}) {
        SCOPED_TRACE(on);
        const ScanBitmap before = window.image;
        Store(true, on);
        for (int i = 0; i < GreyWedgeSteps; ++i) {
            const Point upper = DisplayPoint(i, 1);
            const Point lower = DisplayPoint(i, 3);
            if (on) {
                EXPECT_EQ(window.image.Pixel(upper.x, upper.y), table[static_cast<std::size_t>(i)].reference) << i;
                EXPECT_EQ(window.image.Pixel(lower.x, lower.y), table[static_cast<std::size_t>(i)].measured) << i;
            } else {
                EXPECT_EQ(window.image.Pixel(upper.x, upper.y), before.Pixel(upper.x, upper.y)) << i;
                EXPECT_EQ(window.image.Pixel(lower.x, lower.y), before.Pixel(lower.x, lower.y)) << i;
            }
        }
    }
}

TEST_F(StoreSideTest, StoringAgainSamplesTheSameWedgeDespiteTheDisplay) {
    Store(true);
    const ChannelTables first = correction.Tables();
    const GreyColours measured = correction.Measured();
    Store(true);
    EXPECT_EQ(correction.Measured(), measured);
    EXPECT_EQ(correction.Tables(), first);
}

}  // namespace
}  // namespace calvix::test
