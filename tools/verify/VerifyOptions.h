// calvix-verify's command line and exit statuses.
#pragma once

#include "QualityNames.h"
#include "quality/SamplingRate.h"

#include <string>

namespace calvix::verify {

inline constexpr int ExitPass = 0;
inline constexpr int ExitFail = 1;              // a side is outside the thresholds
inline constexpr int ExitUsage = 2;             // the command line is wrong
inline constexpr int ExitInput = 3;             // reference, record or scan file unusable
inline constexpr int ExitScannerNotReached = 4; // no source manager, or the data source does not open
inline constexpr int ExitScanFailed = 5;        // no paper, a failed transfer, an unusable image, no operator
inline constexpr int ExitChartFailed = 6;       // a side's chart was not found or failed its check
inline constexpr int ExitOutput = 7;            // the certificate, its JSON or the history not written
inline constexpr int ExitProfileOutput = 8;     // a --profile-out profile not made or not stored

struct VerifyOptions {
    std::string reference;             // IT8 reference file of the chart (required to verify)
    std::string offlineFront;          // --offline FRONT [REAR]
    std::string offlineRear;
    bool offline = false;
    std::string report;                // certificate PDF; the JSON goes beside it
    std::string record;                // the calibration record, for its header and tables
    std::string historySerial;         // --history SERIAL: print the trend and stop
    std::string serial;                // serial for scans taken elsewhere
    std::string keepFolder;            // keep scans and helper images here
    double gamma = 1.0;
    bool adaptD65 = false;
    std::string profile;               // ICC profile of the front (or the only side)
    std::string rearProfile;
    bool assumeSrgb = false;           // read the colour patches as sRGB
    std::string profileOut;            // make each measured side's profile into this folder
    GreyThresholds thresholds;
    int gwTolerance = 20;
    int blackThreshold = 25;
    // Illumination non-uniformity: --uniformity scans a blank sheet per side after the charts;
    // offline, --uniformity-page gives the blank pages' scans (front, then rear).
    bool uniformity = false;
    std::string uniformityFront;
    std::string uniformityRear;
    quality::SamplingRateOptions sampling;  // the chart's box size for the sampling rate
    bool unattended = false;           // take the rear from the next sheet without asking
    bool noHistory = false;
    bool verbose = false;
};

// -1 to go on, else the status to exit with (help printed, or a usage error).
int ParseVerifyOptions(int argc, char** argv, VerifyOptions& options);

}  // namespace calvix::verify
