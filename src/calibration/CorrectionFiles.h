// The two text files of a grey-wedge evaluation: the measured and reference grey steps, and
// the three correction tables, one file pair per chart side in the application data folder.
#pragma once

#include "calibration/CorrectionTypes.h"

#include <string>

namespace calvix {

std::string GreyScaleFileText(const GreyColours& measured, const GreyColours& reference);
std::string TableFileText(const ChannelTables& tables);

// "<folder>/gs_rgb_front.csv" or "<folder>/gs_rgb_back.csv".
std::string GreyScaleFilePath(const std::string& dataFolder, bool isFront);
// "<folder>/corrvals_front.csv" or "<folder>/corrvals_back.csv".
std::string TableFilePath(const std::string& dataFolder, bool isFront);

// Replace the file as a whole; false (error set when given) when it could not be written. The
// files are a record for the operator: the evaluation goes on without them.
bool WriteGreyScaleFile(const std::string& dataFolder, bool isFront, const GreyColours& measured,
                        const GreyColours& reference, std::string* error = nullptr);
bool WriteTableFile(const std::string& dataFolder, bool isFront, const ChannelTables& tables,
                    std::string* error = nullptr);

}  // namespace calvix
