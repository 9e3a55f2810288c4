// The scanner session's steps in the main window's tick and close handler: finding the Q71
// over TWAIN, putting it into calibration mode and opening the wizard; at shut-down closing
// TWAIN, leaving calibration mode, sending the LUT and releasing the service interface.
#include "mainform/MainForm.h"

#include "app/Clock.h"
#include "app/Desktop.h"
#include "app/StringTable.h"
#include "assistant/assistent.h"
#include "calibration/CalibrationLut.h"
#include "profiling/ProfileFiles.h"
#include "scanner/NamedLock.h"
#include "scanner/Twain.h"

#include <algorithm>

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
        CALVIX_LOG_ERR(unit::MainForm, "Cannot set calibration mode!", LogErrBarSplash);
        AskAfterRefusedCalibMode();
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

// Without calibration mode no wizard opens, and in normal mode nothing else would show: the
// program would hold the service interface with no way to end it. The operator decides.
void TMainFormular::AskAfterRefusedCalibMode() {
    retryDialogOpen = true;
    const MessageAnswer answer = ports_.desktop.ShowMessage(
        appStrings_->MsgErrCalibMode.caption, appStrings_->MBoxTitleRequest.caption, MessageButtons::RetryQuit);
    retryDialogOpen = false;
    if (answer == MessageAnswer::Retry) {
        CALVIX_LOG_UAC(unit::MainForm, "Calibration mode: retry requested!");
        // The next ticks look for the scanner anew, from the TWAIN library on, as at start-up.
        scannerConnected = false;
        twainLoaded = false;
        connectLogged = false;
        return;
    }
    CALVIX_LOG_UAC(unit::MainForm, "Program abortion requested!");
    // Closed at the next tick, as after a finished wizard, in either mode.
    closeRequested = true;
    closePending_ = true;
}

void TMainFormular::SplashWindowClosed() {
    CALVIX_LOG_UAC(unit::MainForm, "Splash window closed!");
    // In normal mode the splash is the program's only window until the wizard opens.
    if (!ExpertMode && (!assistent_ || assistent_->Closed())) Close();
}

void TMainFormular::ConfirmRunEnd() {
    const TAppStrings& s = *appStrings_;
    std::string text = s.MsgRunDone.caption + "\n" + FillText(s.MsgRunScanner.caption, {scannerSerial});
    for (std::size_t side = 0; side < (duplexScanner ? 2u : 1u); ++side) {
        const std::string name = side == 0 ? "front" : "rear";
        // The profile's own report says whether it was written; its reason is in the log.
        const std::string written = "ICC profile of the " + name + " side: ";
        const bool stored = std::any_of(profileReports.begin(), profileReports.end(),
                                        [&](const std::string& line) { return line.rfind(written, 0) == 0; });
        const std::string where =
            stored ? ports_.iccFolder + "/" + ProfileFileName(scannerSerial, name) : s.MsgRunProfileMissing.caption;
        text += "\n" + FillText((side == 0 ? s.MsgRunProfileFront : s.MsgRunProfileRear).caption, {where});
    }
    ports_.desktop.ShowMessage(text, s.MBoxTitleHint.caption, MessageButtons::Ok);
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
        if (lutSent) {
            MakeSideProfiles();
            // The windows are gone by now; without this the run ends without a word.
            if (ports_.confirmRunEnd) ConfirmRunEnd();
        }
    } else {
        LogStatus("  ... no LUT generated!");
    }
    if (ports_.serviceLock && serviceLockHeld_) {
        ports_.serviceLock->Release();
        serviceLockHeld_ = false;
    }
}

}  // namespace calvix
