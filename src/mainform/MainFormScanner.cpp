// TMainFormular's scanner service operations: calibration mode in and out and the LUT upload.
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

// The measured tables exist nowhere but here: the operator may try as often as the scanner
// needs (switched on again, another program done with it) before they are given up.
bool TMainFormular::storeLUT() {
    if (!appStrings_) return false;
    const auto copy = CalibrationLut.Copy();
    for (;;) {
        MessageAnswer answer = MessageAnswer::Cancel;
        lutUpload = calvix::storeLUT(*ethernet_, std::span<const std::uint8_t, 6227>(copy.data(), 6227), ports_.desktop,
                                     *appStrings_, &answer);
        if (lutUpload == LutUpload::Stored) return true;
        if (answer != MessageAnswer::Retry) {
            CALVIX_LOG_UAC(unit::MainForm, "LUT upload given up!");
            return false;
        }
        CALVIX_LOG_UAC(unit::MainForm, "LUT upload: retry requested!");
    }
}

CalibModeCheck TMainFormular::checkCalibMode(bool tellOperator) {
    const CalibModeCheck result = calibModeWatch.Check(*ethernet_, duplexScanner);
    if (result == CalibModeCheck::Lost) calibModeOn = false;
    if (result != CalibModeCheck::Holds && tellOperator && appStrings_)
        ports_.desktop.ShowMessage(appStrings_->MsgUnspecError.caption, appStrings_->MBoxTitleError.caption,
                                   MessageButtons::Ok);
    return result;
}

}  // namespace calvix
