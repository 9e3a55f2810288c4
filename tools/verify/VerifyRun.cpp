// The order of a run: everything given on the command line is read first, so bad input fails
// before the scanner moves paper; then the sides, then history before the report, so the
// certificate's drift chart includes this run.
#include "VerifyRun.h"

#include "ColourEncoding.h"
#include "PrintableText.h"
#include "ProfileOut.h"
#include "ScanFiles.h"
#include "ScannerAcquisition.h"
#include "SideMeasurement.h"
#include "VerifyOutputs.h"
#include "VerifySummary.h"
#include "analysis/BmpWriter.h"
#include "app/AtomicFile.h"
#include "app/RegularFile.h"
#include "it8ref/It8ReadReport.h"
#include "it8ref/It8Ref.h"
#include "it8ref/ReferenceGrey.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace calvix::verify {

namespace {

// The chart check writes helper images; without --keep they go to a private folder that is
// removed when the run ends.
class WorkFolder {
public:
    explicit WorkFolder(const std::string& keep) {
        if (!keep.empty()) {
            std::error_code ec;
            std::filesystem::create_directories(keep, ec);
            path_ = keep;
            return;
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "calvix-verify-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
            owned_ = true;
        }
    }
    ~WorkFolder() {
        std::error_code ec;
        if (owned_) std::filesystem::remove_all(path_, ec);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool owned_ = false;
};

bool ReferenceGreysUsable(const GreyTable& greys) {
    for (std::size_t c = 0; c < 3; ++c)
        if (!std::isfinite(greys[0][c]) || !std::isfinite(greys[23][c]) || !(greys[0][c] > greys[23][c])) return false;
    return true;
}

int Fail(const VerifyEnvironment& env, int status, const std::string& reason) {
    // A reason can quote a file's own text (a reference's keyword, a record's serial).
    std::fprintf(env.err, "calvix-verify: %s\n", PrintableText(reason).c_str());
    return status;
}

std::string TooLongForHistory(const std::string& serial) {
    return "the serial (" + std::to_string(serial.size()) + " bytes) is too long to name a history file";
}

bool LoadReference(const VerifyOptions& options, VerifyResult& result, std::string& error) {
    TIT8Ref& reference = It8Reference();
    It8ReadReport report;
    if (reference.LoadCalibrationReference(options.reference, report) != 0) {
        error = "IT8 reference file '" + options.reference + "' " + DescribeIt8Fault(report);
        return false;
    }
    reference.SetChromaticAdaptation(options.adaptD65);
    reference.SetGamma(static_cast<float>(options.gamma));
    if (!ReferenceGreysUsable(ReferenceGreyTable)) {
        error = "IT8 reference file '" + options.reference +
                "' holds no usable grey wedge (GS0 must be lighter than GS23 in every channel)";
        return false;
    }
    return ReadReferenceBatch(options.reference, reference, result.batch, error);
}

// The operator turns the sheet; an end of input means nobody is there to do it.
bool AskToTurnSheet(const VerifyEnvironment& env) {
    std::fprintf(env.out, "turn the sheet over and press Enter\n");
    std::fflush(env.out);
    for (;;) {
        const int c = std::fgetc(env.in);
        if (c == EOF) return false;
        if (c == '\n') return true;
    }
}

// How each side's colour patches are read, and the profiles given, loaded before any scan.
struct ColourSetup {
    ColourReadingChoice choice;
    ColourReading reference;

