// The files an analysis writes, and the check that none of them is a file it reads.
#pragma once

#include "AnalyzeOptions.h"

#include <string>

namespace calvix::analyze {

// The rear's .ti3 goes beside the front's: "-rear" before the extension.
std::string SideTi3Path(const std::string& path, bool front);

// Why the analysis must not start because one of its outputs in folder (or --ti3, --profile) is
// one of its inputs or another output; empty when none is.
std::string OutputNamesInput(const AnalyzeOptions& options, const std::string& folder);

}  // namespace calvix::analyze
