// Command-line parsing with CLI11; ranges are checked here so the run sees sane values.
#include "VerifyOptions.h"

#include "EmptyValueOption.h"
#include "FiniteNumberOption.h"

#include <CLI/CLI.hpp>

#include <vector>

namespace calvix::verify {

int ParseVerifyOptions(int argc, char** argv, VerifyOptions& options) {
    CLI::App app{
        "Verifies a calibrated Zelmar Q71: scans the IT8 chart through the scanner's current LUT\n"
        "(front, and on a duplex scanner the rear from the next sheet), finds and checks the chart\n"
        "as a calibration does, and compares the 24 grey patches with the reference: per channel in\n"
        "8-bit levels and in L*, with the FADGI and ISO 19264-1 levels met, plus CIEDE2000 of the 264\n"
        "colour patches for information, read through the side's ICC profile (given, or found in the\n"
        "ICC folder by serial and side), else through the calibration's reference encoding. Each run\n"
        "is appended to the scanner's history.\n"
        "Exit status: 0 pass, 1 fail (a side outside the thresholds), 2 usage error, 3 reference,\n"
        "record or scan file unusable, 4 scanner not reached, 5 scan failed (no paper, transfer,\n"
        "image, no operator), 6 chart not found or failed its check, 7 certificate, JSON or history\n"
        "not written, 8 a --profile-out profile not made or not stored.",
        "calvix-verify"};
    app.add_option("-r,--reference", options.reference, "IT8 reference file (CGATS text) of the chart");
    std::vector<std::string> offline;
    CLI::Option* offlineOption =
        app.add_option("--offline", offline, "Verify scans taken elsewhere: FRONT.bmp [REAR.bmp]")->expected(1, 2);
    app.add_option("--report", options.report, "Write the certificate PDF here, and its JSON beside it (.json)");
    app.add_option("--record", options.record,
                   "The calibration record (6227 bytes) in force, for the certificate's header and curves");
    CLI::Option* history =
        app.add_option("--history", options.historySerial, "Print the drift history of scanner SERIAL and stop");
    app.add_option("--serial", options.serial, "Serial number of the scanner for --offline scans");
    app.add_option("--keep", options.keepFolder, "Keep the scans and the helper images in this folder");
    app.add_option("--gamma", options.gamma, "Gamma of the reference greys, as the calibration used it")
        ->check(FiniteNumber)
        ->check(CLI::Range(0.5, 5.0))
        ->capture_default_str();
    app.add_flag("--adapt-d65", options.adaptD65, "Reference greys with chromatic adaptation (D65), as calibrated");
    CLI::Option* srgb = app.add_flag("--assume-srgb", options.assumeSrgb,
                                     "Read the colour patches as sRGB instead of through a profile or the "
                                     "reference encoding");
    app.add_option("--profile", options.profile,
                   "ICC input profile to read the front's (or the only side's) colour patches through")
        ->excludes(srgb);
    app.add_option("--rear-profile", options.rearProfile, "ICC input profile to read the rear's colour patches through")
        ->excludes(srgb);
    app.add_option("--profile-out", options.profileOut,
                   "Make the ICC input profile of each side that passes from this scan and\n"
                   "store it in this folder (Zelmar-Q71-<serial>-<side>.icc, the one before kept as .previous)");
    app.add_option("--max-mean", options.thresholds.meanLevels, "Largest mean |difference| per channel, levels")
        ->check(FiniteNumber)
        ->check(CLI::Range(0.0, 255.0))
        ->capture_default_str();
    app.add_option("--max-diff", options.thresholds.maxLevels, "Largest |difference| of a patch per channel, levels")
        ->check(CLI::Range(0, 255))
        ->capture_default_str();
    app.add_option("--gw-tolerance", options.gwTolerance, "Grey-wedge tolerance of the chart check")
        ->check(CLI::Range(0, 255))
        ->capture_default_str();
    app.add_option("--black-threshold", options.blackThreshold, "Black threshold of the chart search")
        ->check(CLI::Range(0, 255))
        ->capture_default_str();
    app.add_flag("--uniformity", options.uniformity,
                 "After the charts, scan one blank sheet per side for the illumination non-uniformity");
    std::vector<std::string> blank;
    CLI::Option* blankOption =
        app.add_option("--uniformity-page", blank,
                       "With --offline: scans of a blank sheet for the non-uniformity, FRONT.bmp [REAR.bmp]")
            ->expected(1, 2);
    app.add_option("--box-width-mm", options.sampling.boxWidthMm,
                   "Width of the chart's box between the middles of its lines, mm (for the sampling rate)")
        ->check(FiniteNumber)
        ->check(CLI::Range(10.0, 400.0))
        ->capture_default_str();
    app.add_option("--box-height-mm", options.sampling.boxHeightMm,
                   "Height of the chart's box between the middles of its lines, mm")
        ->check(FiniteNumber)
        ->check(CLI::Range(10.0, 400.0))
        ->capture_default_str();
    app.add_flag("--unattended", options.unattended,
                 "Take the rear from the next sheet in the feeder without asking to turn the sheet");
    app.add_flag("--no-history", options.noHistory, "Do not append this run to the scanner's history");
    app.add_flag("-v,--verbose", options.verbose, "Echo the acquisition's and the analysis's log lines");
    // An empty --history would otherwise fall through to a live run that takes a sheet.
    RefuseEmptyValues(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return ExitUsage;
    }
    if (history->count() > 0) return -1;
    if (options.reference.empty()) {
        std::fprintf(stderr, "calvix-verify: --reference is required (the chart's IT8 reference file)\n");
        return ExitUsage;
    }
    options.offline = offlineOption->count() > 0;
    if (options.offline && options.uniformity) {
        std::fprintf(stderr, "calvix-verify: --uniformity scans a blank sheet on a scanner; with --offline give the "
                             "blank page's scan as --uniformity-page FRONT.bmp [REAR.bmp]\n");
        return ExitUsage;
    }
    if (blankOption->count() > 0) {
        if (!options.offline) {
            std::fprintf(stderr, "calvix-verify: --uniformity-page goes with --offline (a scanner takes --uniformity)\n");
            return ExitUsage;
        }
        options.uniformityFront = blank[0];
        if (blank.size() > 1) options.uniformityRear = blank[1];
    }
    if (options.offline) {
        options.offlineFront = offline[0];
        if (offline.size() > 1) options.offlineRear = offline[1];
    }
    return -1;
}

}  // namespace calvix::verify
