// The offline analysis of one or two chart scans: the same core operations as a calibration
// run (load, chart check, Store, LUT header) and the record written to the output folder.
#pragma once

#include "AnalyzeOptions.h"
#include "analysis/Point.h"
#include "calibration/CorrectionTypes.h"

#include <array>
#include <string>
#include <vector>

namespace calvix::analyze {

// Marks a side that never reached the chart check.
inline constexpr int SideNotChecked = 1;

struct SideReport {
    std::string name;  // "front" or "rear"
    std::string scanPath;
    std::string loadError;  // set when the scan could not be read
    int code = SideNotChecked;  // the chart check's result
    bool cornersValid = false;
    std::array<Point, 4> corners{};  // upper left, upper right, lower left, lower right
    bool stored = false;             // the grey wedge was evaluated
    GreyColours measured{};
    GreyColours reference{};
    std::array<bool, 3> monotonic{};  // red, green, blue table non-decreasing
    std::vector<std::string> messages;  // message boxes the analysis showed
    std::vector<std::string> filesWritten;  // helper image and text files, each written whole
    std::vector<std::string> writeErrors;   // one per file that could not be written whole
    std::string profileKind;                // set when a profile was made
    bool profileWithheld = false;           // --profile given, but the side did not pass
    double profileMean = 0.0, profileP90 = 0.0, profileMax = 0.0;  // its fit, CIEDE2000
    double matrixMean = 0.0, matrixP90 = 0.0;  // the shaper/matrix model's, for comparison

    // A side whose tables fall somewhere does not pass even with a good chart: such a table
    // darkens brighter scan values.
    bool TablesNonDecreasing() const { return monotonic[0] && monotonic[1] && monotonic[2]; }
    bool Passed() const { return code == 0 && stored && TablesNonDecreasing(); }
};

struct AnalysisReport {
    std::string failure;  // a failure before or after the sides: reference, folder, record
    int failureStatus = ExitPassed;
    std::vector<SideReport> sides;
    std::string outputFolder;
    std::string lutPath;  // set when the record was written
    int lutSides = 0;
    std::vector<std::string> filesWritten;

    int ExitStatus() const;
};

AnalysisReport RunAnalysis(const AnalyzeOptions& options);

// Meaning of a chart check result, for people.
std::string ResultMeaning(int code);

}  // namespace calvix::analyze
