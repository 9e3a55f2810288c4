// The views as main-window operations: the zoom track bar at start-up, the overview size and
// aspect option, image windows reaching the views through the main window, the corner click,
// and opening and closing the graph window.
#include "MainFormFixture.h"
#include "calibration/CalibrationLut.h"

namespace calvix::test {
namespace {

class MainFormViewsTest : public MainFormTest {
protected:
    TChildImage& ScanWindow(int w, int h) {
        TChildImage& window = form->Images().Create();
        ++form->imageCount;
        window.ScanChildImage(dir.Path() + "/Scan_1_1.bmp", ScanBitmap(w, h));
        return window;
    }
};

TEST_F(MainFormViewsTest, StartUpAppliesTheZoomTrackBar) {
    Start();
    EXPECT_EQ(form->Views().controls.trackBarZoom, 8);
    EXPECT_EQ(form->Views().controls.lblZoomfactor, "  x8");
}

TEST_F(MainFormViewsTest, OverviewSizeFollowsTheDisplayAndTheHiddenAspectOption) {
    Start();
    EXPECT_FALSE(form->OverviewSize().keepAspect);
    form->controls.keepAspectRatio.checked = true;
    form->Views().SetOverviewSize({300, 150});
    const OverviewGeometry g = form->OverviewSize();
    EXPECT_EQ(g.width, 300);
    EXPECT_EQ(g.height, 150);
    EXPECT_TRUE(g.keepAspect);
}

TEST_F(MainFormViewsTest, ScannedImageFillsTheViewsAndClosingClearsThem) {
    Start();
    TChildImage& window = ScanWindow(2480, 1750);
    EXPECT_EQ(form->Views().Overview().bitmap.Width(), 236);
    form->Views().ImageWindowResize(window, 600, 400);
    EXPECT_EQ(form->Views().LastMark(), (ZoomRect{0, 0, 60, 30}));
    EXPECT_TRUE(window.sourceRectDrawn);
    EXPECT_TRUE(Logged("STA: executing MapOriToOver() ..."));

    form->MMenuCloseFileClick();
    EXPECT_TRUE(form->Views().Overview().bitmap.Empty());
    EXPECT_FALSE(form->Views().Overview().mark);
    ASSERT_EQ(form->Views().Zoom().picture.size(), 1u);
    EXPECT_EQ(std::get<FillCommand>(form->Views().Zoom().picture[0]).colour, MakeColour(255, 255, 255));
}

TEST_F(MainFormViewsTest, ReleaseInTheSetCornersModeSetsTheCorner) {
    Start();
    TChildImage& window = ScanWindow(800, 600);
    form->Views().ImageWindowResize(window, 400, 300);
    form->TTabButtonSetMarkerClick();
    ASSERT_TRUE(window.setCornerMode);
    // A release without its press, and the press that activates, set no corner.
    form->Views().ImageBigMouseUp(window, 350, 250);
    form->Views().ImageBigMouseDown(window, 350, 250, true);
    form->Views().ImageBigMouseUp(window, 350, 250);
    EXPECT_EQ(window.cornerSlots[4], NotFound);
    form->Views().ImageBigMouseDown(window, 350, 250);
    form->Views().ImageBigMouseUp(window, 350, 250);
    EXPECT_EQ(window.cornerSlots[4], (Point{350, 250}));  // lower right of the 400 x 300 client
}

// Store on corners that fail the chart check says so and leaves the LUT as it was.
TEST_F(MainFormViewsTest, StoreRefusesCornersThatFailTheChartCheck) {
    Start();
    TChildImage& window = ScanWindow(800, 600);
    window.cornerSlots = {NotFound, Point{400, 60}, Point{100, 60}, Point{100, 500}, Point{400, 500}};
    window.cornersValid = true;
    const auto lut = CalibrationLut.Copy();
    form->Store();
    EXPECT_EQ(desktop.messages.at(0).text, form->AppStrings()->MsgErrCornersCheck.caption);
    EXPECT_TRUE(CalibrationLut.Copy() == lut && !window.correctionDone);
}

TEST_F(MainFormViewsTest, ShowGraphOpensTheWindowOnceAndClosingFreesIt) {
    Start();
    EXPECT_FALSE(form->graphOpen);
    form->SpeedButtonShowGraphClick();
    ASSERT_TRUE(form->graphOpen);
    TGraphix* graph = form->Graph();
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->Picture().size(), 2u + 72u + 3u);
    graph->PupMenuGraph121Click();
    form->ShowGraph();
    EXPECT_EQ(form->Graph(), graph);
    EXPECT_EQ(graph->Scaling(), GraphScaling::OneToOne);
    form->GraphFormClose();
    EXPECT_FALSE(form->graphOpen);
    EXPECT_EQ(form->Graph(), nullptr);
    form->ShowGraph();
    EXPECT_EQ(form->Graph()->Scaling(), GraphScaling::FitWindow);
}

}  // namespace
}  // namespace calvix::test
