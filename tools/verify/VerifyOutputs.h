// The files a verification reads and writes, checked against each other before it starts.
#pragma once

#include "VerifyOptions.h"

#include <string>

namespace calvix::verify {

// Why the run must not start because an output is one of its inputs (or another output);
// empty when none is. dataHome places the history of an offline run.
std::string OutputNamesInput(const VerifyOptions& options, const std::string& dataHome);

}  // namespace calvix::verify
