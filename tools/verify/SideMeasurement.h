// One side of a verification: the chart found and checked exactly as a calibration run does,
// then its grey wedge and colour patches measured against the reference.
#pragma once

#include "ColourEncoding.h"
#include "QualityNames.h"
#include "ReferenceBatch.h"
#include "analysis/ChartCheck.h"
#include "analysis/Point.h"
#include "analysis/ScanBitmap.h"
#include "profiling/ChartPatches.h"
#include "quality/SideQuality.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace calvix::verify {

// The side's colour patches as read for the report, named by the encoding they were read through.
struct ColourPatchSummary {
    std::string encoding;                     // ColourReading::Text()
    std::string encodingKind;                 // ColourReading::KindKey()
    std::string profilePath;                  // when read through a profile
    ProfileFigures figures;                   // mean, max, nearest-rank 90th percentile, worst patch
    std::vector<ColourPatchReading> patches;  // row-major, A1..A22, B1..L22
};

// A profile made from this side's scan (--profile-out).
struct MadeProfile {
    std::string path;   // where it was stored; empty when it could not be made
    std::string error;  // why not
    std::string kind;   // "shaper/matrix" or "shaper/table"
    ProfileFigures fit;
};

// The chart check was never reached (the scan is missing or unreadable).
inline constexpr int ChartNotChecked = 1;

struct SideResult {
    std::string name;      // "front" or "rear"
    std::string scanPath;  // the file the scan was read from or kept in; empty when none
    std::string error;     // why the side could not be measured
    int chartCode = ChartNotChecked;  // the chart check's result
    std::vector<std::string> messages;  // what the chart check would have shown the operator
    std::array<Point, 4> corners{};     // upper left, upper right, lower left, lower right
    GreyColours measured{};
    GreyColours reference{};
    GreyEvaluation grey;
    ColourPatchSummary colour;
    std::optional<ChartMeasurement> chartPatches;  // kept when a profile is to be made from the scan
    std::optional<MadeProfile> madeProfile;
    int fadgiToneStars = 0;
    int fadgiWhiteBalanceStars = 0;
    std::string isoToneLevel;
    // Every image-quality figure of the side, graded; none when the side was not measured.
    std::optional<quality::SideQuality> quality;
    std::string qualityError;  // why there are no figures although the chart was measured

    // The chart was found and its greys sampled. A wedge that failed the calibration's grey
    // check is still measured, so the verdict can name its patches; such a side never passes.
    bool Measured() const { return error.empty() && (chartCode == 0 || chartCode == ChartGreyWedgeFailed); }
    bool Passed() const { return Measured() && chartCode == 0 && grey.pass; }
};

struct MeasureContext {
    const GreyTable& referenceGreys;
    const ReferenceEncoding& encoding;
    const ReferenceBatch& batch;
    GreyThresholds thresholds;
    std::string workFolder;  // the chart check's helper image goes here
    int gwTolerance = 20;
    int blackThreshold = 25;
    bool keepChartPatches = false;  // a profile is made from each measured side
    quality::SamplingRateOptions sampling{};
    // Blank pages for the illumination non-uniformity, front and rear; null: none scanned.
    std::array<const ScanBitmap*, 2> blankPages{};
};

// scan: the image to check; when null, scanPath is read (BMP or JPEG). colour: how the side's
// colour patches are read.
SideResult MeasureSide(const ScanBitmap* scan, const std::string& scanPath, bool front, const MeasureContext& context,
                       const ColourReading& colour);

// Meaning of a chart check result, for people.
std::string ChartCodeMeaning(int code);

}  // namespace calvix::verify
