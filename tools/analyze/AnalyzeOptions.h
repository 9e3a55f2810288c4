// Command line of calvix-analyze: the scans to analyse, the reference, the output folder and
// the analysis settings a calibration run would take from its INI file and main window.
#pragma once

#include <string>

namespace calvix::analyze {

// Exit statuses of the tool.
inline constexpr int ExitPassed = 0;
inline constexpr int ExitSideFailed = 1;  // a chart was not found or failed a check
inline constexpr int ExitUsage = 2;       // the command line itself is wrong
inline constexpr int ExitInputOutput = 3; // unreadable scan or reference, unwritable folder

struct AnalyzeOptions {
    std::string frontScan;
    std::string rearScan;       // empty: a simplex record
    std::string referenceFile;  // empty: the built-in default greys
    std::string outputFolder = ".";
    double gamma = 1.0;
    bool gammaGiven = false;
    bool adaptD65 = false;
    int gwTolerance = 20;
    int blackThreshold = 25;
    int whiteAdaption = 0;
    std::string serial;
    bool verbose = false;
    bool allowSameFile = false;  // front and rear may name the same file
    std::string profileFolder;   // when set: each passing side's ICC input profile goes there
    std::string ti3Path;         // when set: the front's patches as CGATS .ti3 (the rear's beside it)
    int iccVersion = 4;
};

// Parses argv into options. Returns -1 to go on, or the status to exit with at once (after
// --help, or after a usage error that has been printed).
int ParseAnalyzeOptions(int argc, char** argv, AnalyzeOptions& options);

}  // namespace calvix::analyze
