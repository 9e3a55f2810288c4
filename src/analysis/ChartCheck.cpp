// The automatic chart check of one scanned side: helper image, frame search, box geometry,
// corners into the scan's window, raster, and the grey-wedge test; plus the wedge test itself.
#include "analysis/ChartCheck.h"

#include "analysis/Drawing.h"
#include "analysis/HelperImage.h"
#include "analysis/WedgeSampling.h"
#include "app/Desktop.h"
#include "app/FormStatus.h"
#include "app/Strings.h"

#include <cstdint>
#include <cstdlib>
#include <optional>

namespace calvix {

namespace {

// The chart check's lines also go to the splash list: the operator follows it there in the
// normal (wizard) mode.
constexpr std::uint32_t CheckErr = LogErrBarSplash;
constexpr std::uint32_t CheckSta = LogStaSplash;

constexpr int EdgeMarkerHalfSize = 3;
constexpr PackedColour EdgeMarkerColour = MakeColour(0, 128, 0);
constexpr PackedColour CornerMarkerColour = MakeColour(255, 0, 0);
// Patches 20 to 23 are too dark for a meaningful greyness test; they are sampled only.
constexpr int TestedGreyPatches = 20;
// Over the light half of the tested wedge every sensor resolves each two steps; towards the dark
// end a sensor's offset compresses the levels (real sides read their darkest six patches within
// a level of each other), so there only the fall as a whole counts.
constexpr int WedgeLightHalfEnd = TestedGreyPatches / 2;
// A sensor's gain or a calibration's stretch changes the wedge's fall by far less than half, and
// plain card does not fall at all. Taken from the reference, not from GWTolerance: the tolerance
// says how grey a patch must be, and its most lenient setting would ask for more fall than any
// wedge has.
constexpr double WedgeShareOfReferenceFall = 0.5;

// Differences and sums in 64 bits: corners of a degenerate frame can lie far outside the image.
bool SidesDiffer(std::int64_t a, std::int64_t b) {
    const std::int64_t difference = a > b ? a - b : b - a;
    return static_cast<double>(difference) > static_cast<double>(a + b) * 0.1 * 0.5;
}

}  // namespace

std::string HelperFilePath(const std::string& folder, bool front) {
    return folder + (front ? "/Help_front.bmp" : "/Help_rear.bmp");
}

BoxGeometryVerdict CheckBoxGeometry(Point tl, Point tr, Point bl, Point br) {
    const std::int64_t dxTop = static_cast<std::int64_t>(tr.x) - tl.x;
    const std::int64_t dxBottom = static_cast<std::int64_t>(br.x) - bl.x;
    const std::int64_t dyLeft = static_cast<std::int64_t>(bl.y) - tl.y;
    const std::int64_t dyRight = static_cast<std::int64_t>(br.y) - tr.y;
    BoxGeometryVerdict verdict;
    verdict.dxMismatch = SidesDiffer(dxTop, dxBottom);
    verdict.dyMismatch = SidesDiffer(dyLeft, dyRight);
    verdict.notLandscape = static_cast<double>(dxTop) < static_cast<double>(dyLeft) * 1.4;
    return verdict;
}

bool IsGrey(PackedColour colour, int tolerance) {
    const int r = RedOf(colour);
    const int g = GreenOf(colour);
    const int b = BlueOf(colour);
    const int mean = (r + g + b) / 3;
    for (int c : {r, g, b}) {
        if (std::abs(mean - c) > tolerance) return false;
    }
    return true;
}

bool WedgeFalls(const GreyPatchTable& table, const WedgeReference& reference) {
    auto level = [&table](int i) {
        const PackedColour c = table[static_cast<std::size_t>(i)].measured;
        return (RedOf(c) + GreenOf(c) + BlueOf(c)) / 3;
    };
    auto fallsEnough = [&](int last) {
        const auto& light = reference[0];
        const auto& dark = reference[static_cast<std::size_t>(last)];
        const double referenceFall = (light[0] + light[1] + light[2] - dark[0] - dark[1] - dark[2]) / 3.0;
        return level(0) - level(last) >= WedgeShareOfReferenceFall * referenceFall;
    };
    // Two steps apart, since neighbours may differ by less than a level; a stretch of plain card
    // is flat over any number of steps.
    for (int i = 2; i <= WedgeLightHalfEnd; ++i)
        if (level(i) >= level(i - 2)) return false;
    return fallsEnough(WedgeLightHalfEnd) && fallsEnough(TestedGreyPatches - 1);
}

int ChartAnalysis::CheckIt8Scan(TChildImage* window, bool front) {
    TChildImage* scan = window != nullptr ? window : c_.windows.ChildImage();
    // Without an open window holding a picture there is no box to find: reported like a
    // failed search, but with no helper window or file made from nothing.
    if (scan == nullptr || !c_.windows.Contains(scan) || scan->image.Empty()) {
        CALVIX_LOG_ERR(unit::MainForm, "Corners of bounding box not found!", CheckErr);
        c_.desktop.ShowMessage(c_.strings.MsgErrDetectIT8Fields.caption, c_.strings.MBoxTitleError.caption,
                               MessageButtons::Ok);
        LogStatus("  ... IT8 processing aborted!", CheckSta);
        return ChartCornersNotFound;
    }

    const std::string helperPath = HelperFilePath(c_.dataFolder, front);
    TChildImage& helper = c_.windows.Create();
    if (c_.imageCount != nullptr) ++*c_.imageCount;
    c_.windows.SetHelperWindow(&helper);
    helper.isFront = front;
    // The helper image is made straight into the new window and handed over in place, so no
    // third full-size copy exists beside the scan and the window's picture.
    helper.image = MakeHelperImage(scan->image, c_.blackThreshold);
    helper.HelpChildImage(helperPath, helper.image);

    ChartFrame frame;
    if (frame.BuildFrame(helper.image) != 0) {
        CALVIX_LOG_ERR(unit::MainForm, "Corners of bounding box not found!", CheckErr);
        return FailDetection(helper, helperPath, ChartCornersNotFound);
    }

    LogStatus("geometry check of IT8 bounding box ...", CheckSta);
    const Point tl = frame.corner(ChartFrame::TopLeft);
    const Point tr = frame.corner(ChartFrame::TopRight);
    const Point bl = frame.corner(ChartFrame::BottomLeft);
    const Point br = frame.corner(ChartFrame::BottomRight);
    const BoxGeometryVerdict verdict = CheckBoxGeometry(tl, tr, bl, br);
    if (verdict.dxMismatch) CALVIX_LOG_ERR(unit::MainForm, "  ... failed (dx top != dx bottom)!", CheckErr);
    if (verdict.dyMismatch) {
        CALVIX_LOG_ERR(unit::MainForm, "geometry check of IT8 bounding box failed (dy left != dy right)!", CheckErr);
    }
    if (verdict.notLandscape) {
        CALVIX_LOG_ERR(unit::MainForm, "geometry check of IT8 bounding box failed (orientation)!", CheckErr);
    }
    if (verdict.Code() != 0) return FailDetection(helper, helperPath, verdict.Code());

    LogStatus("  ...passed! Geometry of bounding box is ok.", CheckSta);
    MarkFrame(helper, frame);

    // The rear side's corners belong to the rear scan window; without one (no rear scan was
    // taken) they stay with the analysed window rather than being lost.
    TChildImage* target = front ? scan : c_.windows.RearWindow();
    if (target == nullptr) target = scan;
    target->cornerSlots[SlotUpperRight] = tr;
    target->cornerSlots[SlotUpperLeft] = tl;
    target->cornerSlots[SlotLowerLeft] = bl;
    target->cornerSlots[SlotLowerRight] = br;
    target->cornersValid = true;
    // The wedge check and the grey-scale correction sample at the stored raster geometry. The
    // raster display recomputes it only while "Show Raster and Colors" is on; with the option
    // off, stale (or never computed) geometry would sample beside the wedge and could pass
    // a wedge that is not grey. So it follows the new corners here in any case.
    target->raster = RasterGeometry::FromCorners(target->cornerSlots);

    helper.SaveImage(helperPath, BmpSaveMode::OverwriteInPlace);
    c_.windows.Activate(*scan);
    CheckBoxTTabIT8ShowRasterClick(reinterpret_cast<std::uintptr_t>(this));

    LogStatus("checking grey wedge  of IT8 target scan ...", CheckSta);
    if (CheckGreyWedge() != 0) {
        CALVIX_LOG_ERR(unit::MainForm, "  ...failed! In doubt consult Zelmar service!", CheckErr);
        c_.desktop.ShowMessage(c_.strings.MsgErrGreyWedge.caption, c_.strings.MBoxTitleError.caption,
                               MessageButtons::Ok);
        return ChartGreyWedgeFailed;
    }
    LogStatus("  ...passed! Grey wedge is ok!", CheckSta);
    return 0;
}

int ChartAnalysis::FailDetection(TChildImage& helper, const std::string& helperPath, int code) {
    c_.desktop.ShowMessage(c_.strings.MsgErrDetectIT8Fields.caption, c_.strings.MBoxTitleError.caption,
                           MessageButtons::Ok);
    LogStatus("  ... IT8 processing aborted!", CheckSta);
    // The message box runs a nested loop; the helper window may have been closed meanwhile.
    if (c_.windows.Contains(&helper)) helper.SaveImage(helperPath, BmpSaveMode::OverwriteInPlace);
    return code;
}

void ChartAnalysis::MarkFrame(TChildImage& helper, const ChartFrame& frame) {
    Pen edgePen;
    edgePen.colour = EdgeMarkerColour;
    for (int i = 0; i < ChartFrame::EdgePointCount; ++i) {
        DrawMarker(helper.image, frame.edgePoint(i), EdgeMarkerHalfSize, edgePen);
    }
    Pen cornerPen;
    cornerPen.colour = CornerMarkerColour;
    for (int i = 0; i < ChartFrame::CornerCount; ++i) {
        DrawMarker(helper.image, frame.corner(i), EdgeMarkerHalfSize, cornerPen);
    }
}

int ChartAnalysis::CheckCornersInForce() {
    const TChildImage* window = c_.windows.ChildImage();
    if (window == nullptr || !window->cornersValid) return ChartCornersNotFound;
    const auto& s = window->cornerSlots;
    const int geometry = CheckBoxGeometry(s[SlotUpperLeft], s[SlotUpperRight], s[SlotLowerLeft], s[SlotLowerRight]).Code();
    if (geometry != 0) return geometry;
    return CheckGreyWedge() == 0 ? 0 : ChartGreyWedgeFailed;
}

int ChartAnalysis::CheckGreyWedge() {
    TChildImage* window = c_.windows.ChildImage();
    if (window == nullptr) return -1;
    GreyPatchTable& table = GreyPatches();
    SampleGreyWedge(*window, table);
    return WedgeIsGrey(table, c_.gwTolerance, c_.referenceGreys) ? 0 : -1;
}

bool WedgeIsGrey(const GreyPatchTable& table, int tolerance, const WedgeReference& reference) {
    for (int i = 0; i < TestedGreyPatches; ++i) {
        if (!calvix::IsGrey(table[static_cast<std::size_t>(i)].measured, tolerance)) return false;
    }
    // Grey patch by patch is not enough: a box found a raster row short (blur and noise can end
    // the walk down a side line early) puts every sample on the plain card above the wedge, which
    // is grey throughout, and the tables would then be built from one grey. A wedge must fall.
    return WedgeFalls(table, reference);
}

int CheckChartAt(const ScanBitmap& picture, const std::array<Point, 5>& slots, int tolerance,
                 const WedgeReference& reference) {
    for (int s = SlotUpperRight; s <= SlotLowerRight; ++s) {
        const Point p = slots[static_cast<std::size_t>(s)];
        if (p.x < 0 || p.y < 0) return ChartCornersNotFound;
    }
    const int geometry =
        CheckBoxGeometry(slots[SlotUpperLeft], slots[SlotUpperRight], slots[SlotLowerLeft], slots[SlotLowerRight])
            .Code();
    if (geometry != 0) return geometry;
    GreyPatchTable table{};
    SampleGreyWedge(picture, slots, RasterGeometry::FromCorners(slots), table);
    return WedgeIsGrey(table, tolerance, reference) ? 0 : ChartGreyWedgeFailed;
}

}  // namespace calvix
