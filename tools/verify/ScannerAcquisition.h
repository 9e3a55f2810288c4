// The scans of a verification through TWAIN, the way the calibration takes them: the Q71's data
// source with the program's own settings, no LUT bypass, so the image is what a customer gets.
#pragma once

#include "VerifyReport.h"
#include "analysis/ScanBitmap.h"

#include <functional>
#include <string>

namespace calvix {
class Twain;
}

namespace calvix::verify {

class ScannerAcquisition {
public:
    explicit ScannerAcquisition(Twain& twain) : twain_(twain) {}

    // Loads and opens the manager and the source and reads its identity, duplex ability and
    // serial number. ExitPass, or the exit status with the reason in error.
    int Open(ScannerInfo& info, std::string& error);
    // One sheet from the feeder, the given side kept. ExitPass, or the status with the reason.
    int Scan(bool front, ScanBitmap& image, std::string& error);

private:
    int Fail(int status, const std::string& reason, std::string& error);

    Twain& twain_;
};

}  // namespace calvix::verify
