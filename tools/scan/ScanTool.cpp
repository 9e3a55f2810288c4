// q71-scan's command line and its run through the TWAIN module, as the program scans.
#include "ScanTool.h"

#include "EmptyValueOption.h"
#include "analysis/BmpWriter.h"
#include "analysis/TiffWriter.h"
#include "app/RegularFile.h"
#include "scanner/Twain.h"
#include "scanner/TwainDib.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace calvix::scan {

int ParseScanOptions(int argc, char** argv, ScanOptions& options) {
    CLI::App app{
        "Scans one sheet from the Zelmar Q71 through the TWAIN source manager and the Q71 data\n"
        "source, prints the capability values the source reports, and writes the chosen side as\n"
        "a 24-bit BMP file, or as a TIFF file for an output named *.tif or *.tiff: 8-bit RGB at\n"
        "400 ppi with the side's ICC profile Zelmar-Q71-<serial>-<side>.icc from\n"
        "$XDG_DATA_HOME/icc embedded (written without one when there is none, or when the\n"
        "scanner reports no serial number). Only input-class profiles are embedded. The source\n"
        "manager is twain_32.so in $CALVIX_SYSTEM_DIR, else in ../lib/calvix beside this program.\n"
        "Exit status: 0 scanned, 2 usage error, 3 no source manager, 4 data source not opened or\n"
        "not readable, 5 no paper (or the rear of a one-sided scanner), 6 transfer failed,\n"
        "7 not a 24-bit image, 8 output not written, 9 ICC profile not readable.",
        "q71-scan"};
    app.add_option("--side", options.side, "Side of the sheet to write")
        ->check(CLI::IsMember({"front", "rear"}))
        ->capture_default_str();
    app.add_option("-o,--output", options.output,
                   "BMP or TIFF (*.tif, *.tiff) file to write (default: Scan_<side>.bmp here)");
    CLI::Option* profile =
        app.add_option("--profile", options.profile, "TIFF: embed this ICC profile instead of the side's own");
    CLI::Option* none =
        app.add_flag("--no-profile", options.noProfile, "TIFF: embed no ICC profile")->excludes(profile);
    CLI::Option* compression = app.add_option("--compression", options.compression, "TIFF: compression of the pixels")
                                   ->check(CLI::IsMember({"lzw", "none"}))
                                   ->capture_default_str();
    app.add_flag("-v,--verbose", options.verbose, "Echo the acquisition's log lines to standard output");
    // An empty name would fall back to the default file without a word: a slip, not a choice.
    RefuseEmptyValues(app);
    try {
        app.parse(argc, argv);
        // Given with a BMP output they would be dropped without a word.
        if (!IsTiffName(options.output) && (profile->count() + none->count() + compression->count()) > 0)
            throw CLI::ValidationError("--profile, --no-profile and --compression",
                                       "apply to a TIFF output only (-o FILE.tif)");
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return ExitUsage;
    }
    return -1;
}

namespace {

// The parent window handle the manager is given; this tool has no window.
int g_noWindow = 0;

int Fail(Twain& twain, std::FILE* err, int status, const std::string& text) {
    std::fprintf(err, "q71-scan: %s\n", text.c_str());
    twain.TwainCloseSession(&g_noWindow);
    return status;
}

// Why the scan could not be written to output, found before the sheet is used up: the name
// taken by a folder, device or FIFO, or a folder that is missing or not writable. Empty when
// it can be written (a full disk still shows only at the write).
std::string OutputProblem(const std::string& output) {
    if (std::string why = ReplaceTargetProblem(output); !why.empty()) return why;
    const std::size_t slash = output.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : output.substr(0, slash);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return "the folder " + folder + " cannot be used: " + std::strerror(errno);
    if (!S_ISDIR(info.st_mode)) return folder + " is not a folder";
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return "the folder " + folder + " is not writable: " + std::strerror(errno);
    return {};
}

}  // namespace

