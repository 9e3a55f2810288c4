// The readable summary of an analysis: per side the result, corners, measured and reference
// greys and table monotonicity; then where the record went, or why there is none.
#pragma once

#include "AnalysisPipeline.h"

#include <cstdio>

namespace calvix::analyze {

// The summary goes to out; failures are repeated as one "error:" line each on err, so a
// script that keeps only standard error still learns why the run failed.
void PrintSummary(const AnalysisReport& report, std::FILE* out, std::FILE* err);

}  // namespace calvix::analyze
