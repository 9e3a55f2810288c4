// Scans the tool keeps or reads as files: the copies kept under --keep, and the offline blank
// pages for the non-uniformity, read before anything is measured.
#pragma once

#include "SideMeasurement.h"
#include "VerifyOptions.h"
#include "analysis/ScanBitmap.h"

#include <array>
#include <string>

namespace calvix::verify {

// Keeps image as <keep folder>/Verify_<name>.bmp; kept gets the path, or stays empty without
// --keep. False with the reason when it cannot be written.
bool KeepScan(const VerifyOptions& options, const ScanBitmap& image, const std::string& name, std::string& kept,
              std::string& error);

// Reads --uniformity-page's files into pages and points the context's blank pages at them.
bool LoadBlankPages(const VerifyOptions& options, std::array<ScanBitmap, 2>& pages, MeasureContext& context,
                    std::string& error);

}  // namespace calvix::verify
