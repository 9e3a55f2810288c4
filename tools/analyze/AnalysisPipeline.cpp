// The analysis pipeline: output folder and reference first (so bad input fails before any
// work), then each side through load, chart check and Store, then the record's header and file.
#include "AnalysisPipeline.h"

#include "BuildInfo.h"
#include "platform/HeadlessImageHost.h"
#include "analysis/ChartCheck.h"
#include "analysis/ImageWindows.h"
#include "app/AtomicFile.h"
#include "app/Clock.h"
#include "app/FormStatus.h"
#include "app/MainFormControls.h"
#include "app/Strings.h"
#include "calibration/CalibrationLut.h"
#include "calibration/GreyCorrection.h"
#include "calibration/StoreSide.h"
#include "it8ref/It8Ref.h"
#include "it8ref/ReferenceGrey.h"
#include "platform/HeadlessDesktop.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace calvix::analyze {

namespace {

// English texts, as the program shows them without a language setting.
constexpr int EnglishTextBase = 10000;
const char* const LutFileName = "CalibrationLut.bin";

std::string VersionText() {
    char text[48];
    std::snprintf(text, sizeof text, "v%d.%d.%d build#%d", CALVIX_VERSION_MAJOR, CALVIX_VERSION_MINOR,
                  CALVIX_VERSION_PATCH, CALVIX_VERSION_BUILD);
    return text;
}

// Creates the folder and proves it writable with a probe file, so a folder that would make
// the tables and the record silently disappear is reported before any work is done.
bool PrepareOutputFolder(const std::string& folder, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder)) {
        error = "cannot create output folder '" + folder + "'" + (ec ? ": " + ec.message() : std::string());
        return false;
    }
    const std::string probe = folder + "/.calvix-analyze-probe";
    std::string writeError;
    if (!WriteFileAtomically(probe, "probe", &writeError)) {
        error = "output folder '" + folder + "' is not writable: " + writeError;
        return false;
    }
    std::filesystem::remove(probe, ec);
    return true;
}

// A reference whose GS0 is not lighter than its GS23 in some channel gives no grey scale to
// aim at (the reference colours would divide by zero or run backwards).
bool ReferenceUsable(const GreyTable& greys) {
    for (int c = 0; c < 3; ++c) {
        const float light = greys[0][static_cast<std::size_t>(c)];
        const float dark = greys[23][static_cast<std::size_t>(c)];
        if (!std::isfinite(light) || !std::isfinite(dark) || !(light > dark)) return false;
    }
    return true;
}

bool LoadReference(const AnalyzeOptions& options, std::string& error) {
    TIT8Ref& reference = It8Reference();
    if (options.referenceFile.empty()) {
        ResetReferenceGrey();
        return true;
    }
    if (reference.LoadFile(options.referenceFile) != 0) {
        error = "cannot read IT8 reference file '" + options.referenceFile + "'";
        return false;
    }
    reference.SetChromaticAdaptation(options.adaptD65);
    reference.SetGamma(static_cast<float>(options.gamma));
    if (!ReferenceUsable(ReferenceGreyTable)) {
        error = "IT8 reference file '" + options.referenceFile +
                "' holds no usable grey wedge (GS0 must be lighter than GS23 in every channel)";
        return false;
    }
    return true;
}

bool NonDecreasing(const ChannelTable& table) { return std::is_sorted(table.begin(), table.end()); }

// Everything one side's analysis needs from the (absent) main window.
struct Session {
    HeadlessImageHost host;
    HeadlessDesktop desktop;
    TAppStrings strings{EnglishTextBase};
    MainFormControls controls;
    ImageWindows windows{ImageServices{host, SystemClock(), nullptr}};
    std::string dataFolder;
    std::int32_t gwTolerance = 20;
    std::int32_t blackThreshold = 25;
    GreyCorrection correction;
};

