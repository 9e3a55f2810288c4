// TMainFormular and the calibration wizard: what the wizard may ask of the main window, its
// creation by the scanner session and the menu command, and its end.
#include "mainform/MainForm.h"

#include "app/Clock.h"
#include "app/Desktop.h"
#include "assistant/AssistantHost.h"
#include "assistant/assistent.h"
#include "scanner/Twain.h"

namespace calvix {

namespace {

class MainFormAssistantHost final : public AssistantHost {
public:
    explicit MainFormAssistantHost(TMainFormular& form) : form_(form) {}

    bool LedScanner() const override { return form_.ledScanner; }
    bool TwainDuplex() const override { return form_.TwainModule() && form_.TwainModule()->twainDuplex(); }
    bool ExpertMode() const override { return form_.ExpertMode; }
    std::int32_t WarmUpStart() const override { return form_.warmUpStart; }
    // A calibration scan is only worth analysing when it came raw, so the calibration mode is
    // confirmed before the paper query (a failed query's message follows) and after the scan.
    int FeederLoaded() override {
        Twain* twain = form_.TwainModule();
        if (form_.checkCalibMode() != CalibModeCheck::Holds) return -1;
        return twain ? twain->TwainFeederLoaded(form_.TwainWindowHandle()) : -1;
    }
    int AcquireScan(int side) override {
        const int result = form_.acquireScan(side);
        if (result < 0 || form_.checkCalibMode(true) == CalibModeCheck::Holds) return result;
        return -4;
    }
    void AbortScan() override {
        if (Twain* twain = form_.TwainModule()) twain->TwainAbortAcquisition();
    }
    int CheckScan(bool front) override {
        ImageWindows& windows = form_.Images();
        return form_.CheckIt8Scan(front ? windows.FrontWindow() : windows.RearWindow(), front);
    }
    bool StoreScan() override {
        if (!form_.StoreChecked()) return false;
        return form_.Correction().TablesUsable();
    }
    void SetLutReady() override { form_.lutReady = true; }
    void SetCloseRequested() override { form_.closeRequested = true; }
    void ShowHelp(int helpContext) override { form_.ShowWizardHelp(helpContext); }

private:
    TMainFormular& form_;
};

}  // namespace

void TMainFormular::CreateAssistent() {
    if (!appStrings_) return;
    // One wizard at a time: a second command while one is open leaves that one as it is, and
    // so does one while a closed wizard's handler is still on the stack.
    if (assistent_ && (!assistent_->Closed() || WizardOnStack())) return;
    assistent_.reset();
    if (!assistentHost_) assistentHost_ = std::make_unique<MainFormAssistantHost>(*this);
    assistent_ = std::make_unique<TFormAssistent>(AssistantContext{*assistentHost_, ports_.desktop, ports_.clock,
                                                                   *appStrings_, *referenceLoader_, appDataFolder_,
                                                                   ListIT8Index, WarmUpTime, textBase});
    ports_.desktop.ShowAssistant();
}

void TMainFormular::ReleaseClosedAssistent() {
    if (assistent_ && assistent_->Closed() && !WizardOnStack()) assistent_.reset();
}

// A wizard closed during its scan or under one of its message boxes is still on the stack
// below the nested loop in which a tick or a menu command runs; it goes after that returns.
bool TMainFormular::WizardOnStack() const { return loops_.dialogs > 0 || (twain_ && twain_->Acquiring()); }

void TMainFormular::MMFileCalibrationAssistentClick() {
    if (!controls.calibrationAssistent.enabled) return;
    CreateAssistent();
}

void TMainFormular::ShowWizardHelp(int helpContext) { ports_.desktop.ShowHelp(helpFile_, helpContext); }

}  // namespace calvix
