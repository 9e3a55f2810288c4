// What calvix-verify prints: per side the grey table and its statistics with the levels met,
// then one verdict line that names every side and patch outside the thresholds.
#pragma once

#include "VerifyReport.h"

#include <cstdio>
#include <string>

namespace calvix::verify {

void PrintSummary(const VerifyResult& result, std::FILE* out);
// unwritten: what the run was asked to write and could not (null: everything written); a
// passing run then reads INCOMPLETE rather than PASS.
void PrintVerdict(const VerifyResult& result, std::FILE* out, const char* unwritten = nullptr);

// "PASS" or "FAIL: front: GS3, GS7 beyond 3 levels; rear: chart not found ...".
std::string VerdictText(const VerifyResult& result);

}  // namespace calvix::verify
