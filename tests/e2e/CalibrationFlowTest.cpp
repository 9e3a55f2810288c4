// A calibration run through TMainFormular, headless: reference, front and rear scans checked
// and evaluated, the record filled at shut-down, and the tables put back against the physics.
#include <cmath>

#include "ChartColours.h"
#include "ChartRenderer.h"
#include "MainFormFixture.h"
#include "TestData.h"
#include "analysis/BmpWriter.h"
#include "calibration/CalibrationLut.h"
#include "calibration/ReferenceColours.h"
#include "it8ref/It8Ref.h"
#include "it8ref/ReferenceGrey.h"

namespace calvix::test {
namespace {

ToneResponse Tone(double gain, double offset, double gamma) {
    ToneResponse t;
    for (int c = 0; c < 3; ++c) t.channel[static_cast<std::size_t>(c)] = {gain * (1.0 + 0.01 * c), offset, gamma};
    return t;
}

class CalibrationFlowTest : public MainFormTest {
protected:
    std::string RenderScan(const std::string& name, const RenderOptions& options, RenderedChart& chart) {
        chart = RenderChart(ChartColoursFromReference(It8Reference()), options);
        std::string error;
        const std::string path = dir.File(name);
        EXPECT_TRUE(SaveBmpFile(chart.image, path, error)) << error;
        return path;
    }
    TChildImage& OpenScan(const std::string& path, bool front) {
        EXPECT_EQ(form->OpenImageFile(path), 0);
        TChildImage& window = *form->ChildImage();
        window.isFront = front;
        if (front) form->Images().SetFrontWindow(&window);
        else form->Images().SetRearWindow(&window);
        return window;
    }
};

TEST_F(CalibrationFlowTest, DuplexRunFillsBothHalvesAndTheTablesUndoTheSensor) {
    Start();
    ASSERT_EQ(form->LoadReferenceByPath(CALVIX_TEST_DATA_DIR "/it8/R1.txt"), 0);
    EXPECT_TRUE(form->referenceOptions().UpDownTTabIT8Gamma.enabled);

    RenderOptions frontOptions;
    frontOptions.tone = Tone(0.92, 12.0 / 1023, 1.1);
    RenderOptions rearOptions;
    rearOptions.tone = Tone(1.05, 4.0 / 1023, 0.9);
    rearOptions.shiftX = 30;
    rearOptions.shiftY = 20;
    RenderedChart front, rear;
    const std::string frontPath = RenderScan("front.bmp", frontOptions, front);
    const std::string rearPath = RenderScan("rear.bmp", rearOptions, rear);

    TChildImage& frontWindow = OpenScan(frontPath, true);
    ASSERT_EQ(form->CheckIt8Scan(&frontWindow, true), 0);
    EXPECT_EQ(form->ChildImage(), &frontWindow);
    form->Store();
    EXPECT_TRUE(frontWindow.correctionDone);
    EXPECT_TRUE(form->controls.graphButton.enabled);

    TChildImage& rearWindow = OpenScan(rearPath, false);
    ASSERT_EQ(form->CheckIt8Scan(&rearWindow, false), 0);
    form->Store();

    for (const char* name : {"Help_front.bmp", "Help_rear.bmp", "gs_rgb_front.csv", "corrvals_front.csv",
                             "gs_rgb_back.csv", "corrvals_back.csv"})
        EXPECT_TRUE(FileExists(DataFile(name))) << name;

    // Each side's tables map that side's raw grey values back onto the reference greys.
    const auto check = [&](const RenderedChart& chart, LutSide side) {
        for (int c = 0; c < 3; ++c) {
            const auto table = CalibrationLut.Table(side, static_cast<ColourChannel>(c));
            double sum = 0;
            int worst = 0;
            for (int k = 0; k < 24; ++k) {
                const int raw = chart.greyRaw[static_cast<std::size_t>(k)][static_cast<std::size_t>(c)];
                const PackedColour ref = greyReferenceColour(ReferenceGreyTable, k);
                const int want = c == 0 ? RedOf(ref) : c == 1 ? GreenOf(ref) : BlueOf(ref);
                const int err = std::abs(int{table[static_cast<std::size_t>(raw)]} - want);
                sum += err;
                worst = std::max(worst, err);
            }
            EXPECT_LE(sum / 24, 1.0) << "channel " << c;
            EXPECT_LE(worst, 2) << "channel " << c;
        }
    };
    check(front, LutSide::Front);
    check(rear, LutSide::Rear);

    form->duplexScanner = true;
    form->scannerSerial = "Q71-000123";
    form->lutReady = true;
    form->Close();
    const auto raw = CalibrationLut.Raw();
    EXPECT_EQ(raw[6], 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw.data()) + 7), "Q71-000123");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw.data()) + 47), "v1.1.0 build#7");
    EXPECT_TRUE(Logged("STA:   ... Sending LUT to scanner!"));
    // No service library here: the upload stops at the connection.
    const auto texts = LogTexts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
        return t.rfind("ERR: error 'Connect to scanner failed!'", 0) == 0;
    }));
}

// When a Store's tables fall and stay out of the LUT, the patches are read through the LUT's.
TEST_F(CalibrationFlowTest, TheProfileIsMadeThroughTheTablesTheLutHolds) {
    Start();
    ASSERT_EQ(form->LoadReferenceByPath(CALVIX_TEST_DATA_DIR "/it8/R1.txt"), 0);
    RenderedChart chart;
    TChildImage& scan = OpenScan(RenderScan("front.bmp", RenderOptions{}, chart), true);
    ASSERT_EQ(form->CheckIt8Scan(&scan, true), 0);
    form->Store();
    const ChartMeasurement expected = *form->ProfilePatches(true);
    ASSERT_EQ(form->LoadReferenceByPath(CALVIX_TEST_DATA_DIR "/it8/odd_grey_order.txt"), 0);  // the tables fall
    form->Store();
    EXPECT_EQ(form->ProfilePatches(true)->colours.at(100).device, expected.colours[100].device);
    CalibrationLut.Clear(), form->Store();  // nothing in the LUT describes the side: no profile
    EXPECT_FALSE(form->ProfilePatches(true));
}

TEST_F(CalibrationFlowTest, ClosingTheScanWindowDropsItsReferencesAndAFailedCheckKeepsCorners) {
    Start();
    RenderOptions options;
    options.colouredWedgeIndex = 19;
    RenderedChart chart;
    It8Reference();
    const std::string path = RenderScan("wedge.bmp", options, chart);
    TChildImage& window = OpenScan(path, true);
    EXPECT_EQ(form->CheckIt8Scan(&window, true), -1000);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_TRUE(window.cornersValid);
    EXPECT_EQ(form->imageCount, 1);  // the helper window is not counted as opened by the operator
    form->Images().Close(window);
    EXPECT_EQ(form->Images().FrontWindow(), nullptr);
    form->Close();
    EXPECT_TRUE(Logged("STA:   ... no LUT generated!"));
}

}  // namespace
}  // namespace calvix::test
