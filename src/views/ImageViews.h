// ImageViews: the main window's zoom view and overview of the current image window, the
// controls of the zoom page, and the mouse handling on the image and on the overview. It
// keeps what the two displays show as plain data, which the windows paint as it stands.
#pragma once

#include "analysis/ImageHost.h"
#include "analysis/ImageWindows.h"
#include "app/MainFormControls.h"
#include "views/DrawList.h"
#include "views/ZoomView.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace calvix {

// The zoom page: TrackBarZoom, LblZoomfactor, TTabZoomCheckBoxShowRaster and the read-outs
// TTabZoomLabelCenterR/G/B and TTabZoomLabelCenterRegR/G/B.
struct ZoomPageControls {
    int trackBarZoom = DefaultZoomFactor;
    std::string lblZoomfactor;
    CheckBoxState showRaster{false};
    std::array<std::string, 3> centre;
    std::array<std::string, 3> centreRegion;
};

// ImageZoom: painted over white; a redraw starts by filling the whole view with grey.
struct ZoomDisplay {
    ViewSurface size{236, 149};
    DrawList picture{FillCommand{{0, 0, 236, 149}, ViewCleared}};
};

// Overview: the bitmap at the top left on white, and the mark over it.
struct OverviewDisplay {
    ViewSurface size{236, 131};
    ScanBitmap bitmap;
    std::optional<FrameCommand> mark;
};

enum class MouseButton { Left, Right, Middle };

// What the views reach in the main window; owned by it and outliving this.
struct ImageViewsContext {
    ImageWindows& windows;
    ImageHost& host;  // status-bar panels
    const bool& imageOpen;
    // The chart page's corner setting for a mouse-up in the set-corners mode.
    std::function<void(TChildImage& window, int x, int y, int clientWidth, int clientHeight)> setCornerAt;
};

class ImageViews {
public:
    explicit ImageViews(ImageViewsContext context) : c_(std::move(context)) {}

    void UpdateZoom(TChildImage& window);
    void DrawOverview(TChildImage& window);
    // The mark of the current window's visible part on the overview; redraws the zoom view.
    void MapOriToOver();
    void ClearImageViews();
    // A window became current: the zoom page takes its values, both views show it.
    void WindowActivated(TChildImage& window);

    // The displays follow the main window's layout; the overview keeps its smallest size.
    void SetZoomSize(ViewSurface size);
    void SetOverviewSize(ViewSurface size);
    const ZoomDisplay& Zoom() const { return zoom_; }
    // The pixels the zoom picture's stretched copy comes from: those of the window it was
    // drawn for, whichever window is current now; none when it shows no region.
    const ScanBitmap* ZoomImage() const { return zoomShows_ ? &zoomShows_->image : nullptr; }
    const OverviewDisplay& Overview() const { return overview_; }

    // The image window's view reports its size and scroll positions.
    void ImageWindowResize(TChildImage& window, int clientWidth, int clientHeight);
    void ImageWindowScroll(TChildImage& window, int scrollX, int scrollY);

    // Mouse on the image, at image position (x, y). A press that brings its window to the
    // front or gives the program the focus (`activates`) is only that: its release sets no
    // corner, and neither does a release without a press in the same window.
    void ImageBigMouseDown(TChildImage& window, int x, int y, bool activates = false);
    void ImageBigMouseMove(TChildImage& window, int x, int y);
    void ImageBigMouseUp(TChildImage& window, int x, int y);

    // Mouse on the overview, at overview position (x, y); scrolls the current window.
    void OverviewMouseDown(MouseButton button, int x, int y);
    void OverviewMouseMove(int x, int y);
    void OverviewMouseUp();
    bool OverviewDragging() const { return overviewDragging_; }
    const ZoomRect& LastMark() const { return lastMark_; }

    void TrackBarZoomChange();
    void TTabZoomCheckBoxShowRasterClick();
    ZoomPageControls controls;

private:
    void ScrollToOverviewPoint(int x, int y);
    void ClearZoom();

    ImageViewsContext c_;
    ZoomDisplay zoom_;
    // Set only while its window is open: closing a window always clears the views.
    const TChildImage* zoomShows_ = nullptr;
    OverviewDisplay overview_;
    ZoomRect lastMark_;
    bool overviewDragging_ = false;
};

}  // namespace calvix
