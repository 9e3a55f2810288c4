// The zoom view and the overview of the current image window, their controls and mouse
// handling. The marks that the windows invert on screen are kept here as overlays, so taking
// one off is dropping it and a stale mark can never be left behind.
#include "views/ImageViews.h"

#include "app/FormStatus.h"
#include "views/OverviewMark.h"

#include <algorithm>
#include <cstdio>

namespace calvix {
namespace {

constexpr int PixelLabelPanel = 5;
constexpr int PixelPositionPanel = 6;

std::string ZoomFactorLabel(int factor) {
    char label[24];
    std::snprintf(label, sizeof label, "  x%d", factor);
    return label;
}

}  // namespace

void ImageViews::UpdateZoom(TChildImage& window) {
    if (!window.ready) return;
    LogStatus("ChildImage.UpdateZoom() executing ... '");
    const ZoomLayout layout = ComputeZoomLayout(zoom_.size, window.zoomFactor);
    const std::optional<ZoomRect> source =
        ZoomSource(layout, window.zoomCentre, window.viewport, window.image.Width(), window.image.Height());
    if (!source) {
        // Unchanged means this window's last region; another window's would be painted from
        // this window's pixels, with the other's read-outs.
        if (zoomShows_ != &window) ClearZoom();
        return;
    }

    zoomShows_ = &window;
    window.sourceRectDrawn = false;  // the focus rectangle leaves its old place ...
    window.zoomSource = *source;
    zoom_.picture = ZoomPicture(layout, *source, zoom_.size, controls.showRaster.checked);
    const ZoomReadOuts readOuts = ReadOutsAt(window.image, ZoomCentrePixel(*source));
    controls.centre = readOuts.centre;
    controls.centreRegion = readOuts.region;
    window.sourceRectDrawn = true;  // ... and shows the new source
}

void ImageViews::DrawOverview(TChildImage& window) {
    CALVIX_LOG_DBG(unit::ImageChild, "ChildImage.DrawOverview()");
    overview_.bitmap = window.overview ? *window.overview : ScanBitmap{};
    // The new picture covers the old mark.
    overview_.mark.reset();
    window.overviewMarkDrawn = false;
}

void ImageViews::MapOriToOver() {
    TChildImage* window = c_.windows.ChildImage();
    if (!c_.imageOpen || window == nullptr || !window->ready) return;
    LogStatus("executing MapOriToOver() ...");
    const std::optional<OverviewRatio> ratio =
        OverviewRatioFor(window->image.Width(), window->image.Height(), overview_.size);
    if (!ratio) return;
    const ZoomRect mark = OverviewMarkFor(*ratio, window->viewport);
    if (window->overviewMarkDrawn) overview_.mark.reset();
    overview_.mark = OverviewMarkFrame(mark, overview_.size);
    lastMark_ = mark;
    window->overviewMarkDrawn = true;
    UpdateZoom(*window);
}

void ImageViews::ClearZoom() {
    zoom_.picture = {FillCommand{{0, 0, zoom_.size.width, zoom_.size.height}, ViewCleared}};
    controls.centre = {};
    controls.centreRegion = {};
    zoomShows_ = nullptr;
}

void ImageViews::ClearImageViews() {
    ClearZoom();
    overview_.bitmap = ScanBitmap{};
    overview_.mark.reset();
}

void ImageViews::WindowActivated(TChildImage& window) {
    controls.trackBarZoom = window.zoomFactor;
    controls.lblZoomfactor = ZoomFactorLabel(window.zoomFactor);
    controls.showRaster.checked = window.zoomGrid;
    // A window still waiting for its picture has nothing to show yet.
    if (!window.ready) {
        ClearImageViews();
        return;
    }
    DrawOverview(window);
    MapOriToOver();
}

void ImageViews::SetZoomSize(ViewSurface size) {
    zoom_.size = {std::max(size.width, 0), std::max(size.height, 0)};
}

void ImageViews::SetOverviewSize(ViewSurface size) {
    overview_.size = {std::max(size.width, MinOverviewSize.width), std::max(size.height, MinOverviewSize.height)};
}

void ImageViews::ImageWindowResize(TChildImage& window, int clientWidth, int clientHeight) {
    ImageViewport& viewport = window.viewport;
    const bool firstSize = viewport.clientWidth == 0 && viewport.clientHeight == 0;
    viewport.clientWidth = std::max(clientWidth, 0);
    viewport.clientHeight = std::max(clientHeight, 0);
    if (firstSize) window.zoomCentre = {viewport.clientWidth / 2, viewport.clientHeight / 2};
    if (&window == c_.windows.ChildImage()) MapOriToOver();
}

void ImageViews::ImageWindowScroll(TChildImage& window, int scrollX, int scrollY) {
    window.viewport.scrollX = std::max(scrollX, 0);
    window.viewport.scrollY = std::max(scrollY, 0);
}

void ImageViews::ImageBigMouseDown(TChildImage& window, int x, int y, bool activates) {
    // A corner is set by a click the operator aims at the picture of the current window in the
    // set-corners mode; a click that only reaches the window, or the program, moves none.
    window.cornerPressArmed = window.setCornerMode && !activates && &window == c_.windows.ChildImage();
    window.zoomCentre = {x - window.viewport.scrollX, y - window.viewport.scrollY};
    UpdateZoom(window);
    window.dragging = true;
}

void ImageViews::ImageBigMouseMove(TChildImage& window, int x, int y) {
    c_.host.SetStatusPanel(PixelLabelPanel, "Pixel: ");
    char position[40];
    std::snprintf(position, sizeof position, "(%04d, %04d)", x, y);
    c_.host.SetStatusPanel(PixelPositionPanel, position);
    if (!window.dragging) return;
    window.zoomCentre = {x - window.viewport.scrollX, y - window.viewport.scrollY};
    UpdateZoom(window);
}

void ImageViews::ImageBigMouseUp(TChildImage& window, int x, int y) {
    window.dragging = false;
    const bool armed = window.cornerPressArmed;
    window.cornerPressArmed = false;
    // Setting the corner redraws the zoom view as its last step.
    if (armed && window.setCornerMode && c_.setCornerAt) {
        c_.setCornerAt(window, x, y, window.viewport.clientWidth, window.viewport.clientHeight);
    }
}

void ImageViews::ScrollToOverviewPoint(int x, int y) {
    TChildImage* window = c_.windows.ChildImage();
    if (window == nullptr) return;
    const Point scroll = ScrollForOverviewPoint(x, y, lastMark_, overview_.size, window->image.Width(),
                                                window->image.Height(), window->viewport);
    window->viewport.scrollX = scroll.x;
    window->viewport.scrollY = scroll.y;
}

void ImageViews::OverviewMouseDown(MouseButton button, int x, int y) {
    if (!c_.imageOpen || button != MouseButton::Left) return;
    overviewDragging_ = true;
    ScrollToOverviewPoint(x, y);
}

void ImageViews::OverviewMouseMove(int x, int y) {
    if (overviewDragging_) ScrollToOverviewPoint(x, y);
}

void ImageViews::OverviewMouseUp() { overviewDragging_ = false; }

void ImageViews::TrackBarZoomChange() {
    controls.trackBarZoom = ClampZoomFactor(controls.trackBarZoom);
    controls.lblZoomfactor = ZoomFactorLabel(controls.trackBarZoom);
    TChildImage* window = c_.windows.ChildImage();
    if (!c_.imageOpen || window == nullptr) return;
    window->zoomFactor = controls.trackBarZoom;
    UpdateZoom(*window);
}

void ImageViews::TTabZoomCheckBoxShowRasterClick() {
    TChildImage* window = c_.windows.ChildImage();
    if (!c_.imageOpen || window == nullptr) return;
    window->zoomGrid = controls.showRaster.checked;
    UpdateZoom(*window);
}

}  // namespace calvix
