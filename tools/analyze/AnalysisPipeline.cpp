// The analysis pipeline: output folder and reference first (so bad input fails before any
// work), then each side through load, chart check and Store, then the record's header and file.
#include "AnalysisPipeline.h"

#include "AnalyzeOutputs.h"
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
#include "calibration/ChannelTable.h"
#include "calibration/GreyCorrection.h"
#include "calibration/StoreSide.h"
#include "profiling/ProfileBuilder.h"
#include "profiling/ProfileFiles.h"
#include "profiling/Ti3Writer.h"
#include "it8ref/It8Ref.h"
#include "it8ref/ReferenceGrey.h"
#include "platform/HeadlessDesktop.h"

#include <cmath>
#include <cstdio>
#include <ctime>
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
    // The same strict load as the program's: a file that lacks grey patches or gives one
    // that is not a number is refused, rather than calibrating against zero for it.
    It8ReadReport report;
    if (reference.LoadCalibrationReference(options.referenceFile, report) != 0) {
        error = "IT8 reference file '" + options.referenceFile + "' " + DescribeIt8Fault(report);
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

// Every input must be a regular file before any work: a folder, FIFO or device would at
// best fail late and at worst block or read forever.
bool CheckInput(const char* what, const std::string& path, std::string& error) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        error = std::string("cannot read ") + what + " '" + path + "': " +
                (ec ? ec.message() : std::string("no such file"));
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = std::string("cannot read ") + what + " '" + path + "': " +
                (std::filesystem::is_directory(status) ? "it is a folder, not a file" : "it is not a regular file");
        return false;
    }
    return true;
}

// Front and rear from one file would give a duplex record whose rear is a copy of the front:
// almost always a slip on the command line.
bool CheckDistinctSides(const AnalyzeOptions& options, std::string& error) {
    if (options.rearScan.empty() || options.allowSameFile) return true;
    std::error_code ec;
    if (!std::filesystem::equivalent(options.frontScan, options.rearScan, ec) || ec) return true;
    error = "front and rear scan are the same file ('" + options.frontScan + "', '" + options.rearScan +
            "'); give --allow-same-file to analyse one scan as both sides";
    return false;
}

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

void NoteOutput(SideReport& side, const std::string& path, const std::string& error) {
    if (error.empty()) {
        side.filesWritten.push_back(path);
    } else {
        side.writeErrors.push_back(error);
    }
}

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &utc);
    return text;
}

// The profile describes the scanner through its new tables, so the bypass scan is read through
// them (the device maps raw values through the same tables).
void ProfileSide(const TChildImage& scan, const ChannelTables& tables, const AnalyzeOptions& options, SideReport& side) {
    const ChartMeasurement patches = MeasureChartPatches(scan.image, scan.cornerSlots, It8Reference(), ThroughTables(tables));
    ProfileRequest request;
    request.patches = patches;
    request.identity.serial = options.serial;
    request.identity.side = side.name;
    request.identity.date = Today();
    request.identity.batch = options.referenceFile.empty() ? "built-in" : FileNamePart(options.referenceFile);
    request.iccVersion = options.iccVersion;
    if (!options.ti3Path.empty()) {
        const std::string path = SideTi3Path(options.ti3Path, side.name == "front");
        std::string error;
        WriteFileAtomically(path, Ti3Text(patches, ProfileDescriptionText(request.identity)), &error);
        NoteOutput(side, path, error.empty() ? "" : "cannot write '" + path + "': " + error);
    }
    if (options.profileFolder.empty()) return;
    // A side that did not pass (its tables fall and stay out of the record) would replace the
    // stored profile with one of tables no scanner gets; the folder is left as it is.
    if (!side.Passed()) {
        side.profileWithheld = true;
        return;
    }
    std::string error;
    const std::optional<BuiltProfile> built = BuildInputProfile(request, error);
    const std::string name = ProfileFileName(options.serial, side.name);
    if (built && StoreProfile(options.profileFolder, name, built->bytes, error)) {
        side.profileKind = built->kind;
        side.profileMean = built->fit.mean;
        side.profileP90 = built->fit.p90;
        side.profileMax = built->fit.max;
        side.matrixMean = built->matrixFit.mean;
        side.matrixP90 = built->matrixFit.p90;
        NoteOutput(side, options.profileFolder + "/" + name, "");
    } else {
        NoteOutput(side, name, "cannot make the " + side.name + " profile: " + error);
    }
}

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
        side.loadError = "cannot read scan '" + path + "' as a BMP or JPEG picture (" + scan.loadError + ")";
        session.windows.Close(scan);
        return side;
    }

    ChartAnalysis chart(ChartContext{session.windows, session.host, session.desktop, session.strings,
                                     session.controls, session.dataFolder, session.gwTolerance,
                                     session.blackThreshold, ReferenceGreyTable});
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
        for (std::size_t c = 0; c < 3; ++c) {
            side.monotonic[c] = ChannelTableNonDecreasing(session.correction.Tables()[c]);
        }
        for (const EvaluationFile& file : session.correction.Files()) NoteOutput(side, file.path, file.error);
        if (!options.profileFolder.empty() || !options.ti3Path.empty())
            ProfileSide(scan, session.correction.Tables(), options, side);
    }
    // The scan and its helper are done with; freeing them keeps a duplex run at two images.
    if (TChildImage* helper = session.windows.HelperWindow()) {
        // The chart check saves the helper as it goes; its last save tells whether it is whole.
        NoteOutput(side, helper->filePath, helper->saveError);
        session.windows.Close(*helper);
    }
    session.windows.Close(scan);
    return side;
}

}  // namespace

int AnalysisReport::ExitStatus() const {
    if (failureStatus != ExitPassed) return failureStatus;
    for (const SideReport& side : sides) {
        if (!side.loadError.empty() || !side.writeErrors.empty()) return ExitInputOutput;
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
    if (code == ChartGreyWedgeFailed) return "grey wedge failed (a patch is not grey, or the wedge does not darken)";
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
    if (!CheckDistinctSides(options, error)) {
        report.failure = error;
        report.failureStatus = ExitUsage;
        return report;
    }
    if (const std::string clash = OutputNamesInput(options, report.outputFolder); !clash.empty()) {
        report.failure = "will not overwrite what the analysis reads: " + clash;
        report.failureStatus = ExitUsage;
        return report;
    }
    const bool inputsReadable = (options.referenceFile.empty() ||
                                 CheckInput("IT8 reference file", options.referenceFile, error)) &&
                                CheckInput("front scan", options.frontScan, error) &&
                                (options.rearScan.empty() || CheckInput("rear scan", options.rearScan, error));
    if (!inputsReadable || !PrepareOutputFolder(report.outputFolder, error) || !LoadReference(options, error)) {
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
    // Only the files this run wrote whole are listed; an older run may have left others.
    for (const SideReport& side : report.sides) {
        report.filesWritten.insert(report.filesWritten.end(), side.filesWritten.begin(), side.filesWritten.end());
    }

    // A record with a side that did not pass would calibrate that side with zero tables, and
    // one beside files that could not be written would not match them; it is not written then,
    // and an older record in the folder is left as it was.
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
