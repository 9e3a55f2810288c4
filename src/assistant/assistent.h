// TFormAssistent: the calibration wizard as a GUI-free object. It holds the seven states and
// their pages' model (visible page, captions, enabled buttons, progress, seconds left), decides
// step by step whether the operator may go on, and sequences the scans through its host.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/FormModel.h"

namespace calvix {

class AssistantHost;
class Clock;
class Desktop;
class ReferenceListModel;
class ReferenceLoader;
class TAppStrings;

enum WizardStateNumber : std::int32_t {
    StateStart = 0,
    StateWarmup = 1,
    StateScanFront = 2,
    StateScanRear = 3,
    StateSetFrameF = 4,
    StateSetFrameR = 5,
    StateFinish = 6,
};
inline constexpr int WizardPageCount = 7;

// The state's name as the log writes it; "Undefined state!!" for any other number.
const char* WizardStateName(std::int32_t state);
// Component name of the page panel of a state.
const char* WizardPageName(int state);

// Help contexts of the window.
inline constexpr int HelpContextDesign = 1000;
inline constexpr int HelpContextStart = 11000;
inline constexpr int HelpContextWarmup = 12000;
inline constexpr int HelpContextScanFront = 13000;
inline constexpr int HelpContextScanRear = 14000;
inline constexpr int HelpContextFinish = 15000;

// How the last attempt at a side's scan ended, for its page.
enum class ScanOutcome { NotScanned, Passed, Failed };

struct WizardButton {
    FormComponent text;
    bool enabled = true;
};

// Everything the wizard reaches outside itself; all outlive it.
struct AssistantContext {
    AssistantHost& host;
    Desktop& desktop;
    Clock& clock;
    const TAppStrings& strings;
    ReferenceLoader& referenceLoader;
    std::string dataFolder;
    std::int32_t& listIndex;  // ListIT8Index, changed by every pick
    std::int32_t warmUpTime;  // WarmUpTime in seconds
    int textBase;
};

class TFormAssistent {
public:
    explicit TFormAssistent(AssistantContext context);
    ~TFormAssistent();
    TFormAssistent(const TFormAssistent&) = delete;
    TFormAssistent& operator=(const TFormAssistent&) = delete;

    // Buttons, the window's close box, and the 200 ms warm-up timer.
    void ButtonNextClick();
    void ButtonBackClick();
    void ButtonScanFrontClick();
    void ButtonScanRearClick();
    void ButtonAbortClick();
    void ButtonHelpClick();
    // F1: the context help of the window.
    void ContextHelpRequested();
    void ButtonIT8InstallClick();
    // The view sets the list's selection to the clicked line first.
    void ListBoxIT8InstalledClick();
    void CloseBoxClick();
    void TimerWarmUpTimer();

    // Closing destroys the window: the owner deletes a closed wizard, the view drops it.
    bool Closed() const { return closed_; }

    ReferenceListModel& ReferenceList() { return *list_; }
    TForm& Form() { return form_; }
    // The result line of the front or rear page: empty before the first attempt, else
    // passed, or failed with its reason, in the language in force.
    ScanOutcome ScanResult(bool front) const { return scanResults_[front ? 0 : 1].outcome; }
    std::string ScanResultText(bool front) const;

    // The page shown, or -1 when the state has no page.
    int VisiblePage() const;
    bool PageVisible(int state) const { return state >= 0 && state < WizardPageCount && pageVisible_[state]; }

    std::int32_t WizardState = StateStart;
    std::array<std::int32_t, WizardPageCount> stepReady{};
    std::int32_t warmUpSeconds = 0;
    bool warmUpDone = false;
    int helpContext = HelpContextDesign;
    // The help page of the window as it stands: its help context, except the design value,
    // which the help shares with the main window's page and which stands on the Start page.
    int HelpTopic() const { return helpContext == HelpContextDesign ? HelpContextStart : helpContext; }

