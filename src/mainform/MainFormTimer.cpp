// TMainFormular's 200 ms tick and its close handler: the order in which the program comes up,
// connects the scanner and goes down, each step guarded by its flag.
#include "mainform/MainForm.h"
#include "app/Clock.h"
#include "app/Desktop.h"
#include "scanner/NamedLock.h"
#include "scanner/ServiceInterface.h"

namespace calvix {

namespace {
constexpr const char* kSpinner = "/-\\|/-\\|";
}  // namespace

void TMainFormular::TimerTimer() {
    // The shut-down's own message boxes let ticks in; none of the steps may run under it.
    if (ShuttingDown()) return;
    if (closePending_ && loops_.dialogs == 0) {
        Close();
        return;
    }
    ReleaseClosedAssistent();
    if (splashPending) {
        splash_ = std::make_unique<TFormSplash>(versionText, !ExpertMode);
        splashOpen = true;
        splashLogActive = !ExpertMode;
        ports_.desktop.ShowSplash();
        splashPending = false;
    } else if (startupReady) {
        ++tickCount_;
    }
    if (ExpertMode && tickCount_ > 20 && transparent_) {
        transparent_ = false;
        ports_.desktop.SetMainWindowTransparent(false);
    }
    if (ExpertMode && tickCount_ > 30) CloseSplash();
    if (imageCount == 0) controls.closeFile.enabled = false;
    if (!serviceChecked) ServiceStep();
    if (ShuttingDown()) return;  // the service interface was refused

    if (!LogWriter.Flush()) {
        // An unwritable log must not stop the run or flood it: say so once, keep the lines in
        // memory and let every later tick try again.
        if (!flushFailureReported_) {
            flushFailureReported_ = true;
            CALVIX_LOG_ERR(unit::MainForm, "Writing log file failed! " + LogWriter.LastFlushError(), LogErrBar);
        }
    } else {
        flushFailureReported_ = false;
    }

    if (!imageOpen && autoloadOnStart && autoloadPending) StartupLoadStep();
    if (!ExpertMode && closeRequested) Close();
    if (ShuttingDown()) return;
    if (SearchScanner && !retryDialogOpen && !closeRequested && startupReady) ConnectStep();
    if (ShuttingDown()) return;  // the operator gave up on the scanner
    SetStatusPanel(4, std::string(1, kSpinner[spinner_ & 7]));
    ++spinner_;
}

void TMainFormular::Close() {
    // The close handler runs once: a tick after a refused start-up would otherwise close again.
    if (closed_ || closing_) return;
    if (loops_.dialogs > 0) {
        // The box's handler goes on once it is answered and may still use what the shut-down
        // frees (the image windows, TWAIN): the request waits for the first tick after it.
        closePending_ = true;
        closeRequested = true;
        return;
    }
    closing_ = true;
    closePending_ = false;
    FormClose();
    closed_ = true;
    ports_.desktop.MainWindowClosed();
}

void TMainFormular::FormClose() {
    closeRequested = true;
    CALVIX_LOG_DBG(unit::MainForm, "TMainFormular::FormClose()");
    LogStatus("Application shutting down ...");
    CloseSession();
    CloseImageWindowsStep();
    splashOpen = false;
    WriteSettings();
    LogStatus("  ... saving splash logfile");
    LogStatus("  ... bye!");
    if (splash_) splash_->SaveToFile(appDataFolder_ + "/" + ApplicationTitle + "_splash.log");
    LogWriter.Flush();
}

void TMainFormular::ServiceStep() { checkServiceInterface(); }

void TMainFormular::checkServiceInterface() {
    serviceChecked = true;
    NamedLock* lock = ports_.serviceLock;
    if (lock && appStrings_ && !AcquireServiceInterface(*lock, serviceLockHeld_, ports_.desktop, *appStrings_)) {
        startupReady = true;
        Close();
        return;
    }
    startupReady = true;
}

}  // namespace calvix
