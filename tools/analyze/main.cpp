// calvix-analyze: analyses scanned IT8 charts offline, as a calibration run would, and writes
// the calibration record and the run's files into a folder.
#include "AnalysisPipeline.h"
#include "AnalysisSummary.h"
#include "AnalyzeOptions.h"
#include "app/MemoryTuning.h"

#include <cstdio>

int main(int argc, char** argv) {
    calvix::ReuseLargeAllocations();
    calvix::analyze::AnalyzeOptions options;
    const int parsed = calvix::analyze::ParseAnalyzeOptions(argc, argv, options);
    if (parsed >= 0) return parsed;
    // Decision: without a reference file the options are ignored with a note rather than
    // refused, as the main window greys them out while the default greys are in force.
    if (options.referenceFile.empty() && (options.gammaGiven || options.adaptD65)) {
        std::fprintf(stderr, "calvix-analyze: note: --gamma and --adapt-d65 apply to a reference file; "
                             "the built-in default greys are used as they are\n");
    }
    const calvix::analyze::AnalysisReport report = calvix::analyze::RunAnalysis(options);
    calvix::analyze::PrintSummary(report, stdout, stderr);
    return report.ExitStatus();
}
