// The calibration wizard's states, transitions, warm-up countdown and scan handling.
#include "assistant/assistent.h"

#include "app/Clock.h"
#include "app/Desktop.h"
#include "app/FormStatus.h"
#include "app/Language.h"
#include "app/StringTable.h"
#include "app/Strings.h"
#include "assistant/AssistantHost.h"
#include "it8ref/ReferenceListModel.h"

namespace calvix {

namespace {

constexpr const char* StateNames[WizardPageCount] = {"Start",     "Warmup",    "Scan Front", "Scan Rear",
                                                     "SetFrameF", "SetFrameR", "Finish"};
constexpr const char* PageNames[WizardPageCount] = {"PanelCalStart",      "PanelWarmup",       "PanelScanFront",
                                                    "PanelScanRear",      "PanelSetFrameFront", "PanelSetFrameRear",
                                                    "PanelFinished"};

bool ValidState(std::int32_t state) { return state >= 0 && state < WizardPageCount; }

}  // namespace

const char* WizardStateName(std::int32_t state) {
    return ValidState(state) ? StateNames[state] : "Undefined state!!";
}

const char* WizardPageName(int state) { return ValidState(state) ? PageNames[state] : ""; }

TFormAssistent::TFormAssistent(AssistantContext context) : context_(std::move(context)) {
    CALVIX_LOG_DBG(unit::assistent, "TFormAssistent.TFormAssistent()");
    LogStatus("Assistent: Starting constructor ...");

    warmUpDone = false;
    warmUpSeconds = context_.warmUpTime;

    for (WizardButton* b : {&ButtonAbort, &ButtonBack, &ButtonNext, &ButtonHelp, &ButtonIT8Install,
                            &ButtonScanFront, &ButtonScanRear})
        form_.Add(b->text);
    for (FormComponent* c : {&Window, &LabelTitel, &LabelCalStart, &Label5, &Label8, &LabelWarmup, &Label15,
                             &Label9, &LabelScan, &TitelIT8ScanRear, &Label6, &LabelSetFrameFront,
                             &LabelSetFrameRear, &LabelSetFrameText, &Label13, &Label14, &LblScanPassed,
                             &LblScanFailed, &LblScanNoImage, &LblScanTablesFall})
        form_.Add(*c);
    TranslateForm(context_.textBase, form_);
    RegisterForm(form_);
    form_.changed = [this] { NotifyChanged(); };

    savedNextCaption_ = ButtonNext.text.caption;
    windowTitle = context_.strings.LabelFormTitleAssitant.caption;
    progressMax = warmUpSeconds;

    pageVisible_.fill(false);
    stepReady.fill(-1);
    WizardState = StateStart;
    ShowPage(StateStart, true);
    ButtonNext.enabled = false;  // every mark is still blocked
    ButtonBack.enabled = false;

    list_ = std::make_unique<ReferenceListModel>(context_.dataFolder, context_.referenceLoader, context_.desktop,
                                                 context_.strings, context_.listIndex);
    list_->changed = [this] { SyncStartReady(); };
    SyncStartReady();

    LogStatus("Assistent: ... constructed!");
    CALVIX_LOG_DBG(unit::assistent, "TFormAssistent::FormCreate()");
}

TFormAssistent::~TFormAssistent() {
    if (destroyed) destroyed();
    UnregisterForm(form_);
    CALVIX_LOG_DBG(unit::assistent, "TFormAssistent::FormDestroy()");
}

int TFormAssistent::VisiblePage() const {
    for (int i = 0; i < WizardPageCount; ++i)
        if (pageVisible_[i]) return i;
    return -1;
}

void TFormAssistent::ShowPage(std::int32_t state, bool visible) {
    if (ValidState(state)) pageVisible_[state] = visible;
}

void TFormAssistent::SyncStartReady() {
    // The list's pick and install decide the Start state's mark and, on that page only, "Next >".
    stepReady[StateStart] = list_->stepReady;
    if (WizardState == StateStart) ButtonNext.enabled = list_->nextEnabled;
    NotifyChanged();
}

void TFormAssistent::ButtonNextClick() {
    // "Next >" may only be used in a ready state: a press that reaches a disabled button (a
    // late or repeated event, a script) must not move the run on, least of all into Finish.
    if (closed_ || !ButtonNext.enabled) return;
    Transition(true);
}

void TFormAssistent::ButtonBackClick() {
    if (closed_) return;
    Transition(false);
}

void TFormAssistent::Transition(bool forward) {
    CALVIX_LOG_DBG(unit::assistent,
                   forward ? "TFormAssistent::ButtonNextClick()" : "TFormAssistent::ButtonBackClick()");
    if (forward || WizardState != StateStart) {
        ShowPage(WizardState, false);
        LogStatus(std::string("Assistent current state: ") + WizardStateName(WizardState));
        WizardState = forward ? NextState() : BackState();
        ShowPage(WizardState, true);
        LogStatus(std::string("Assistent new state: ") + WizardStateName(WizardState));
    }
    ButtonNext.enabled = ValidState(WizardState) && stepReady[WizardState] == 0;
    ButtonBack.enabled = WizardState != StateStart;
    NotifyChanged();
}

std::int32_t TFormAssistent::NextState() {
    const bool led = context_.host.LedScanner();
    const bool duplex = context_.host.TwainDuplex();
    switch (WizardState) {
    case StateStart:
        helpContext = led ? HelpContextScanFront : HelpContextWarmup;
        return led ? StateScanFront : StateWarmup;
    case StateWarmup:
        helpContext = HelpContextScanFront;
        return StateScanFront;
    case StateScanFront:
        if (duplex) {
            helpContext = HelpContextScanRear;
            return StateScanRear;
        }
        EnterFinish();
        return StateFinish;
    case StateScanRear:
        EnterFinish();
        return StateFinish;
    case StateSetFrameF:
        return duplex ? StateSetFrameR : StateFinish;
    case StateSetFrameR:
        return StateFinish;
    case StateFinish:
        context_.host.SetLutReady();
        context_.host.SetCloseRequested();
        LogStatus("Assistent finished! Application is shutting down...", LogStaSplash);
        Close();
        return StateFinish;
    default:
        helpContext = HelpContextStart;
        return StateStart;
    }
}

std::int32_t TFormAssistent::BackState() {
    const bool led = context_.host.LedScanner();
    const bool duplex = context_.host.TwainDuplex();
    switch (WizardState) {
    case StateWarmup:
        helpContext = HelpContextStart;
        return StateStart;
    case StateScanFront:
        helpContext = led ? HelpContextStart : HelpContextWarmup;
        return led ? StateStart : StateWarmup;
    case StateScanRear:
        helpContext = HelpContextScanFront;
        return StateScanFront;
    case StateSetFrameF:
        return duplex ? StateScanRear : StateScanFront;
    case StateSetFrameR:
        return StateSetFrameF;
    case StateFinish:
        ButtonNext.text.caption = savedNextCaption_;
        helpContext = duplex ? HelpContextScanRear : HelpContextScanFront;
        return duplex ? StateScanRear : StateScanFront;
    default:
        helpContext = HelpContextStart;
        return StateStart;
    }
}

void TFormAssistent::EnterFinish() {
    ButtonNext.text.caption = context_.strings.LblFinish.caption;
    ButtonNext.enabled = true;
    helpContext = HelpContextFinish;
    stepReady[StateFinish] = 0;
}

void TFormAssistent::TimerWarmUpTimer() {
    if (closed_ || warmUpDone) return;
    if (context_.host.LedScanner()) {
        warmUpSeconds = 0;
        warmUpDone = true;
        LogStatus("Assistent LED scanner - no warmup!", LogStaSplash);
        NotifyChanged();
        return;
    }
    // Whole seconds since calibration mode was entered, whatever page is shown.
    const std::int64_t elapsed = (context_.clock.ElapsedMs() - context_.host.WarmUpStart()) / 1000;
    progressPosition = elapsed;
    labelSeconds = std::to_string(static_cast<std::int64_t>(warmUpSeconds) - elapsed);
    if (elapsed > warmUpSeconds) {
        LogStatus("Assistent warmup finished!", LogStaSplash);
        stepReady[StateWarmup] = 0;
        if (WizardState == StateWarmup) ButtonNext.enabled = true;
        warmUpDone = true;
        labelSeconds = std::to_string(0);
    }
    NotifyChanged();
}

void TFormAssistent::ButtonScanFrontClick() {
    if (closed_ || !ButtonScanFront.enabled) return;
    ScanSide(true);
}

void TFormAssistent::ButtonScanRearClick() {
    if (closed_ || !ButtonScanRear.enabled) return;
    ScanSide(false);
}

void TFormAssistent::ScanSide(bool front) {
    CALVIX_LOG_DBG(unit::assistent,
                   front ? "TFormAssistent::ButtonScanFrontClick" : "TFormAssistent::ButtonScanRearClick");
    const std::int32_t state = front ? StateScanFront : StateScanRear;
    const TAppStrings& strings = context_.strings;
    context_.desktop.SetBusyCursor(true);
    ButtonNext.enabled = false;
    stepReady[state] = -1;
    NotifyChanged();

    const int paper = context_.host.FeederLoaded();
    if (paper < 0) {
        SetScanResult(front, ScanOutcome::Failed, &strings.MsgUnspecError);
        context_.desktop.ShowMessage(strings.MsgUnspecError.caption, strings.MBoxTitleError.caption,
                                     MessageButtons::Ok);
        if (front) CALVIX_LOG_ERR(unit::assistent, "Assistent unspecified error while Scanning Front!", LogErr);
    } else if (paper == 0) {
        SetScanResult(front, ScanOutcome::Failed, &strings.MsgInsertPaper);
        context_.desktop.ShowMessage(strings.MsgInsertPaper.caption, strings.MBoxTitleHint.caption,
                                     MessageButtons::Ok);
        if (front) CALVIX_LOG_ERR(unit::assistent, "Assistent NoPaper error while Scanning Front!", LogErr);
    } else if (context_.host.AcquireScan(front ? 1 : 0) < 0) {
        SetScanResult(front, ScanOutcome::Failed, &LblScanNoImage);
    } else {
        const int check = context_.host.CheckScan(front);
        if (check != 0) {
            SetScanResult(front, ScanOutcome::Failed,
                          check == AssistantHost::CheckGreyWedgeFailed ? &strings.MsgErrGreyWedge
                                                                       : &strings.MsgErrDetectIT8Fields);
            CALVIX_LOG_ERR(unit::assistent,
                           front ? "Assistent: Error while checking IT8 scan front!"
                                 : "Assistent: Error while checking IT8 scan rear!",
                           LogErr);
        } else if (!context_.host.StoreScan()) {
            SetScanResult(front, ScanOutcome::Failed, &LblScanTablesFall);
            // A table that falls would turn lighter greys darker on every scan; the side must
            // be scanned again. The grey-wedge text is the operator's nearest known cause.
            context_.desktop.ShowMessage(strings.MsgErrGreyWedge.caption, strings.MBoxTitleError.caption,
                                         MessageButtons::Ok);
            CALVIX_LOG_ERR(unit::assistent,
                           front ? "Assistent: correction tables of the front side fall, scan not usable!"
                                 : "Assistent: correction tables of the rear side fall, scan not usable!",
                           LogErr);
        } else {
            LogStatus(front ? "Assistent: IT8 scan front analyzed and calibration values calculated!"
                            : "Assistent: IT8 scan rear analyzed and calibration values calculated!",
                      LogStaSplash);
            (front ? ButtonScanFront : ButtonScanRear).enabled = false;
            ButtonNext.enabled = true;
            stepReady[state] = 0;
            SetScanResult(front, ScanOutcome::Passed);
        }
    }
    context_.desktop.SetBusyCursor(false);
    NotifyChanged();
}

void TFormAssistent::SetScanResult(bool front, ScanOutcome outcome, const FormComponent* reason) {
    scanResults_[front ? 0 : 1] = SideResult{outcome, reason};
}

std::string TFormAssistent::ScanResultText(bool front) const {
    const SideResult& result = scanResults_[front ? 0 : 1];
    if (result.outcome == ScanOutcome::NotScanned) return {};
    if (result.outcome == ScanOutcome::Passed) return LblScanPassed.caption;
    // A message's first line names the cause; the lines after it are the box's advice.
    std::string reason = result.reason ? result.reason->caption : std::string();
    reason = reason.substr(0, reason.find('\n'));
    while (!reason.empty() && reason.back() == ' ') reason.pop_back();
    return FillText(LblScanFailed.caption, {reason});
}

// A finished run holds both sides' measured tables; they are lost with the wizard, so the
// operator is asked first. Earlier pages hold nothing that a new scan would not make again.
bool TFormAssistent::DiscardConfirmed() {
    if (WizardState != StateFinish) return true;
    const TAppStrings& strings = context_.strings;
    const MessageAnswer answer = context_.desktop.ShowMessage(strings.MsgDiscardCalibration.caption,
                                                              strings.MBoxTitleRequest.caption, MessageButtons::YesNo);
    if (answer == MessageAnswer::Yes) return true;
    CALVIX_LOG_UAC(unit::assistent, "Assistent: calibration kept, abortion cancelled!");
    return false;
}

void TFormAssistent::ButtonAbortClick() {
    if (closed_) return;
    CALVIX_LOG_UAC(unit::assistent, "Assistent: Program abortion requested by user!");
    if (!DiscardConfirmed()) return;
    Close();
    NotifyChanged();
}

void TFormAssistent::CloseBoxClick() {
    if (closed_ || !DiscardConfirmed()) return;
    Close();
    NotifyChanged();
}

void TFormAssistent::Close() {
    CALVIX_LOG_DBG(unit::assistent, "TFormAssistent::FormClose");
    closed_ = true;
    // A scan still waiting for the scanner ends with the wizard; the operator is not kept
    // waiting for a source that may never answer.
    context_.host.AbortScan();
    // In normal mode the wizard is the program: closing it, in any way, ends the run.
    if (!context_.host.ExpertMode()) context_.host.SetCloseRequested();
}

// "Help" opens the page in view rather than the contents, which every page links back to.
void TFormAssistent::ButtonHelpClick() {
    CALVIX_LOG_DBG(unit::assistent, "TFormAssistent::ButtonHelpClick()");
    context_.host.ShowHelp(HelpTopic());
}

void TFormAssistent::ContextHelpRequested() { context_.host.ShowHelp(HelpTopic()); }

void TFormAssistent::ButtonIT8InstallClick() {
    if (closed_) return;
    list_->ButtonIT8InstallClick();
}

void TFormAssistent::ListBoxIT8InstalledClick() {
    if (closed_) return;
    list_->ListBoxIT8InstalledClick();
}

void TFormAssistent::NotifyChanged() {
    if (changed) changed();
}

}  // namespace calvix
