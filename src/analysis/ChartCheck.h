// ChartAnalysis: the main window's chart operations on image windows — the automatic chart
// check of a scanned side (frame search, box geometry, grey wedge), the raster display, and
// setting the four corners by hand. TMainFormular forwards its handlers of the same names here.
#pragma once

#include "analysis/ImageWindows.h"
#include "analysis/It8frame.h"
#include "analysis/PatchSampling.h"
#include "app/MainFormControls.h"

#include <array>
#include <cstdint>
#include <string>

namespace calvix {

class Desktop;
class ImageHost;
class TAppStrings;

// Return codes of CheckIt8Scan besides 0; geometry failures add up.
inline constexpr int ChartCornersNotFound = -1;
inline constexpr int ChartDxMismatch = -100;
inline constexpr int ChartDyMismatch = -200;
inline constexpr int ChartNotLandscape = -300;
inline constexpr int ChartGreyWedgeFailed = -1000;

// The three checks on the found box; a difference equal to its limit passes.
struct BoxGeometryVerdict {
    bool dxMismatch = false;
    bool dyMismatch = false;
    bool notLandscape = false;
    int Code() const {
        return (dxMismatch ? ChartDxMismatch : 0) + (dyMismatch ? ChartDyMismatch : 0) +
               (notLandscape ? ChartNotLandscape : 0);
    }
};
BoxGeometryVerdict CheckBoxGeometry(Point topLeft, Point topRight, Point bottomLeft, Point bottomRight);

// Where the chart check saves a side's helper image: folder + "/Help_front.bmp" or "/Help_rear.bmp".
std::string HelperFilePath(const std::string& folder, bool front);

// Every channel within tolerance of the truncated mean of the three.
bool IsGrey(PackedColour colour, int tolerance);

// The reference's greys GS0..GS23, red, green, blue on a 0-255 scale (as the reference conversion
// gives them).
using WedgeReference = std::array<std::array<float, 3>, GreyPatchCount>;

// The tested patches of a sampled wedge get darker from GS0 on: over the light half (GS0 to
// GS10) each darker than the one two before it, and from GS0 to GS10 and to GS19 falling by at
// least half as many levels as the reference's greys fall there.
bool WedgeFalls(const GreyPatchTable& table, const WedgeReference& reference);

// Every tested patch grey within the tolerance, and the wedge falling (above).
bool WedgeIsGrey(const GreyPatchTable& table, int tolerance, const WedgeReference& reference);

// The chart check on given corners and picture, as the wizard's check decides: 0, or the codes
// of CheckIt8Scan. Touches no window and not the run's grey table, so a view can ask it.
int CheckChartAt(const ScanBitmap& picture, const std::array<Point, 5>& slots, int tolerance,
                 const WedgeReference& reference);

// "Set" serves every window that holds a picture, also after its corners were set once: a
// corner set by mistake must stay correctable (only "Set auto" serves once per run).
inline bool SetCornerButtonEnabled(const TChildImage& window) { return !window.image.Empty() || window.setCornerMode; }

// A corner label of the IT8 chart page: LabelIT8CUR, LabelIT8CUL, LabelIT8CLL, LabelIT8CLR.
struct CornerLabel {
    std::string text;
    bool visible = false;
};

// What the chart operations reach in the main window; all owned by it and outliving this.
struct ChartContext {
    ImageWindows& windows;
    ImageHost& host;
    Desktop& desktop;
    const TAppStrings& strings;
    // "Show Raster and Colors", "Set", "Set auto" and "Store" live among these.
    MainFormControls& controls;
    const std::string& dataFolder;
    // Read at each use, so a changed setting takes effect at the next check.
    const std::int32_t& gwTolerance;
    const std::int32_t& blackThreshold;
    // What the grey wedge is held to: the reference in use, read at each check.
    const WedgeReference& referenceGreys;
    // The main window's count of open image windows, raised for each helper window; none when
    // the caller keeps no count (headless tools).
    int* imageCount = nullptr;
};

class ChartAnalysis {
public:
    explicit ChartAnalysis(ChartContext context) : c_(context) {}

    // Analyses the given window, or the current one when none is given.
    int CheckIt8Scan(TChildImage* window, bool front);
    int CheckGreyWedge();
    // The chart check on the corners a window holds, however they were set (by hand, or by an
    // earlier search): found, the box's geometry, the grey wedge under the raster. 0 or the
    // codes of CheckIt8Scan; no message, no helper image. Works on the current window.
    int CheckCornersInForce();
    bool IsGrey(PackedColour colour) const { return calvix::IsGrey(colour, c_.gwTolerance); }

    // sender: the identity of the control (or caller) for the window trace line.
    void CheckBoxTTabIT8ShowRasterClick(std::uintptr_t sender);
    void TTabButtonSetMarkerClick();
    // A mouse-up at image position (x, y); the client size is that of the window's visible
    // area, whose halves choose the corner slot.
    void SetCornerAt(TChildImage& window, int x, int y, int clientWidth, int clientHeight);
    void TTabButtonSetAutoClick();

    // Slot 1..4 (upper right, upper left, lower left, lower right); index 0 is not used.
    std::array<CornerLabel, 5> cornerLabels{};

private:
    int FailDetection(TChildImage& helper, const std::string& helperPath, int code);
    void MarkFrame(TChildImage& helper, const ChartFrame& frame);
    void UpdateCornersPending(TChildImage& window);

    ChartContext c_;
};

}  // namespace calvix