    ColourReading ForSide(const std::string& serial, bool front, const VerifyEnvironment& env) const {
        std::string warning;
        ColourReading reading = ChooseColourReading(choice, serial, front, reference, warning);
        if (!warning.empty()) std::fprintf(env.err, "calvix-verify: warning: %s\n", warning.c_str());
        return reading;
    }
};

bool LoadGivenProfiles(const VerifyOptions& options, ColourReadingChoice& choice, std::string& error) {
    choice.assumeSrgb = options.assumeSrgb;
    if (!options.profile.empty() && !(choice.front = ColourReading::FromProfileFile(options.profile, error)))
        return false;
    if (!options.rearProfile.empty() && !(choice.rear = ColourReading::FromProfileFile(options.rearProfile, error)))
        return false;
    return true;
}

int MakeProfiles(const VerifyOptions& options, const VerifyEnvironment& env, VerifyResult& result) {
    int status = ExitPass;
    const ProfileOutRequest request{options.profileOut, result.scanner.serial, result.verifiedAt.substr(0, 10)};
    for (SideResult& side : result.sides) {
        // Only a side that passed is profiled: a failed run must not replace the profile of a good
        // one (and, through .previous, the one before it). A wedge that failed its check was not even
        // sampled where the greys are; a side outside the grey thresholds shows a LUT that is off.
        if (!side.Passed()) {
            std::fprintf(env.out, "%s profile: none stored, the side %s (the stored one is kept)\n", side.name.c_str(),
                         side.Measured() && side.chartCode == 0 ? "did not pass" : "failed its chart check");
            continue;
        }
        side.madeProfile = MakeSideProfile(side, result.batch, request);
        const MadeProfile& made = *side.madeProfile;
        if (!made.error.empty()) {
            status = Fail(env, ExitProfileOutput, made.error);
            continue;
        }
        std::fprintf(env.out,
                     "%s profile: %s (%s), fit on the colour patches: CIEDE2000 mean %.2f, p90 %.2f, max %.2f\n",
                     side.name.c_str(), made.path.c_str(), made.kind.c_str(), made.fit.mean, made.fit.p90,
                     made.fit.max);
    }
    return status;
}

int ScanSides(const VerifyOptions& options, VerifyEnvironment& env, MeasureContext& context,
              const ColourSetup& colour, VerifyResult& result) {
    ScannerAcquisition scanner(*env.twain);
    std::string error;
    if (const int status = scanner.Open(result.scanner, error); status != ExitPass) return Fail(env, status, error);
    std::fprintf(env.out, "scanner %s, serial %s, %s\n", PrintableText(result.scanner.model).c_str(),
                 PrintableText(result.scanner.serial).c_str(),
                 result.scanner.duplex ? "duplex" : "one side");
    struct Scanned {
        bool front;
        ScanBitmap image;
        std::string kept;
    };
    std::vector<Scanned> charts;
    for (const bool front : {true, false}) {
        if (!front && !result.scanner.duplex) break;
        if (!front && !options.unattended && !AskToTurnSheet(env))
            return Fail(env, ExitScanFailed, "no operator to turn the sheet for the rear (use --unattended to take "
                                             "the next sheet in the feeder)");
        Scanned scan{front, {}, {}};
        if (const int status = scanner.Scan(front, scan.image, error); status != ExitPass) return Fail(env, status, error);
        if (!KeepScan(options, scan.image, front ? "front" : "rear", scan.kept, error))
            return Fail(env, ExitOutput, error);
        charts.push_back(std::move(scan));
    }
    // The blank sheets follow the charts in the feeder, one a side, so each side's own light is read.
    std::array<ScanBitmap, 2> blanks;
    if (options.uniformity) {
        for (const Scanned& chart : charts) {
            const char* name = chart.front ? "front" : "rear";
            std::fprintf(env.out, "uniformity: scanning a blank sheet for the %s\n", name);
            ScanBitmap& page = blanks[chart.front ? 0 : 1];
            if (const int status = scanner.Scan(chart.front, page, error); status != ExitPass)
                return Fail(env, status, std::string("the blank sheet for the ") + name + ": " + error);
            std::string kept;
            if (!KeepScan(options, page, std::string(name) + "_blank", kept, error)) return Fail(env, ExitOutput, error);
            context.blankPages[chart.front ? 0 : 1] = &page;
        }
    }
    for (const Scanned& chart : charts)
        result.sides.push_back(MeasureSide(&chart.image, chart.kept, chart.front, context,
                                           colour.ForSide(result.scanner.serial, chart.front, env)));
    context.blankPages = {};
    return ExitPass;
}

int WriteOutputs(const VerifyOptions& options, VerifyEnvironment& env, const VerifyResult& result) {
    int status = ExitPass;
    HistoryRead history;
    std::string error;
    const std::string historyPath = HistoryPath(env.dataHome, result.scanner.serial);
    if (!options.noHistory) {
        if (env.dataHome.empty()) {
            status = Fail(env, ExitOutput, "no data folder (neither XDG_DATA_HOME nor HOME): history not written");
        } else if (historyPath.empty()) {
            status = Fail(env, ExitOutput, TooLongForHistory(result.scanner.serial) + ": history not written");
        } else if (!AppendHistory(historyPath, HistoryLine(result), error)) {
            status = Fail(env, ExitOutput, error);
        } else {
            std::fprintf(env.out, "history: %s\n", historyPath.c_str());
        }
    }
    if (options.report.empty()) return status;
    // The certificate's chart shows what the file holds; a missing file is simply no runs.
    if (!env.dataHome.empty() && !historyPath.empty())
        ReadHistory(historyPath, history, error, result.scanner.serial);
    const std::string jsonPath = ReportJsonPath(options.report);
    if (!WriteFileAtomically(jsonPath, ReportJson(result) + "\n", &error))
        return Fail(env, ExitOutput, "cannot write '" + jsonPath + "': " + error);
    std::fprintf(env.out, "report JSON: %s\n", jsonPath.c_str());
    if (!env.certificate) return Fail(env, ExitOutput, "this build cannot write a PDF certificate");
    if (!env.certificate(result, history, options.report, error))
        return Fail(env, ExitOutput, "cannot write certificate '" + options.report + "': " + error);
    std::fprintf(env.out, "certificate: %s\n", options.report.c_str());
    return status;
}

}  // namespace

std::string ReportJsonPath(const std::string& reportPath) {
    const std::string suffix = ".pdf";
    if (reportPath.size() > suffix.size() &&
        reportPath.compare(reportPath.size() - suffix.size(), suffix.size(), suffix) == 0)
        return reportPath.substr(0, reportPath.size() - suffix.size()) + ".json";
    return reportPath + ".json";
}

int RunVerify(const VerifyOptions& options, VerifyEnvironment& env, VerifyResult& result) {
    result = VerifyResult{};
    result.toolVersion = env.toolVersion;
    result.verifiedAt = env.verifiedAt;
    result.gamma = options.gamma;
    result.adaptD65 = options.adaptD65;
    result.thresholds = options.thresholds;
    result.scanner.offline = options.offline;
    if (const std::string clash = OutputNamesInput(options, env.dataHome); !clash.empty())
        return Fail(env, ExitUsage, "will not overwrite what the run reads: " + clash);
    // Before anything is scanned or written: neither report file may stand in for a device,
    // FIFO or folder, and a refused certificate must not leave its JSON behind.
    if (!options.report.empty()) {
        for (const std::string& target : {options.report, ReportJsonPath(options.report)})
            if (const std::string why = ReplaceTargetProblem(target); !why.empty())
                return Fail(env, ExitOutput, "will not write the report '" + target + "': " + why);
    }
    std::string error;
    if (!LoadReference(options, result, error)) return Fail(env, ExitInput, error);
    if (!options.record.empty()) {
        LutRecordInfo record;
        if (!ReadLutRecordFile(options.record, record, error)) return Fail(env, ExitInput, error);
        result.record = record;
    }
    const ReferenceEncoding encoding(ReferenceGreyTable, options.adaptD65 ? AdaptedMatrix : PlainMatrix,
                                     options.gamma);
    if (!encoding.Usable()) return Fail(env, ExitInput, "the reference greys give no usable L* encoding");
    ColourSetup colour{{}, ColourReading::Reference(encoding, options.gamma, options.adaptD65)};
    if (!LoadGivenProfiles(options, colour.choice, error)) return Fail(env, ExitInput, error);
    colour.choice.iccFolder = env.iccFolder;
    WorkFolder work(options.keepFolder);
    if (work.Path().empty()) return Fail(env, ExitOutput, "cannot create a work folder");
    MeasureContext context{ReferenceGreyTable, encoding,        result.batch,
                           options.thresholds, work.Path(),     options.gwTolerance,
                           options.blackThreshold, /*keepChartPatches=*/!options.profileOut.empty()};
    context.sampling = options.sampling;
    std::array<ScanBitmap, 2> blankPages;
    if (!LoadBlankPages(options, blankPages, context, error)) return Fail(env, ExitInput, error);

    if (options.offline) {
        result.scanner.serial = options.serial;
        result.sides.push_back(
            MeasureSide(nullptr, options.offlineFront, true, context, colour.ForSide(options.serial, true, env)));
        if (!options.offlineRear.empty())
            result.sides.push_back(
                MeasureSide(nullptr, options.offlineRear, false, context, colour.ForSide(options.serial, false, env)));
        for (const SideResult& side : result.sides)
            if (!side.error.empty()) return Fail(env, ExitInput, side.name + ": " + side.error);
    } else {
        if (env.twain == nullptr) return Fail(env, ExitScannerNotReached, "no TWAIN module in this run");
        if (const int status = ScanSides(options, env, context, colour, result); status != ExitPass) return status;
    }

    PrintSummary(result, env.out);
    if (result.RecordOfOtherScanner())
        std::fprintf(env.err, "calvix-verify: warning: the record '%s' names scanner %s, not %s\n",
                     PrintableText(result.record->file).c_str(), PrintableText(result.record->serial).c_str(),
                     PrintableText(result.scanner.serial).c_str());
    int status = ExitPass;
    for (const SideResult& side : result.sides)
        if (!side.Measured()) status = ExitChartFailed;
    if (status == ExitPass && !result.Passed()) status = ExitFail;
    const int profiled = options.profileOut.empty() ? ExitPass : MakeProfiles(options, env, result);
    const int written = WriteOutputs(options, env, result);
    // The verdict is the run's last line: a run that could not write what it was asked for does
    // not end on PASS, whatever the scanner measured.
    const char* unwritten = written != ExitPass ? "the certificate, its JSON or the history"
                            : profiled != ExitPass ? "a profile"
                                                   : nullptr;
    PrintVerdict(result, env.out, unwritten);
    if (written != ExitPass) return written;
    return profiled != ExitPass ? profiled : status;
}

int PrintHistory(const std::string& serial, const VerifyEnvironment& env) {
    if (env.dataHome.empty()) return Fail(env, ExitInput, "no data folder (neither XDG_DATA_HOME nor HOME)");
    const std::string path = HistoryPath(env.dataHome, serial);
    if (path.empty()) return Fail(env, ExitInput, TooLongForHistory(serial));
    HistoryRead history;
    std::string error;
    if (!ReadHistory(path, history, error, serial)) return Fail(env, ExitInput, error);
    PrintTrend(history, serial, path, env.out);
    return ExitPass;
}

}  // namespace calvix::verify