SideReport AnalyseSide(Session& session, const AnalyzeOptions& options, const std::string& path, bool front) {
    SideReport side;
    side.name = front ? "front" : "rear";
    side.scanPath = path;

    TChildImage& scan = session.windows.Create();
    scan.isFront = front;
    if (front) {
        session.windows.SetFrontWindow(&scan);
    } else {
        session.windows.SetRearWindow(&scan);
    }
    if (scan.LoadChildImage(path) != 0 || scan.image.Empty()) {
        side.loadError = "cannot read scan '" + path + "' as a BMP or JPEG picture";
        // The window keeps the decoder's reason among its information lines.
        for (const std::string& line : scan.infoLines) {
            if (line.rfind("Error: ", 0) == 0) side.loadError += " (" + line.substr(7) + ")";
        }
        session.windows.Close(scan);
        return side;
    }

    ChartAnalysis chart(ChartContext{session.windows, session.host, session.desktop, session.strings,
                                     session.controls, session.dataFolder, session.gwTolerance,
                                     session.blackThreshold});
    const std::size_t shownBefore = session.desktop.messages.size();
    side.code = chart.CheckIt8Scan(&scan, front);
    for (std::size_t i = shownBefore; i < session.desktop.messages.size(); ++i) {
        side.messages.push_back(session.desktop.messages[i].text);
    }
    side.cornersValid = scan.cornersValid;
    side.corners = {scan.cornerSlots[SlotUpperLeft], scan.cornerSlots[SlotUpperRight],
                    scan.cornerSlots[SlotLowerLeft], scan.cornerSlots[SlotLowerRight]};
    if (side.code == 0) {
        const StoreSideInputs inputs{ReferenceGreyTable, options.whiteAdaption,
                                     session.controls.showRasterAndColors.checked, session.dataFolder,
                                     session.controls};
        StoreSide(scan, inputs, session.correction, CalibrationLut);
        side.stored = true;
        side.measured = session.correction.Measured();
        side.reference = session.correction.ReferenceColours();
        for (std::size_t c = 0; c < 3; ++c) side.monotonic[c] = NonDecreasing(session.correction.Tables()[c]);
    }
    // The scan and its helper are done with; freeing them keeps a duplex run at two images.
    if (TChildImage* helper = session.windows.HelperWindow()) session.windows.Close(*helper);
    session.windows.Close(scan);
    return side;
}

void AddFileIfPresent(AnalysisReport& report, const std::string& name) {
    const std::string path = report.outputFolder + "/" + name;
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) report.filesWritten.push_back(path);
}

}  // namespace

int AnalysisReport::ExitStatus() const {
    if (failureStatus != ExitPassed) return failureStatus;
    for (const SideReport& side : sides) {
        if (!side.loadError.empty()) return ExitInputOutput;
    }
    for (const SideReport& side : sides) {
        if (!side.Passed()) return ExitSideFailed;
    }
    return ExitPassed;
}

std::string ResultMeaning(int code) {
    if (code == 0) return "passed";
    if (code == SideNotChecked) return "not checked";
    if (code == ChartCornersNotFound) return "corners of the bounding box not found";
    if (code == ChartGreyWedgeFailed) return "grey wedge failed (a patch is not grey)";
    switch (code) {
        case -100: return "geometry check failed: dx top != dx bottom";
        case -200: return "geometry check failed: dy left != dy right";
        // The codes add up, and orientation alone has the same sum as dx and dy together.
        case -300: return "geometry check failed: orientation (box not landscape), or dx and dy both";
        case -400: return "geometry check failed: dx top != dx bottom and orientation";
        case -500: return "geometry check failed: dy left != dy right and orientation";
        case -600: return "geometry check failed: dx, dy and orientation";
        default: break;
    }
    return "unknown result";
}

AnalysisReport RunAnalysis(const AnalyzeOptions& options) {
    AnalysisReport report;
    report.outputFolder = options.outputFolder.empty() ? "." : options.outputFolder;
    // The log is kept in memory as in a calibration run; --verbose shows it as it is written.
    LogWriter.SetActive(true);
    LogWriter.SetEcho(options.verbose);

    std::string error;
    if (!PrepareOutputFolder(report.outputFolder, error) || !LoadReference(options, error)) {
        report.failure = error;
        report.failureStatus = ExitInputOutput;
        return report;
    }

    // The record starts from zero as at program start, so one process can run many analyses.
    CalibrationLut.Clear();
    Session session;
    session.dataFolder = report.outputFolder;
    session.gwTolerance = options.gwTolerance;
    session.blackThreshold = options.blackThreshold;

    report.sides.push_back(AnalyseSide(session, options, options.frontScan, true));
    if (!options.rearScan.empty()) report.sides.push_back(AnalyseSide(session, options, options.rearScan, false));
    // Only this run's files are listed; an older run may have left others in the folder.
    for (const SideReport& side : report.sides) {
        const bool front = side.name == "front";
        if (side.code != SideNotChecked) AddFileIfPresent(report, front ? "Help_front.bmp" : "Help_rear.bmp");
        if (!side.stored) continue;
        AddFileIfPresent(report, front ? "gs_rgb_front.csv" : "gs_rgb_back.csv");
        AddFileIfPresent(report, front ? "corrvals_front.csv" : "corrvals_back.csv");
    }

    // A record with a side that did not pass would calibrate that side with zero tables; it is
    // not written, and an older record in the folder is left as it was.
    if (report.ExitStatus() != ExitPassed) return report;

    report.lutSides = options.rearScan.empty() ? 1 : 2;
    FillLutHeader(report.lutSides, options.serial, VersionText(), SystemClock());
    const auto raw = CalibrationLut.Raw();
    const std::string path = report.outputFolder + "/" + LutFileName;
    if (!WriteFileAtomically(path, std::string(reinterpret_cast<const char*>(raw.data()), raw.size()), &error)) {
        report.failure = "cannot write the calibration record '" + path + "': " + error;
        report.failureStatus = ExitInputOutput;
        return report;
    }
    report.lutPath = path;
    report.filesWritten.push_back(path);
    return report;
}

}  // namespace calvix::analyze
