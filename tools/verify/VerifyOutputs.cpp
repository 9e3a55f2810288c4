// Every file name a run may write, from the same helpers that make them, so the list cannot
// fall behind the writers.
#include "VerifyOutputs.h"

#include "History.h"
#include "OutputClash.h"
#include "VerifyRun.h"
#include "analysis/ChartCheck.h"
#include "profiling/ProfileFiles.h"

namespace calvix::verify {

std::string OutputNamesInput(const VerifyOptions& options, const std::string& dataHome) {
    const std::vector<NamedPath> inputs{{"--reference", options.reference},
                                        {"--record", options.record},
                                        {"--offline", options.offlineFront},
                                        {"--offline", options.offlineRear},
                                        {"--profile", options.profile},
                                        {"--rear-profile", options.rearProfile},
                                        {"--uniformity-page", options.uniformityFront},
                                        {"--uniformity-page", options.uniformityRear}};
    std::vector<NamedPath> outputs;
    if (!options.report.empty()) {
        outputs.push_back({"--report", options.report});
        outputs.push_back({"--report (its JSON)", ReportJsonPath(options.report)});
    }
    if (!options.keepFolder.empty()) {
        for (const bool front : {true, false}) {
            const std::string side = front ? "front" : "rear";
            outputs.push_back({"--keep (helper image)", HelperFilePath(options.keepFolder, front)});
            outputs.push_back({"--keep (scan)", options.keepFolder + "/Verify_" + side + ".bmp"});
            outputs.push_back({"--keep (blank page)", options.keepFolder + "/Verify_" + side + "_blank.bmp"});
        }
    }
    // The serial of a live run is known only once the scanner answers; offline it is given.
    if (options.offline) {
        if (!options.noHistory && !dataHome.empty())
            outputs.push_back({"the history", HistoryPath(dataHome, options.serial)});
        // Decision: the stored profile may be read through and replaced in the same run (it is kept
        // as .previous, whole); its .previous, which the run overwrites, may not be an input.
        if (!options.profileOut.empty())
            for (const char* side : {"front", "rear"})
                outputs.push_back({"--profile-out (the one before)",
                                   options.profileOut + "/" + ProfileFileName(options.serial, side) + ".previous"});
    }
    return OutputClash(outputs, inputs);
}

}  // namespace calvix::verify
