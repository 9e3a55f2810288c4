// The unattended operator's decisions, step by step.
#include "unattended/UnattendedOperator.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/Clock.h"
#include "app/Strings.h"
#include "assistant/assistent.h"
#include "it8ref/ReferenceListModel.h"
#include "mainform/MainForm.h"
#include "platform/HeadlessDesktop.h"
#include "scanner/Twain.h"

namespace calvix {

namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string();
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

UnattendedOperator::UnattendedOperator(TMainFormular& form, HeadlessDesktop& desktop, Clock& clock,
                                       UnattendedOptions options, std::FILE* out)
    : form_(form), desktop_(desktop), clock_(clock), options_(std::move(options)), out_(out),
      startMs_(clock.ElapsedMs()) {
    desktop_.decide = [this](const std::string& text, MessageButtons buttons) {
        const TAppStrings* strings = form_.AppStrings();
        if (strings && text == strings->MsgServiceInUse.caption) serviceRefused_ = true;
        if (buttons != MessageButtons::RetryCancel) return MessageAnswer::Ok;
        // The scanner may still be coming up: ask again a few times, then give up.
        if (connectAnswers_++ < options_.connectRetries) {
            Say("The scanner's data source cannot be opened; trying again ...");
            return MessageAnswer::Retry;
        }
        connectCancelled_ = true;
        return MessageAnswer::Cancel;
    };
}

bool UnattendedOperator::Finished() const { return form_.Closed(); }

void UnattendedOperator::Say(const std::string& text) {
    if (!out_) return;
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
}

std::string UnattendedOperator::MessagesSince(std::size_t from) const {
    std::string reason;
    for (std::size_t i = from; i < desktop_.messages.size(); ++i)
        reason += (reason.empty() ? "" : " / ") + OneLine(desktop_.messages[i].text);
    return reason;
}

void UnattendedOperator::Act() {
    if (form_.Closed()) {
        Conclude();
        return;
    }
    ReportSession();
    if (failed_) return;

    TFormAssistent* wizard = form_.Assistent();
    if (wizard && !wizard->Closed()) {
        ActOnWizard(*wizard);
        return;
    }
    if (finishPressed_) return;  // the wizard has finished; the main window closes next
    if (form_.scannerConnected && !form_.calibModeOn) {
        Fail(UnattendedResult::CalibrationMode, "the scanner refused calibration mode");
    } else if (form_.calibModeOn && form_.ExpertMode) {
        // In expert mode the wizard opens only from the menu.
        form_.MMFileCalibrationAssistentClick();
    } else if (!form_.SearchScanner) {
        Fail(UnattendedResult::ScannerNotReached, "scanner search is switched off (SearchScanner = 0)");
    } else if (clock_.ElapsedMs() - startMs_ > options_.scannerTimeoutMs) {
        Fail(UnattendedResult::ScannerNotReached, "no scanner in calibration mode within the time limit");
    }
}

void UnattendedOperator::ReportSession() {
    if (form_.scannerConnected && !reportedConnected_) {
        reportedConnected_ = true;
        Say("Scanner found: Zelmar Q71, serial " + form_.scannerSerial + ", " +
            (form_.duplexScanner ? "duplex" : "simplex"));
    }
    if (form_.calibModeOn && !reportedCalibMode_) {
        reportedCalibMode_ = true;
        calibModeAtMs_ = clock_.ElapsedMs() - startMs_;
        Say(std::string("Calibration mode on (") + (form_.ledScanner ? "LED light source, no warm-up" : "lamps") + ")");
    }
}

void UnattendedOperator::ActOnWizard(TFormAssistent& wizard) {
    if (wizard.WizardState != lastState_) {
        lastState_ = wizard.WizardState;
        Say(std::string("Wizard: ") + WizardStateName(wizard.WizardState));
    }
    switch (wizard.WizardState) {
    case StateStart:
        if (!referenceChosen_) ChooseReference(wizard);
        if (failed_) return;
        if (wizard.ButtonNext.enabled)
            wizard.ButtonNextClick();
        else
            Fail(UnattendedResult::Reference, "no reference file is installed: give one with --reference FILE");
        return;
    case StateWarmup:
        if (wizard.ButtonNext.enabled) {
            warmUpWaitMs_ = clock_.ElapsedMs() - startMs_ - calibModeAtMs_;
            Say("Warm-up finished");
            wizard.ButtonNextClick();
        } else if (wizard.labelSeconds != lastSeconds_) {
            lastSeconds_ = wizard.labelSeconds;
            Say("Warm-up: " + lastSeconds_ + " s left");
            WatchDuringWarmUp();
        }
        return;
    case StateScanFront:
    case StateScanRear: {
        const bool front = wizard.WizardState == StateScanFront;
        if ((front ? wizard.ButtonScanFront : wizard.ButtonScanRear).enabled) Scan(wizard, front);
        if (!failed_ && wizard.ButtonNext.enabled) wizard.ButtonNextClick();
        return;
    }
    case StateFinish:
        Say("Finish: the LUT goes to the scanner as the program ends");
        finishPressed_ = true;
        finishAtMs_ = clock_.ElapsedMs() - startMs_;
        wizard.ButtonNextClick();
        // Finishing closes the main window by itself only in normal mode.
        if (form_.ExpertMode) form_.Close();
        return;
    default:
        // States without a transition of their own in a run: go back to where the flow is.
        wizard.ButtonBackClick();
        return;
    }
}

// A scanner switched off or taken into another run during the minutes of the warm-up would
// otherwise be found out only by the front scan after them; one look per second of the
// countdown costs a short request.
void UnattendedOperator::WatchDuringWarmUp() {
    switch (form_.checkCalibMode()) {
    case CalibModeCheck::Unreachable:
        Fail(UnattendedResult::ScannerNotReached,
             "the scanner is gone during the warm-up: " + form_.calibModeWatch.Reason());
        return;
    case CalibModeCheck::Lost:
        Fail(UnattendedResult::CalibrationMode,
             "calibration mode no longer holds during the warm-up: " + form_.calibModeWatch.Reason());
        return;
    case CalibModeCheck::Holds:
        return;
    }
}

void UnattendedOperator::ChooseReference(TFormAssistent& wizard) {
    referenceChosen_ = true;
    if (options_.reference.empty()) return;
    std::error_code error;
    const std::string path = std::filesystem::absolute(options_.reference, error).string();
    if (error || !std::filesystem::is_regular_file(path, error)) {
        Fail(UnattendedResult::Reference, "the reference file " + options_.reference + " is not a readable file");
        return;
    }
    const std::string name = std::filesystem::path(path).filename().string();
    ReferenceListModel& list = wizard.ReferenceList();
    const std::size_t before = desktop_.messages.size();
    int listed = -1;
    for (std::size_t i = 0; i < list.lines.size(); ++i)
        if (!list.listPlaceholder && SameReferenceName(list.lines[i], name)) listed = static_cast<int>(i);
    if (listed >= 0) {
        // Installing a listed name would load the file but not install it; pick the installed
        // copy instead, and only when it is this very file.
        if (FileBytes(list.InstalledPath(list.lines[listed])) != FileBytes(path)) {
            Fail(UnattendedResult::Reference, "a different reference file named " + list.lines[listed] +
                                                  " is installed already; rename the new one");
            return;
        }
        list.selected = listed;
        wizard.ListBoxIT8InstalledClick();
        Say("Reference: " + list.lines[listed] + " (installed before)");
    } else {
        desktop_.fileDialogAnswers.push_back(path);
        wizard.ButtonIT8InstallClick();
        Say("Reference: " + name + " installed");
    }
    if (desktop_.messages.size() > before)
        Fail(UnattendedResult::Reference, "the reference file cannot be used: " + MessagesSince(before));
}

void UnattendedOperator::Scan(TFormAssistent& wizard, bool front) {
    const char* side = front ? "front" : "rear";
    Say(std::string("Scanning the ") + side + " ...");
    const std::size_t before = desktop_.messages.size();
    const std::int64_t started = clock_.ElapsedMs();
    front ? wizard.ButtonScanFrontClick() : wizard.ButtonScanRearClick();
    scanWorkMs_ += clock_.ElapsedMs() - started;
    if (wizard.stepReady[front ? StateScanFront : StateScanRear] == 0) {
        std::string corners;
        const ImageWindows& windows = form_.Images();
        if (const TChildImage* scan = front ? windows.FrontWindow() : windows.RearWindow()) {
            for (int slot = 1; slot <= 4; ++slot)
                corners += " (" + std::to_string(scan->cornerSlots[slot].x) + ", " +
                           std::to_string(scan->cornerSlots[slot].y) + ")";
        }
        Say(std::string("  ") + side + ": chart found and checked, corners" + corners +
            "; correction values calculated");
        return;
    }
    std::string reason = MessagesSince(before);
    // The box of a scan that brought no image has one text for every cause, and it blames the
    // lamps; the acquisition knows what failed.
    const Twain* twain = form_.TwainModule();
    const TAppStrings* texts = form_.AppStrings();
    if (twain && texts && !twain->AcquisitionFailure().empty() &&
        reason.find(OneLine(texts->MsgErrWarmup.caption)) != std::string::npos)
        reason = "no image came from the scanner: " + twain->AcquisitionFailure();
    // The scanner's state decides before the side's own failure: a scanner gone or a mode lost
    // is what failed, whatever box the scan step showed for it.
    const std::string what = std::string("the ") + side + " scan failed: ";
    switch (form_.calibModeWatch.Last()) {
    case CalibModeCheck::Unreachable:
        Fail(UnattendedResult::ScannerNotReached, what + "the scanner is gone: " + form_.calibModeWatch.Reason());
        return;
    case CalibModeCheck::Lost:
        Fail(UnattendedResult::CalibrationMode,
             what + "calibration mode no longer holds: " + form_.calibModeWatch.Reason());
        return;
    case CalibModeCheck::Holds:
        break;
    }
    Fail(front ? UnattendedResult::FrontSide : UnattendedResult::RearSide,
         what + (reason.empty() ? "see the log" : reason));
}

void UnattendedOperator::Fail(UnattendedResult result, const std::string& reason) {
    if (failed_) return;
    failed_ = true;
    result_ = result;
    Say("FAILED: " + reason);
    TFormAssistent* wizard = form_.Assistent();
    // Ending the wizard ends a normal-mode run; in expert mode the main window is closed too.
    if (wizard && !wizard->Closed()) wizard->ButtonAbortClick();
    if (form_.ExpertMode || !wizard) form_.Close();
}

void UnattendedOperator::Conclude() {
    if (concluded_) return;
    concluded_ = true;
    if (failed_) return;
    if (form_.lutSent) {
        result_ = UnattendedResult::Uploaded;
        Say("LUT uploaded and acknowledged by the scanner");
        for (const std::string& line : form_.profileReports) Say(line);
        if (form_.profilesFailed) {
            result_ = UnattendedResult::ProfilesNotWritten;
            Say("FAILED: the LUT is in the scanner, but its ICC profiles were not all written (see above)");
        }
        const std::int64_t total = clock_.ElapsedMs() - startMs_;
        char line[320];
        std::snprintf(line, sizeof line,
                      "Time: %lld ms in all: calibration mode after %lld ms, warm-up waited %lld ms, scans and "
                      "analysis %lld ms, shut-down with the upload %lld ms; %lld ms of it outside the waits for "
                      "the next tick",
                      static_cast<long long>(total), static_cast<long long>(calibModeAtMs_),
                      static_cast<long long>(warmUpWaitMs_), static_cast<long long>(scanWorkMs_),
                      static_cast<long long>(total - finishAtMs_),
                      static_cast<long long>(total - tickWaitMs_));
        Say(line);
    } else if (form_.lutReady) {
        result_ = UnattendedResult::Upload;
        switch (form_.lutUpload) {
        case LutUpload::Unanswered:
            Say("FAILED: no answer came from the scanner to the upload; it may have stored the LUT (check it with "
                "calvix-verify)");
            break;
        case LutUpload::NotConnected:
        case LutUpload::NotSent:
            Say("FAILED: the scanner could not be reached for the upload; the LUT was not sent");
            break;
        default:
            Say("FAILED: the scanner did not take the LUT (see the log)");
            break;
        }
    } else if (serviceRefused_) {
        result_ = UnattendedResult::StartRefused;
        Say("FAILED: the service interface is in use by another program");
    } else if (connectCancelled_) {
        result_ = UnattendedResult::ScannerNotReached;
        Say("FAILED: the scanner's data source could not be opened");
    } else {
        result_ = UnattendedResult::Interrupted;
        Say("FAILED: the program ended before the calibration finished");
    }
}

}  // namespace calvix
