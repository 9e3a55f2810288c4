// TMainFormular's scanner service operations: calibration mode in and out, the LUT upload, and
// the scanner session's part of the shut-down.
#include "mainform/MainForm.h"
#include "app/Desktop.h"
#include "calibration/CalibrationLut.h"
#include "scanner/CalibMode.h"
#include "scanner/EthernetCmd.h"
#include "scanner/NamedLock.h"
#include "scanner/StoreLut.h"

namespace calvix {

bool TMainFormular::setCalibMode(bool duplex) { return calvix::setCalibMode(*ethernet_, ports_.clock, duplex, ledScanner); }
bool TMainFormular::clearCalibMode(bool duplex) { return calvix::clearCalibMode(*ethernet_, ports_.clock, duplex); }

bool TMainFormular::storeLUT() {
    if (!appStrings_) return false;
    const auto copy = CalibrationLut.Copy();
    return calvix::storeLUT(*ethernet_, std::span<const std::uint8_t, 6227>(copy.data(), 6227), ports_.desktop,
                            *appStrings_);
}

void TMainFormular::CloseSession() {
    // TWAIN comes with the acquisition; nothing of it is open before.
    clearCalibMode(duplexScanner);
    if (lutReady) {
        LogStatus("  ... Sending LUT to scanner!");
        FillLutHeader(duplexScanner ? 2 : 1, scannerSerial, versionText, ports_.clock);
        storeLUT();
    } else {
        LogStatus("  ... no LUT generated!");
    }
    if (ports_.serviceLock && serviceLockHeld_) {
        ports_.serviceLock->Release();
        serviceLockHeld_ = false;
    }
}

}  // namespace calvix
