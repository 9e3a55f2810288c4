// Everything one verification found, and its machine-readable forms: the report JSON written
// beside the certificate (schema docs/verify-report.schema.json) and the one-line history entry.
#pragma once

#include "QualityNames.h"
#include "LutRecordFile.h"
#include "ReferenceBatch.h"
#include "SideMeasurement.h"

#include <optional>
#include <string>
#include <vector>

namespace calvix::verify {

inline constexpr const char* ReportSchema = "calvix-verify-report/1";
inline constexpr const char* HistorySchema = "calvix-verify-history/1";

struct ScannerInfo {
    std::string serial;  // CAP_SERIALNUMBER, or --serial for scans taken elsewhere
    std::string model;   // the data source's identity; empty when not known
    bool duplex = false;
    bool offline = false;  // the scans were given as files
};

struct VerifyResult {
    std::string toolVersion;
    std::string verifiedAt;  // UTC, "2026-05-01T09:30:00Z"
    ScannerInfo scanner;
    ReferenceBatch batch;
    double gamma = 1.0;
    bool adaptD65 = false;
    std::optional<LutRecordInfo> record;
    GreyThresholds thresholds;
    std::vector<SideResult> sides;

    // Every side measured and within the thresholds (and at least one side).
    bool Passed() const;
    // The record names another scanner than the one verified.
    bool RecordOfOtherScanner() const;
};

std::string ReportJson(const VerifyResult& result);
// One line without its line end.
std::string HistoryLine(const VerifyResult& result);

// The worst channel's mean |difference| and the largest |difference| of a measured side.
double WorstMean(const GreyEvaluation& grey);
int WorstMax(const GreyEvaluation& grey);

}  // namespace calvix::verify
