// The scanner session's steps in the main window's tick and close handler: finding the Q71
// over TWAIN, putting it into calibration mode and opening the wizard; at shut-down closing
// TWAIN, leaving calibration mode, sending the LUT and releasing the service interface.
#include "mainform/MainForm.h"

#include "app/Clock.h"
#include "app/Desktop.h"
#include "calibration/CalibrationLut.h"
#include "scanner/NamedLock.h"
#include "scanner/Twain.h"

namespace calvix {

void TMainFormular::ConnectStep() {
    if (!twain_ || !appStrings_) return;
    if (!twainLoaded || scannerConnected) {
        twainLoaded = twain_->TwainLoadManager();
        if (!twainLoaded) {
            CALVIX_LOG_ERR(unit::MainForm, "TWAIN: Failure while openening DLL!", LogErrBarSplash);
        } else if (!scannerConnected) {
            LogStatus("TWAIN: DLL found!", LogStaSplash);
            controls.calibrationAssistent.enabled = false;
        } else if (!connectLogged) {
            LogStatus(LogWriter.Printf("TWAIN: Q71 connected! (Ser# %s, %s)", scannerSerial.c_str(),
                                       duplexScanner ? "dupl." : "simpl."),
                      LogStaSplash);
            connectLogged = true;
        }
        return;
    }

    void* window = TwainWindowHandle();
    if (!twain_->ManagerOpen()) {
        if (twain_->TwainOpenManager(window))
            LogStatus("TWAIN: DSM opened!", LogStaSplash);
        else
            CALVIX_LOG_ERR(unit::MainForm, "TWAIN: Failure while opening DSM!", LogErrBarSplash);
    }
    if (!twain_->ManagerOpen()) return;

    if (!twain_->TwainOpenSource()) {
        CALVIX_LOG_ERR(unit::MainForm, "TWAIN: DSM opened, but Q71 not connected!", LogErrBar);
        // The question is modal and ticks go on under it; the flag keeps this step out of them.
        retryDialogOpen = true;
        const MessageAnswer answer = ports_.desktop.ShowMessage(
            appStrings_->MsgRequConnectAgain.caption, appStrings_->MBoxTitleRequest.caption, MessageButtons::RetryCancel);
        if (answer != MessageAnswer::Retry) {
            CALVIX_LOG_UAC(unit::MainForm, "Program abortion requested!");
            Close();
        }
        retryDialogOpen = false;
        return;
    }

    if (twain_->TwainCheckCapabilities(window) != 0) {
        CALVIX_LOG_ERR(unit::MainForm, "TWAIN: Q71 connected, reading capabilities failed!", LogErrBarSplash);
        return;
    }
    duplexScanner = twain_->twainDuplex();
    scannerSerial = twain_->twainSerial();
    scannerConnected = true;
    twain_->TwainClose(window);
    twain_->TwainUnloadManager();

    if (!setCalibMode(duplexScanner)) {
        // Not tried again: from the next tick on the scanner counts as connected.
        CALVIX_LOG_ERR(unit::MainForm, "Cannot set calibration mode!", LogErrBarSplash);
        return;
    }
    warmUpStart = static_cast<std::int32_t>(ports_.clock.ElapsedMs());
    calibModeOn = true;
    // Manager and source stay open for the scans that follow.
    twainLoaded = twain_->TwainLoadManager();
    if (twainLoaded && twain_->TwainOpenManager(window)) twain_->TwainOpenSource();
    controls.calibrationAssistent.enabled = true;
    if (!ExpertMode) CreateAssistent();
}

void TMainFormular::CloseSession() {
    if (twain_) {
        // Decision: the library is unloaded and the line written whenever it was loaded, also
        // when the manager had been closed already by the last scan.
        const bool loaded = twain_->ManagerLoaded();
        if (twain_->ManagerOpen()) twain_->TwainClose(TwainWindowHandle());
        twain_->TwainUnloadManager();
        if (loaded) LogStatus("  ... TWAIN closed!");
    }
    clearCalibMode(duplexScanner);
    if (lutReady) {
        LogStatus("  ... Sending LUT to scanner!");
        FillLutHeader(duplexScanner ? 2 : 1, scannerSerial, versionText, ports_.clock);
        lutSent = storeLUT();
        if (lutSent) MakeSideProfiles();
    } else {
        LogStatus("  ... no LUT generated!");
    }
    if (ports_.serviceLock && serviceLockHeld_) {
        ports_.serviceLock->Release();
        serviceLockHeld_ = false;
    }
}

}  // namespace calvix
