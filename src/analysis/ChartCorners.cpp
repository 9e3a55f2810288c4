// The raster display and the manual corner setting of the IT8 chart page: the "Show Raster
// and Colors" check box, the "Set" mode with its corner clicks, and the one-shot "Set auto".
#include "analysis/ChartCheck.h"

#include "analysis/Drawing.h"
#include "analysis/ImageHost.h"
#include "app/FormStatus.h"

#include <cstdio>
#include <optional>

namespace calvix {

namespace {

constexpr int RasterPenWidth = 5;
constexpr PackedColour RasterColour = MakeColour(255, 0, 0);
constexpr int CornerMarkerHalfSize = 5;

}  // namespace

void ChartAnalysis::CheckBoxTTabIT8ShowRasterClick(std::uintptr_t sender) {
    CALVIX_LOG_VCL(unit::MainForm, LogWriter.Printf("Event IT8ShowRaster 'On Click'. (Sender= 0x%lX",
                                                    static_cast<unsigned long>(sender)));
    TChildImage* window = c_.windows.ChildImage();
    if (window == nullptr || !c_.controls.showRasterAndColors.checked) return;
    // The pen is passed per drawing call, so there is no canvas pen to save and restore.
    Pen pen;
    pen.colour = RasterColour;
    pen.width = RasterPenWidth;
    // The raster is drawn on the picture as it was scanned, so that a raster of earlier corners
    // and the markers do not stay beside the new one (painted greys go too: they belong to the
    // corners of the last Store).
    if (window->originalImage) window->image = *window->originalImage;
    window->raster = RasterGeometry::FromCorners(window->cornerSlots);
    for (const RasterLine& line : RasterLines(window->cornerSlots, window->raster)) {
        DrawLine(window->image, line.from, line.to, pen);
    }
}

void ChartAnalysis::UpdateCornersPending(TChildImage& window) {
    if (window.cornersValid) window.cornersPending = false;
    c_.controls.setCornerButton.enabled = SetCornerButtonEnabled(window);
}

// The view shows the cross cursor while the current window's setCornerMode is on.
void ChartAnalysis::TTabButtonSetMarkerClick() {
    TChildImage* window = c_.windows.ChildImage();
    if (window == nullptr) return;
    if (!window->setCornerMode) {
        // The corners are set on the unmarked picture with their markers, so that moving one
        // erases its own marker and no raster of the corners being changed stays in view; the
        // raster comes back when the mode is left.
        if (window->originalImage) {
            window->image = *window->originalImage;
            for (int s = SlotUpperRight; s <= SlotLowerRight; ++s) {
                const Point corner = window->cornerSlots[static_cast<std::size_t>(s)];
                if (corner.x > 0) DrawMarker(window->image, corner, CornerMarkerHalfSize, std::nullopt);
            }
        }
        window->setCornerMode = true;
        // "Set" and "Set auto" are one group: at most one of them is down.
        c_.controls.setCornerButton.checked = true;
        c_.controls.setAutoButton.checked = false;
        UpdateCornersPending(*window);
        LogStatus("Window Mode: Set corners IT8 chart", LogSta);
        return;
    }
    window->setCornerMode = false;
    c_.controls.setCornerButton.checked = false;
    UpdateCornersPending(*window);
    if (!window->cornersPending) c_.controls.storeButton.enabled = true;
    LogStatus("Window Mode: Normal mode", LogSta);
    CheckBoxTTabIT8ShowRasterClick(reinterpret_cast<std::uintptr_t>(&c_.controls.setCornerButton));
}

void ChartAnalysis::SetCornerAt(TChildImage& window, int x, int y, int clientWidth, int clientHeight) {
    if (!window.setCornerMode) return;
    const int halfWidth = clientWidth / 2;
    const int halfHeight = clientHeight / 2;
    int slot;
    if (x > halfWidth) {
        slot = y > halfHeight ? SlotLowerRight : SlotUpperRight;
    } else {
        slot = y > halfHeight ? SlotLowerLeft : SlotUpperLeft;
    }
    Point& corner = window.cornerSlots[static_cast<std::size_t>(slot)];
    // The inverting marker erases itself when drawn again at the same place.
    if (corner.x > 0) DrawMarker(window.image, corner, CornerMarkerHalfSize, std::nullopt);
    corner = Point{x, y};
    DrawMarker(window.image, corner, CornerMarkerHalfSize, std::nullopt);

    char text[32];
    std::snprintf(text, sizeof text, "(%d, %d)", x, y);
    cornerLabels[static_cast<std::size_t>(slot)] = CornerLabel{text, true};

    window.cornersValid = true;
    for (int s = SlotUpperRight; s <= SlotLowerRight; ++s) {
        const Point p = window.cornerSlots[static_cast<std::size_t>(s)];
        if (p.x < 0 || p.y < 0) window.cornersValid = false;
    }
    c_.controls.showRasterAndColors.enabled = window.cornersValid;
    c_.host.UpdateZoom(window);
}

void ChartAnalysis::TTabButtonSetAutoClick() {
    c_.controls.setCornerButton.checked = false;  // pressing "Set auto" releases "Set"
    CheckIt8Scan(nullptr, true);
    c_.controls.setAutoButton.checked = false;
    c_.controls.setAutoButton.enabled = false;
}

}  // namespace calvix
