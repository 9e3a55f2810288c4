// The views as the main window drives them: zoom redraws and their log line, the mouse on the
// image (zoom centre, pixel position, corner setting), the overview mark and navigation, the
// zoom page's controls.
#include "views/ImageViews.h"

#include "FakeClock.h"
#include "FakeImageHost.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <array>

namespace calvix {
namespace {

class ImageViewsTest : public ::testing::Test {
protected:
    // A ready window of w x h whose pixel (x, y) has red x % 256 and green y % 256.
    TChildImage& ReadyWindow(int w, int h, ImageViewport viewport = {0, 0, 400, 300}) {
        TChildImage& window = windows.Create();
        window.image = ScanBitmap(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) window.image.SetPixel(x, y, MakeColour(x % 256, y % 256, 0));
        window.viewport = viewport;
        window.ready = true;
        return window;
    }
    const StretchCommand* ZoomStretch() const {
        for (const DrawCommand& c : views.Zoom().picture)
            if (const auto* s = std::get_if<StretchCommand>(&c)) return s;
        return nullptr;
    }
    int Count(const std::string& line) const {
        int n = 0;
        for (const std::string& l : log.Lines()) n += l == line;
        return n;
    }

    test::LogCapture log;
    test::FakeImageHost host;
    test::FakeClock clock;
    ImageWindows windows{ImageServices{host, clock}};
    bool imageOpen = true;
    std::vector<std::array<int, 4>> cornerCalls;
    ImageViews views{ImageViewsContext{windows, host, imageOpen,
                                       [this](TChildImage&, int x, int y, int w, int h) {
                                           cornerCalls.push_back({x, y, w, h});
                                       }}};
};

constexpr const char* ZoomLine = "STA: ChildImage.UpdateZoom() executing ... '";
constexpr const char* MapLine = "STA: executing MapOriToOver() ...";

TEST_F(ImageViewsTest, PressMovesTheZoomCentreAndRedrawsOnlyInsideTheImage) {
    TChildImage& window = ReadyWindow(600, 400, {40, 10, 400, 300});
    views.ImageBigMouseDown(window, 140, 60);  // window coordinates (100, 50)
    EXPECT_EQ(window.zoomCentre, (Point{100, 50}));
    EXPECT_TRUE(window.dragging);
    ASSERT_NE(ZoomStretch(), nullptr);
    EXPECT_EQ(ZoomStretch()->source, (ZoomRect{126, 51, 29, 18}));
    EXPECT_EQ(window.zoomSource, (ZoomRect{126, 51, 29, 18}));
    EXPECT_TRUE(window.sourceRectDrawn);
    ASSERT_TRUE(SourceRectMark(window));
    EXPECT_EQ(SourceRectMark(window)->to, (Point{155, 69}));
    EXPECT_EQ(SourceRectMark(window)->stroke, (Stroke{MakeColour(0, 0, 0), 1, StrokeMode::Invert}));
    EXPECT_EQ(views.controls.centre[0], "140 (0x8C)");
    EXPECT_EQ(views.controls.centre[1], "060 (0x3C)");

    // A centre closer than srcW / 2 to the left border: the view stays as it was.
    const DrawList before = views.Zoom().picture;
    views.ImageBigMouseMove(window, 13, 60);
    EXPECT_EQ(window.zoomCentre, (Point{-27, 50}));
    ASSERT_NE(ZoomStretch(), nullptr);
    EXPECT_EQ(ZoomStretch()->source, (ZoomRect{126, 51, 29, 18}));
    EXPECT_EQ(views.Zoom().picture.size(), before.size());
    EXPECT_EQ(window.zoomSource, (ZoomRect{126, 51, 29, 18}));
    EXPECT_EQ(views.controls.centre[0], "140 (0x8C)");
    EXPECT_EQ(Count(ZoomLine), 2);

    views.ImageBigMouseUp(window, 13, 60);
    EXPECT_FALSE(window.dragging);
    views.ImageBigMouseMove(window, 300, 200);
    EXPECT_EQ(window.zoomCentre, (Point{-27, 50}));  // no longer dragging
    EXPECT_TRUE(cornerCalls.empty());
}

TEST_F(ImageViewsTest, AnotherWindowWhoseRegionLiesOutsideClearsTheZoomInsteadOfRepaintingIt) {
    TChildImage& first = ReadyWindow(600, 400);
    views.ImageBigMouseDown(first, 100, 50);
    TChildImage& second = ReadyWindow(300, 200);
    second.zoomCentre = {5, 5};
    views.WindowActivated(second);
    EXPECT_EQ(ZoomStretch(), nullptr);
    EXPECT_EQ(views.ZoomImage(), nullptr);
    EXPECT_EQ(views.controls.centre[0], "");
    // Back on the first window its region is drawn again, from its own pixels.
    windows.Activate(first);
    views.WindowActivated(first);
    EXPECT_EQ(views.ZoomImage(), &first.image);
}

TEST_F(ImageViewsTest, MovingShowsThePixelPositionInTheStatusBar) {
    TChildImage& window = ReadyWindow(600, 400);
    views.ImageBigMouseMove(window, 12, 345);
    EXPECT_EQ(host.panels[5], "Pixel: ");
    EXPECT_EQ(host.panels[6], "(0012, 0345)");
    views.ImageBigMouseMove(window, 12345, 7);
    EXPECT_EQ(host.panels[6], "(12345, 0007)");
}

TEST_F(ImageViewsTest, ReleaseInTheSetCornersModeSetsACornerWithTheClientSize) {
    TChildImage& window = ReadyWindow(600, 400, {0, 0, 320, 240});
    window.setCornerMode = true;
    views.ImageBigMouseDown(window, 200, 100);
    views.ImageBigMouseUp(window, 210, 110);
    EXPECT_FALSE(window.dragging);
    ASSERT_EQ(cornerCalls.size(), 1u);
    EXPECT_EQ(cornerCalls[0], (std::array<int, 4>{210, 110, 320, 240}));
}

TEST_F(ImageViewsTest, NothingIsDrawnOrLoggedForAWindowThatIsNotReady) {
    TChildImage& window = ReadyWindow(600, 400);
    window.ready = false;
    views.ImageBigMouseDown(window, 100, 100);
    views.MapOriToOver();
    EXPECT_EQ(ZoomStretch(), nullptr);
    EXPECT_FALSE(window.sourceRectDrawn);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(ImageViewsTest, OverviewMarkFollowsTheVisiblePartAndRedrawsTheZoom) {
    TChildImage& window = ReadyWindow(2480, 1750, {505, 130, 600, 400});
    window.zoomCentre = {300, 200};
    views.MapOriToOver();
    EXPECT_EQ(views.LastMark(), (ZoomRect{50, 10, 60, 30}));
    ASSERT_TRUE(views.Overview().mark);
    EXPECT_EQ(views.Overview().mark->from, (Point{50, 10}));
    EXPECT_TRUE(window.overviewMarkDrawn);
    EXPECT_EQ(window.zoomSource, (ZoomRect{791, 321, 29, 18}));
    EXPECT_EQ(Count(MapLine), 1);
    EXPECT_EQ(Count(ZoomLine), 1);

    // Putting the overview bitmap in covers the mark.
    window.overview = ScanBitmap(236, 131);
    views.DrawOverview(window);
    EXPECT_FALSE(views.Overview().mark);
    EXPECT_FALSE(window.overviewMarkDrawn);
    EXPECT_EQ(views.Overview().bitmap.Width(), 236);
    const auto lines = log.Lines();
    EXPECT_EQ(lines.back().rfind("DBG: call to 'ChildImage.DrawOverview()'  ( file ImageChild, line ", 0), 0u);

    imageOpen = false;
    views.MapOriToOver();
    EXPECT_EQ(Count(MapLine), 1);
}

TEST_F(ImageViewsTest, ImageSmallerThanTheOverviewGetsAMarkWithoutDividingByZero) {
    TChildImage& window = ReadyWindow(100, 50, {0, 0, 100, 50});
    window.zoomCentre = {50, 25};
    views.MapOriToOver();
    EXPECT_EQ(views.LastMark(), (ZoomRect{0, 0, 236, 131}));
    EXPECT_TRUE(window.overviewMarkDrawn);
}

TEST_F(ImageViewsTest, OverviewNavigationWithTheLeftButtonWhileAnImageIsOpen) {
    TChildImage& window = ReadyWindow(2480, 1750, {0, 0, 600, 400});
    views.MapOriToOver();  // mark 60 x 30
    views.OverviewMouseDown(MouseButton::Right, 130, 45);
    EXPECT_FALSE(views.OverviewDragging());
    EXPECT_EQ(window.viewport.scrollX, 0);

    views.OverviewMouseDown(MouseButton::Left, 130, 45);
    EXPECT_TRUE(views.OverviewDragging());
    EXPECT_EQ(window.viewport.scrollX, 1050);
    EXPECT_EQ(window.viewport.scrollY, 400);
    views.OverviewMouseMove(40, 20);
    EXPECT_EQ(window.viewport.scrollX, 105);  // (40 - 30) / 236 * 2480
    EXPECT_EQ(window.viewport.scrollY, 66);   // (20 - 15) / 131 * 1750
    views.OverviewMouseUp();
    views.OverviewMouseMove(130, 45);
    EXPECT_EQ(window.viewport.scrollX, 105);

    imageOpen = false;
    views.OverviewMouseDown(MouseButton::Left, 130, 45);
    EXPECT_FALSE(views.OverviewDragging());
    EXPECT_EQ(window.viewport.scrollX, 105);
}

TEST_F(ImageViewsTest, TrackBarAndRasterBoxReachTheCurrentWindowOnlyWhileAnImageIsOpen) {
    TChildImage& window = ReadyWindow(600, 400);
    window.zoomCentre = {100, 100};
    struct Case {
        bool open;
        int position;
        std::string label;
        int factor;
    };
    const Case cases[] = {
        {false, 12, "  x12", 8},
        {true, 12, "  x12", 12},
        {true, 1, "  x2", 2},
        {true, 30, "  x25", 25},
    };
    for (const Case& c : cases) {
        imageOpen = c.open;
        views.controls.trackBarZoom = c.position;
        views.TrackBarZoomChange();
        EXPECT_EQ(views.controls.lblZoomfactor, c.label);
        EXPECT_EQ(window.zoomFactor, c.factor) << c.position;
    }
    ASSERT_NE(ZoomStretch(), nullptr);
    EXPECT_EQ(ZoomStretch()->source.width, 236 / 25);

    views.controls.showRaster.checked = true;
    imageOpen = false;
    views.TTabZoomCheckBoxShowRasterClick();
    EXPECT_FALSE(window.zoomGrid);
    imageOpen = true;
    views.TTabZoomCheckBoxShowRasterClick();
    EXPECT_TRUE(window.zoomGrid);
}

TEST_F(ImageViewsTest, ActivationTakesTheWindowsZoomStateAndShowsIt) {
    TChildImage& first = ReadyWindow(600, 400);
    first.zoomFactor = 5;
    first.zoomGrid = true;
    first.zoomCentre = {100, 100};
    first.overview = ScanBitmap(236, 131);
    TChildImage& second = windows.Create();  // still loading
    windows.Activate(first);
    views.WindowActivated(first);
    EXPECT_EQ(views.controls.trackBarZoom, 5);
    EXPECT_EQ(views.controls.lblZoomfactor, "  x5");
    EXPECT_TRUE(views.controls.showRaster.checked);
    EXPECT_FALSE(views.Overview().bitmap.Empty());
    EXPECT_TRUE(views.Overview().mark);
    EXPECT_NE(ZoomStretch(), nullptr);

    windows.Activate(second);
    views.WindowActivated(second);
    EXPECT_EQ(views.controls.trackBarZoom, 8);
    EXPECT_FALSE(views.controls.showRaster.checked);
    EXPECT_TRUE(views.Overview().bitmap.Empty());
    EXPECT_FALSE(views.Overview().mark);
    EXPECT_EQ(ZoomStretch(), nullptr);
}

TEST_F(ImageViewsTest, WindowSizeScrollAndOverviewSize) {
    TChildImage& window = windows.Create();
    views.ImageWindowResize(window, 401, 301);
    EXPECT_EQ(window.zoomCentre, (Point{200, 150}));
    views.ImageWindowResize(window, 800, 600);
    EXPECT_EQ(window.zoomCentre, (Point{200, 150}));
    EXPECT_EQ(window.viewport.clientWidth, 800);
    views.ImageWindowScroll(window, 0, -5);
    EXPECT_EQ(window.viewport.scrollX, 0);
    EXPECT_EQ(window.viewport.scrollY, 0);
    views.ImageWindowScroll(window, 30, 40);
    EXPECT_EQ(window.viewport.scrollY, 40);

    views.SetOverviewSize({120, 90});
    EXPECT_EQ(views.Overview().size, (ViewSurface{133, 100}));
    views.SetOverviewSize({300, 140});
    EXPECT_EQ(views.Overview().size, (ViewSurface{300, 140}));
}

}  // namespace
}  // namespace calvix
