// The views as main-window operations: the zoom track bar at start-up, the overview size and
// aspect option, image windows reaching the views through the main window, the corner click,
// and opening and closing the graph window.
#include "MainFormFixture.h"

#include <filesystem>

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
    form->Views().ImageBigMouseDown(window, 350, 250);
    form->Views().ImageBigMouseUp(window, 350, 250);
    EXPECT_EQ(window.cornerSlots[4], (Point{350, 250}));  // lower right of the 400 x 300 client
}

// Only a press aimed at the current window's picture in the set-corners mode sets a corner at
// its release: not the press that brought a window or the program to the front, not a release
// whose press went elsewhere.
TEST_F(MainFormViewsTest, OnlyAnAimedClickInTheModeSetsACorner) {
    const struct {
        const char* what;
        bool press, activates, pressOnOther;
        bool set;
    } rows[] = {{"aimed click", true, false, false, true},
                {"click that activates", true, true, false, false},
                {"release alone", false, false, false, false},
                {"press in another window", false, false, true, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Start();
        TChildImage& other = ScanWindow(800, 600);
        TChildImage& window = ScanWindow(800, 600);
        form->Views().ImageWindowResize(window, 400, 300);
        form->TTabButtonSetMarkerClick();
        ASSERT_TRUE(window.setCornerMode);
        if (r.press) form->Views().ImageBigMouseDown(window, 350, 250, r.activates);
        if (r.pressOnOther) form->Views().ImageBigMouseDown(other, 350, 250);
        form->Views().ImageBigMouseUp(window, 350, 250);
        EXPECT_EQ(window.cornerSlots[4], r.set ? (Point{350, 250}) : NotFound);
        form.reset();
    }
}

// "Set" enters the mode and, enabled and pressed, leaves it again, also after the corners came
// from the search (valid and still pending); the window in front shows its own mode.
TEST_F(MainFormViewsTest, TheSetCornersModeShowsAndCanBeLeft) {
    Start();
    TChildImage& other = ScanWindow(800, 600);
    TChildImage& window = ScanWindow(800, 600);
    window.cornerSlots = {NotFound, Point{700, 50}, Point{100, 50}, Point{100, 500}, Point{700, 500}};
    window.cornersValid = true;
    form->ImageWindowActivated(window);
    const CommandState& set = form->controls.setCornerButton;
    EXPECT_TRUE(set.enabled);
    EXPECT_FALSE(form->controls.storeButton.enabled);
    form->TTabButtonSetMarkerClick();
    EXPECT_TRUE(window.setCornerMode);
    EXPECT_TRUE(set.enabled && set.checked);
    form->ImageWindowActivated(other);
    EXPECT_FALSE(set.checked);
    form->ImageWindowActivated(window);
    EXPECT_TRUE(set.enabled && set.checked);
    form->TTabButtonSetMarkerClick();
    EXPECT_FALSE(window.setCornerMode);
    EXPECT_FALSE(set.enabled || set.checked);
    EXPECT_TRUE(form->controls.storeButton.enabled);
}

// Store on corners that fail the chart check tells the operator and leaves the tables, their
// files and the LUT as they were.
TEST_F(MainFormViewsTest, StoreOnCornersThatFailTheChartCheckSaysSoAndStoresNothing) {
    const struct {
        const char* what;
        std::array<Point, 5> slots;
    } rows[] = {
        {"a corner missing", {NotFound, Point{700, 50}, Point{100, 50}, Point{100, 500}, NotFound}},
        {"no landscape box", {NotFound, Point{400, 50}, Point{100, 50}, Point{100, 500}, Point{400, 500}}},
        {"a frame beside the chart", {NotFound, Point{770, 50}, Point{100, 50}, Point{100, 500}, Point{770, 500}}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        SetStoreValue("LanguageAuto", std::int32_t{0});
        SetStoreValue("Language", std::int32_t{9});
        Start();
        TChildImage& window = ScanWindow(800, 600);
        for (int y = 0; y < 600; ++y)  // red: no grey wedge under any raster
            for (int x = 0; x < 800; ++x) window.image.SetPixel(x, y, MakeColour(200, 40, 40));
        window.cornerSlots = r.slots;
        window.cornersValid = r.slots[4] != NotFound;
        const auto lut = CalibrationLut.Copy();
        desktop.messages.clear();
        EXPECT_FALSE(form->StoreChecked());
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].text.rfind("The corners do not frame the IT8 chart", 0), 0u);
        EXPECT_EQ(CalibrationLut.Copy(), lut);
        EXPECT_FALSE(window.correctionDone);
        EXPECT_FALSE(std::filesystem::exists(DataFile("gs_rgb_front.csv")));
        form.reset();
    }
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
