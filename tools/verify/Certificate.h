// The verification certificate as a PDF: page one the scanner, reference, record, verdict,
// levels met, colour summary and drift chart; page two per side the correction curves with the
// grey samples and the table of the 24 grey patches; page three per side the image-quality
// figures with their levels, the grades and what limits them, and the SFR curves.
#pragma once

#include "History.h"
#include "VerifyReport.h"

#include <string>

namespace calvix::verify {

// Written through a temporary file beside path and renamed; false with a reason. Runs on the
// offscreen platform when no QT_QPA_PLATFORM is set, so it needs no display.
bool WriteCertificate(const VerifyResult& result, const HistoryRead& history, const std::string& path,
                      std::string& error);

}  // namespace calvix::verify