int RunScan(const ScanOptions& options, Twain& twain, const std::string& systemDir, std::FILE* out, std::FILE* err) {
    const bool front = options.side != "rear";
    const std::string output = options.output.empty() ? "Scan_" + options.side + ".bmp" : options.output;
    const std::string managerPath = systemDir + kManagerLibraryName;
    TwainWindow window = &g_noWindow;
    const bool tiff = IsTiffName(output);
    ChosenProfile profile{{}, "none (--no-profile)"};
    std::string error;
    // The output and a profile named on the command line are checked before anything is scanned.
    if (const std::string problem = OutputProblem(output); !problem.empty())
        return Fail(twain, err, ExitOutput, "cannot write " + output + ": " + problem);
    if (tiff && !options.profile.empty() && !LoadProfile(options.profile, profile, error))
        return Fail(twain, err, ExitProfile, error);

    if (!twain.TwainLoadManager())
        return Fail(twain, err, ExitNoManager,
                    "cannot load the TWAIN source manager " + managerPath +
                        " (missing, or without DSM_Entry; set CALVIX_SYSTEM_DIR to the folder that holds it)");
    std::fprintf(out, "source manager      %s\n", managerPath.c_str());
    if (!twain.TwainOpenManager(window))
        return Fail(twain, err, ExitNoManager, "the source manager refused to open (MSG_OPENDSM failed)");
    if (!twain.TwainOpenSource())
        return Fail(twain, err, ExitNoSource,
                    std::string("the data source \"") + kSourceProductName +
                        "\" cannot be opened: is the scanner (q71-emulator) running and reachable, and is the "
                        "source installed under twain_32/ in the system folder?");
    std::fprintf(out, "data source         %s\n", kSourceProductName);
    if (const int code = twain.TwainReadCapabilities()) {
        char text[96];
        std::snprintf(text, sizeof text, "reading the source's capabilities failed (code 0x%04X)",
                      static_cast<unsigned>(code));
        return Fail(twain, err, ExitNoSource, text);
    }
    PrintCapabilities(twain, out);
    if (!front && !twain.twainDuplex())
        return Fail(twain, err, ExitNothingToScan, "the scanner scans one side only: there is no rear side to write");
    if (tiff && options.profile.empty() && !options.noProfile &&
        !FindSideProfile(options.iccFolder, twain.twainSerial(), options.side, profile, error))
        return Fail(twain, err, ExitProfile, error);
    if (tiff) std::fprintf(out, "profile             %s\n", profile.line.c_str());

    const int feeder = twain.TwainFeederLoaded(window);
    if (feeder < 0) return Fail(twain, err, ExitNoSource, "the feeder could not be queried (CAP_FEEDERLOADED)");
    std::fprintf(out, "feeder              %s\n", feeder > 0 ? "paper present" : "empty");
    if (feeder == 0) return Fail(twain, err, ExitNothingToScan, "no paper in the feeder: put a sheet in and try again");

    std::fprintf(out, "scanning ...\n");
    std::fflush(out);
    // The acquisition ends its own session: the source gets its values back and closes.
    DibHandle image = twain.TwainGetImage(window, front ? 1 : 0);
    if (image.Empty())
        return Fail(twain, err, ExitTransfer,
                    "the transfer failed: no " + options.side + " image arrived (run with --verbose for the log)");
    const DibConversion converted = ConvertDib(image.Data(), image.Size());
    image.Release();
    if (converted.status == DibStatus::BitDepth)
        return Fail(
            twain, err, ExitBadImage,
            "the source delivered a " + std::to_string(converted.bitCount) + "-bit image; only 24 bits are taken");
    if (converted.status != DibStatus::Ok)
        return Fail(twain, err, ExitBadImage, "the image cannot be used: " + converted.reason);

    const bool lzw = options.compression != "none";
    const bool saved =
        tiff ? SaveTiffFile(converted.bitmap, output,
                            {lzw ? TiffCompression::Lzw : TiffCompression::None, 400, std::move(profile.bytes)}, error)
             : SaveBmpFile(converted.bitmap, output, error);
    if (!saved) return Fail(twain, err, ExitOutput, "cannot write " + output + ": " + error);
    const char* format = lzw ? ", TIFF LZW" : ", TIFF uncompressed";
    std::fprintf(out, "wrote               %s (%s side, %d x %d pixels, 24 bits%s)\n", output.c_str(),
                 options.side.c_str(), converted.bitmap.Width(), converted.bitmap.Height(), tiff ? format : "");
    return ExitScanned;
}

}  // namespace calvix::scan
