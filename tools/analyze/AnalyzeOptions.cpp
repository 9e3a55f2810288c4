// Command-line parsing with CLI11; ranges are checked here so the pipeline sees sane values.
#include "AnalyzeOptions.h"

#include "EmptyValueOption.h"
#include "FiniteNumberOption.h"

#include <CLI/CLI.hpp>

namespace calvix::analyze {

int ParseAnalyzeOptions(int argc, char** argv, AnalyzeOptions& options) {
    CLI::App app{
        "Offline analysis of Zelmar Q71 IT8 chart scans: finds the chart, checks its geometry and\n"
        "grey wedge, builds the correction tables as a calibration run does, and writes the\n"
        "calibration record CalibrationLut.bin (6227 bytes) with the helper images and tables.\n"
        "Exit status: 0 every side passed, 1 a side failed, 2 usage error, 3 unreadable input or\n"
        "unwritable output.",
        "calvix-analyze"};
    app.add_option("FRONT", options.frontScan, "Front scan of the IT8 chart (BMP or JPEG file)")
        ->required();
    app.add_option("REAR", options.rearScan, "Rear scan; when given, the record is a duplex one");
    app.add_option("-r,--reference", options.referenceFile,
                   "IT8 reference file (CGATS text) of the chart; without it the built-in default greys are used");
    app.add_option("-o,--output", options.outputFolder,
                   "Folder for the record, helper images and tables; created if missing")
        ->capture_default_str();
    CLI::Option* gamma = app.add_option("--gamma", options.gamma,
                                        "Gamma applied to the reference greys (needs --reference)")
                             ->check(FiniteNumber)
                             ->check(CLI::Range(0.5, 5.0))
                             ->capture_default_str();
    app.add_flag("--adapt-d65", options.adaptD65,
                 "Convert the reference with chromatic adaptation to D65 (needs --reference)");
    app.add_option("--gw-tolerance", options.gwTolerance,
                   "Grey-wedge tolerance: largest distance of a channel from the patch's mean")
        ->check(CLI::Range(0, 255))
        ->capture_default_str();
    app.add_option("--black-threshold", options.blackThreshold,
                   "Brightness below which a pixel counts as black when the chart's box is searched")
        ->check(CLI::Range(0, 255))
        ->capture_default_str();
    app.add_option("--white-adaption", options.whiteAdaption,
                   "White adaption slider position: 0 (none) to 4 (full)")
        ->check(CLI::Range(0, 4))
        ->capture_default_str();
    app.add_option("--serial", options.serial, "Scanner serial number for the record's header (at most 19 characters kept)");
    app.add_flag("-v,--verbose", options.verbose, "Echo the analysis log to standard output");
    app.add_flag("--allow-same-file", options.allowSameFile,
                 "Accept one file as both front and rear scan (refused otherwise as a likely slip)");
    app.add_option("--profile", options.profileFolder,
                   "Folder for each passing side's ICC input profile (Zelmar-Q71-<serial>-<side>.icc), made\n"
                   "from the scan as the new tables will deliver it");
    app.add_option("--ti3", options.ti3Path,
                   "Write the front's patches (device RGB, reference XYZ) as a CGATS .ti3 file; the rear's\n"
                   "goes beside it with -rear before the extension");
    app.add_option("--icc-version", options.iccVersion, "ICC version of the profiles: 4 (4.3) or 2 (2.4)")
        ->check(CLI::IsMember({2, 4}))
        ->capture_default_str();
    RefuseEmptyValues(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return ExitUsage;
    }
    options.gammaGiven = gamma->count() > 0;
    return -1;
}

}  // namespace calvix::analyze
