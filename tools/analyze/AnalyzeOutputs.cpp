// Every file name an analysis may write, from the same helpers that make them, so the list
// cannot fall behind the writers.
#include "AnalyzeOutputs.h"

#include "OutputClash.h"
#include "analysis/ChartCheck.h"
#include "calibration/CorrectionFiles.h"
#include "profiling/ProfileFiles.h"

namespace calvix::analyze {

std::string SideTi3Path(const std::string& path, bool front) {
    if (front) return path;
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + "-rear";
    return path.substr(0, dot) + "-rear" + path.substr(dot);
}

std::string OutputNamesInput(const AnalyzeOptions& options, const std::string& folder) {
    const std::vector<NamedPath> inputs{
        {"FRONT", options.frontScan}, {"REAR", options.rearScan}, {"--reference", options.referenceFile}};
    std::vector<NamedPath> outputs{{"-o (the record)", folder + "/CalibrationLut.bin"},
                                   {"-o (its write probe)", folder + "/.calvix-analyze-probe"}};
    for (const bool front : {true, false}) {
        const char* side = front ? "front" : "rear";
        outputs.push_back({"-o (helper image)", HelperFilePath(folder, front)});
        outputs.push_back({"-o (grey steps)", GreyScaleFilePath(folder, front)});
        outputs.push_back({"-o (tables)", TableFilePath(folder, front)});
        if (!options.ti3Path.empty()) outputs.push_back({"--ti3", SideTi3Path(options.ti3Path, front)});
        if (!options.profileFolder.empty()) {
            const std::string profile = options.profileFolder + "/" + ProfileFileName(options.serial, side);
            outputs.push_back({"--profile", profile});
            outputs.push_back({"--profile (the one before)", profile + ".previous"});
        }
    }
    return OutputClash(outputs, inputs);
}

}  // namespace calvix::analyze