    // Progress bar and the seconds label of the Warmup page.
    std::int32_t progressMax = 0;
    std::int64_t progressPosition = 0;
    std::string labelSeconds = "0";
    std::string windowTitle;

    WizardButton ButtonAbort{{1001, ComponentKind::Button, "Abort"}};
    WizardButton ButtonBack{{1002, ComponentKind::Button, "< Previous"}};
    WizardButton ButtonNext{{1003, ComponentKind::Button, "Next >"}};
    WizardButton ButtonHelp{{1004, ComponentKind::Button, "Help"}};
    WizardButton ButtonIT8Install{{1013, ComponentKind::Button, "Install ..."}};
    WizardButton ButtonScanFront{{1032, ComponentKind::Button, "Scan"}};
    WizardButton ButtonScanRear{{1042, ComponentKind::Button, "Scan"}};

    FormComponent Window{1000, ComponentKind::Window, "Calibration-Assistant"};
    FormComponent LabelTitel{1010, ComponentKind::Label, " Start"};
    FormComponent LabelCalStart{1011, ComponentKind::Label, ""};
    FormComponent Label5{1012, ComponentKind::Label, "IT8 reference file: "};
    FormComponent Label8{1020, ComponentKind::Label, " Scanner Warmup"};
    FormComponent LabelWarmup{1021, ComponentKind::Label, ""};
    FormComponent Label15{1022, ComponentKind::Label, "seconds left to warmup"};
    FormComponent Label9{1030, ComponentKind::Label, " Scan IT8 front"};
    FormComponent LabelScan{1031, ComponentKind::Label, ""};
    FormComponent TitelIT8ScanRear{1040, ComponentKind::Label, " Scan IT8 rear"};
    FormComponent Label6{1041, ComponentKind::Label, ""};
    FormComponent LabelSetFrameFront{0, ComponentKind::Label, " Mark corners front"};
    FormComponent LabelSetFrameRear{0, ComponentKind::Label, " Mark corners rear"};
    FormComponent LabelSetFrameText{
        0, ComponentKind::Label,
        "Go to the active scan window and set a marker at the four corners of the black frame."};
    FormComponent Label13{1050, ComponentKind::Label, " Process finished"};
    FormComponent Label14{1051, ComponentKind::Label, ""};
    // The scan pages' result line: its two forms and the reasons only the wizard knows.
    FormComponent LblScanPassed{1060, ComponentKind::Label, ""};
    FormComponent LblScanFailed{1061, ComponentKind::Label, ""};
    FormComponent LblScanNoImage{1062, ComponentKind::Label, ""};
    FormComponent LblScanTablesFall{1063, ComponentKind::Label, ""};

    // The view redraws on this, and lets go of the wizard on `destroyed`.
    std::function<void()> changed;
    std::function<void()> destroyed;

private:
    void Transition(bool forward);
    std::int32_t NextState();
    std::int32_t BackState();
    void EnterFinish();
    void ScanSide(bool front);
    void SetScanResult(bool front, ScanOutcome outcome, const FormComponent* reason = nullptr);
    // Abort or the close box on a finished run: whether the operator lets the measured
    // calibration go.
    bool DiscardConfirmed();
    void SyncStartReady();
    void Close();
    void ShowPage(std::int32_t state, bool visible);
    void NotifyChanged();

    AssistantContext context_;
    TForm form_{"TFormAssistent"};
    std::unique_ptr<ReferenceListModel> list_;
    std::array<bool, WizardPageCount> pageVisible_{};
    // The translated "Next >" caption, to undo the "Finish" caption.
    std::string savedNextCaption_;
    bool closed_ = false;
    struct SideResult {
        ScanOutcome outcome = ScanOutcome::NotScanned;
        const FormComponent* reason = nullptr;  // a text of the wizard or of the message form
    };
    std::array<SideResult, 2> scanResults_{};
};

}  // namespace calvix
