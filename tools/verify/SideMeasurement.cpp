// The chart check runs on the same objects the program uses (image windows, ChartAnalysis) with
// a headless desktop; its message boxes are kept as text for the report.
#include "SideMeasurement.h"

#include "QualityNames.h"
#include "analysis/ChartCheck.h"
#include "analysis/ImageWindows.h"
#include "analysis/WedgeSampling.h"
#include "app/Clock.h"
#include "app/MainFormControls.h"
#include "app/Strings.h"
#include "calibration/ReferenceColours.h"
#include "it8ref/It8Ref.h"
#include "platform/HeadlessDesktop.h"
#include "quality/ReferenceLab.h"
#include "platform/HeadlessImageHost.h"

namespace calvix::verify {

namespace {

// The English texts, as the program shows them without a language setting.
constexpr int EnglishTextBase = 10000;

void MeasureQuality(const TChildImage& window, bool front, const MeasureContext& context, const ColourReading& colour,
                    SideResult& side) {
    quality::SideQualityInput input;
    input.chart = window.originalImage ? window.originalImage.get() : &window.image;
    input.cornerSlots = window.cornerSlots;
    input.referenceGreys = quality::ReferenceGreyLab(It8Reference());
    input.referencePatches = context.batch.lab;
    input.decode = [colour](double r, double g, double b) { return colour.Read({r, g, b}); };
    input.decoderName = colour.Text();
    input.blankPage = context.blankPages[front ? 0 : 1];
    input.sampling = context.sampling;
    quality::SideQuality figures;
    if (quality::MeasureSideQuality(input, &figures, &side.qualityError)) {
        side.colour.figures = figures.colour.figures;
        side.colour.patches = figures.colour.patches;
        side.quality = std::move(figures);
    }
    side.colour.encoding = colour.Text();
    side.colour.encodingKind = colour.KindKey();
    side.colour.profilePath = colour.ProfilePath();
}

}  // namespace

std::string ChartCodeMeaning(int code) {
    if (code == 0) return "chart found and checked";
    if (code == ChartNotChecked) return "not checked";
    if (code == ChartCornersNotFound) return "corners of the chart's bounding box not found";
    if (code == ChartGreyWedgeFailed) return "grey wedge check failed (a patch is not grey, or the wedge does not darken)";
    if (code <= -100 && code >= -600) return "geometry of the chart's bounding box failed";
    return "unknown result";
}

SideResult MeasureSide(const ScanBitmap* scan, const std::string& scanPath, bool front, const MeasureContext& context,
                       const ColourReading& colour) {
    SideResult side;
    side.name = front ? "front" : "rear";
    side.scanPath = scanPath;

    HeadlessImageHost host;
    HeadlessDesktop desktop;
    TAppStrings strings{EnglishTextBase};
    MainFormControls controls;
    ImageWindows windows{ImageServices{host, SystemClock(), nullptr}};
    const std::int32_t gwTolerance = context.gwTolerance;
    const std::int32_t blackThreshold = context.blackThreshold;

    TChildImage& window = windows.Create();
    window.isFront = front;
    if (front) windows.SetFrontWindow(&window);
    else windows.SetRearWindow(&window);
    if (scan != nullptr) {
        window.ScanChildImage(scanPath, *scan);
    } else if (window.LoadChildImage(scanPath) != 0 || window.image.Empty()) {
        side.error = "cannot read scan '" + scanPath + "' as a BMP or JPEG picture (" + window.loadError + ")";
        return side;
    }

    ChartAnalysis chart(ChartContext{windows, host, desktop, strings, controls, context.workFolder, gwTolerance,
                                     blackThreshold, context.referenceGreys});
    side.chartCode = chart.CheckIt8Scan(&window, front);
    for (const HeadlessDesktop::Message& message : desktop.messages) side.messages.push_back(message.text);
    side.corners = {window.cornerSlots[SlotUpperLeft], window.cornerSlots[SlotUpperRight],
                    window.cornerSlots[SlotLowerLeft], window.cornerSlots[SlotLowerRight]};
    if (!side.Measured()) return side;

    // The calibration's own sampling of the wedge, at the raster the check has just drawn.
    GreyPatchTable table{};
    SampleGreyWedge(window, table);
    for (std::size_t k = 0; k < table.size(); ++k) side.measured[k] = table[k].measured;
    side.reference = ReferenceColoursOf(context.referenceGreys);
    side.grey = EvaluateGreys(side.measured, side.reference, context.encoding, context.thresholds);
    side.fadgiToneStars = quality::FadgiToneStars(side.grey.maxAbsDeltaL);
    side.isoToneLevel = quality::IsoToneLevel(side.grey.maxAbsDeltaL);
    side.fadgiWhiteBalanceStars = quality::FadgiWhiteBalanceStars(side.grey.maxDeltaAb);
    MeasureQuality(window, front, context, colour, side);
    // The scan came through the tables in force, so its values are already what the device
    // delivers: no tables are applied again.
    if (context.keepChartPatches)
        side.chartPatches = MeasureChartPatches(window.image, window.cornerSlots, It8Reference());
    return side;
}

}  // namespace calvix::verify
