// The calibration wizard against a scripted host: the warm-up countdown on a fake clock, the
// transitions for lamp and LED, duplex and simplex scanners, scan attempts that fail and
// succeed, and how closing ends the run in normal and expert mode.
#include "assistant/assistent.h"

#include "app/Strings.h"
#include "assistant/AssistantHost.h"
#include "FakeClock.h"
#include "LogCapture.h"
#include "TempDir.h"
#include "TestData.h"
#include "it8ref/It8Ref.h"
#include "it8ref/ReferenceGrey.h"
#include "it8ref/ReferenceListModel.h"
#include "it8ref/ReferenceLoader.h"
#include "it8ref/ReferenceOptions.h"
#include "platform/HeadlessDesktop.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace calvix {
namespace {

class ScriptedHost final : public AssistantHost {
public:
    bool led = false;
    bool duplex = true;
    bool expert = false;
    std::int32_t warmUpStart = 0;
    std::deque<int> feeder;        // answers of the paper query; empty: paper present
    std::deque<int> acquire;       // answers of the scan; empty: 0
    std::deque<int> check;         // answers of the chart check; empty: 0
    std::deque<bool> store;        // whether the tables rise; empty: true
    std::vector<std::string> calls;
    bool lutReady = false;
    bool closeRequested = false;

    bool LedScanner() const override { return led; }
    bool TwainDuplex() const override { return duplex; }
    bool ExpertMode() const override { return expert; }
    std::int32_t WarmUpStart() const override { return warmUpStart; }
    int FeederLoaded() override { return Next(feeder, 1, "feeder"); }
    int AcquireScan(int side) override { return Next(acquire, 0, "acquire " + std::to_string(side)); }
    int CheckScan(bool front) override { return Next(check, 0, front ? "check front" : "check rear"); }
    bool StoreScan() override {
        calls.push_back("store");
        if (store.empty()) return true;
        const bool rising = store.front();
        store.pop_front();
        return rising;
    }
    void SetLutReady() override { lutReady = true; }
    void SetCloseRequested() override { closeRequested = true; }
    void ShowHelp(int) override {}

private:
    int Next(std::deque<int>& answers, int otherwise, const std::string& call) {
        calls.push_back(call);
        if (answers.empty()) return otherwise;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class WizardTest : public ::testing::Test {
protected:
    WizardTest() {
        std::filesystem::create_directories(dataFolder);
        options.CheckBoxTTabIT8ConvertD65.checked = false;
    }
    ~WizardTest() override { ResetReferenceGrey(); }

    TFormAssistent& Open(std::int32_t warmUpTime = 300) {
        wizard = std::make_unique<TFormAssistent>(AssistantContext{host, desktop, clock, strings, loader, dataFolder,
                                                                   listIndex, warmUpTime, 10000});
        return *wizard;
    }
    // An installed reference the list remembers, so Start is ready at once.
    void InstallReference() {
        std::filesystem::copy_file(std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt", dataFolder + "/R1.txt");
        std::ofstream(dataFolder + "/it8ref.lst") << "R1.txt\r\n";
        listIndex = 0;
    }
    TFormAssistent& OpenReady(std::int32_t warmUpTime = 300) {
        InstallReference();
        return Open(warmUpTime);
    }
    void AtSeconds(double seconds) { clock.elapsedMs = host.warmUpStart + static_cast<std::int64_t>(seconds * 1000); }
    // Runs the countdown to its end, as the 200 ms timer would.
    void WarmUp() {
        AtSeconds(wizard->warmUpSeconds + 1);
        wizard->TimerWarmUpTimer();
    }
    int CountLines(const std::string& piece) const {
        int n = 0;
        for (const std::string& line : log.Lines()) n += line.find(piece) != std::string::npos;
        return n;
    }

    test::LogCapture log;
    test::TempDir home;
    std::string dataFolder = home.File("data");
    test::FakeClock clock;
    HeadlessDesktop desktop;
    ScriptedHost host;
    TAppStrings strings{10000};
    TIT8Ref record;
    ReferenceOptions options{record};
    ReferenceLoader loader{record, options, desktop, strings};
    std::int32_t listIndex = -1;
    std::unique_ptr<TFormAssistent> wizard;
};

TEST_F(WizardTest, ConstructionOpensOnStartBlockedOrReadyByTheRememberedReference) {
    TFormAssistent& fresh = Open();
    EXPECT_EQ(fresh.WizardState, StateStart);
    for (int state = 0; state < WizardPageCount; ++state) EXPECT_EQ(fresh.PageVisible(state), state == 0) << state;
    EXPECT_FALSE(fresh.ButtonNext.enabled);
    EXPECT_FALSE(fresh.ButtonBack.enabled);
    EXPECT_EQ(fresh.helpContext, HelpContextDesign);
    EXPECT_EQ(fresh.windowTitle, "Calibration-Assistant");
    EXPECT_EQ(fresh.progressMax, 300);
    for (int state = 0; state < WizardPageCount; ++state) EXPECT_EQ(fresh.stepReady[state], -1) << state;
    fresh.ButtonNextClick();  // "Next >" is disabled: a press that reaches the wizard anyway does nothing
    EXPECT_EQ(fresh.WizardState, StateStart);
    wizard.reset();

    TFormAssistent& remembered = OpenReady();
    EXPECT_EQ(remembered.stepReady[StateStart], 0);
    EXPECT_TRUE(remembered.ButtonNext.enabled);
    EXPECT_EQ(listIndex, 0);
}

TEST_F(WizardTest, WarmUpCountsDownFromCalibrationModeAndFinishesAfterAllItsSeconds) {
    host.warmUpStart = 5000;
    TFormAssistent& w = OpenReady();
    w.ButtonNextClick();
    ASSERT_EQ(w.WizardState, StateWarmup);

    const struct {
        double seconds;
        const char* label;
        bool done;
    } ticks[] = {{0.0, "300", false}, {0.999, "300", false}, {1.0, "299", false}, {299.9, "1", false},
                 {300.0, "0", false}, {300.999, "0", false}, {301.0, "0", true}};
    for (const auto& tick : ticks) {
        AtSeconds(tick.seconds);
        w.TimerWarmUpTimer();
        EXPECT_EQ(w.labelSeconds, tick.label) << tick.seconds;
        EXPECT_EQ(w.warmUpDone, tick.done) << tick.seconds;
        EXPECT_EQ(w.ButtonNext.enabled, tick.done) << tick.seconds;
        EXPECT_EQ(w.stepReady[StateWarmup], tick.done ? 0 : -1) << tick.seconds;
    }
    EXPECT_EQ(w.progressPosition, 301);
    EXPECT_EQ(CountLines("STA: Assistent warmup finished!"), 1);
    AtSeconds(400);
    w.TimerWarmUpTimer();
    EXPECT_EQ(CountLines("STA: Assistent warmup finished!"), 1);
}

TEST_F(WizardTest, WarmUpEndingOnAnotherPageEnablesNextOnlyOnEnteringWarmup) {
    TFormAssistent& w = OpenReady();
    WarmUp();
    EXPECT_TRUE(w.warmUpDone);
    EXPECT_TRUE(w.ButtonNext.enabled);  // Start's own mark
    w.ButtonNextClick();
    EXPECT_EQ(w.WizardState, StateWarmup);
    EXPECT_TRUE(w.ButtonNext.enabled);
}

TEST_F(WizardTest, AWizardOpenedLateFinishesTheCountdownAtItsFirstTick) {
    host.warmUpStart = 1000;
    clock.elapsedMs = 1000 + 400 * 1000;
    TFormAssistent& w = OpenReady();
    w.TimerWarmUpTimer();
    EXPECT_TRUE(w.warmUpDone);
    EXPECT_EQ(w.labelSeconds, "0");
    EXPECT_EQ(w.stepReady[StateWarmup], 0);
}

TEST_F(WizardTest, LedScannerSkipsWarmupBothWaysWithOneLogLine) {
    host.led = true;
    TFormAssistent& w = OpenReady();
    for (int i = 0; i < 3; ++i) w.TimerWarmUpTimer();
    EXPECT_EQ(CountLines("STA: Assistent LED scanner - no warmup!"), 1);
    EXPECT_EQ(w.warmUpSeconds, 0);
    EXPECT_EQ(w.stepReady[StateWarmup], -1);

    w.ButtonNextClick();
    EXPECT_EQ(w.WizardState, StateScanFront);
    EXPECT_EQ(w.helpContext, HelpContextScanFront);
    w.ButtonBackClick();
    EXPECT_EQ(w.WizardState, StateStart);
    EXPECT_EQ(w.helpContext, HelpContextStart);
    EXPECT_FALSE(w.ButtonBack.enabled);
}

TEST_F(WizardTest, SimplexGoesFromScanFrontToFinishWithTheFinishCaptionAndBack) {
    host.duplex = false;
    host.led = true;
    TFormAssistent& w = OpenReady();
    w.ButtonNextClick();
    w.ButtonScanFrontClick();
    ASSERT_TRUE(w.ButtonNext.enabled);
    w.ButtonNextClick();
    EXPECT_EQ(w.WizardState, StateFinish);
    EXPECT_EQ(w.ButtonNext.text.caption, "Finish");
    EXPECT_TRUE(w.ButtonNext.enabled);
    EXPECT_EQ(w.helpContext, HelpContextFinish);

    w.ButtonBackClick();
    EXPECT_EQ(w.WizardState, StateScanFront);
    EXPECT_EQ(w.ButtonNext.text.caption, "Next >");
    EXPECT_TRUE(w.ButtonNext.enabled);  // the front scan succeeded before
    EXPECT_EQ(w.helpContext, HelpContextScanFront);
}

TEST_F(WizardTest, ASuccessfulSideStaysDoneAfterGoingBack) {
    TFormAssistent& w = OpenReady();
    WarmUp();
    w.ButtonNextClick();
    w.ButtonNextClick();
    w.ButtonScanFrontClick();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"feeder", "acquire 1", "check front", "store"}));
    EXPECT_FALSE(w.ButtonScanFront.enabled);

    w.ButtonBackClick();
    w.ButtonBackClick();
    ASSERT_EQ(w.WizardState, StateStart);
    w.ButtonNextClick();
    w.ButtonNextClick();
    EXPECT_EQ(w.WizardState, StateScanFront);
    EXPECT_TRUE(w.ButtonNext.enabled);
    EXPECT_FALSE(w.ButtonScanFront.enabled);
    w.ButtonScanFrontClick();  // a disabled button does nothing
    EXPECT_EQ(host.calls.size(), 4u);
}

TEST_F(WizardTest, FailedScanAttemptsLeaveNextBlockedAndScanAvailable) {
    struct Case {
        int feeder, acquire, check;
        bool rising;
        const char* message;      // box shown, or "" for none of the wizard's own
        const char* frontLog;     // ERR line of the front side, or "" for none
        bool rearLogsToo;
        const char* result;  // the page's result line after "Result: failed, "
    } cases[] = {
        {-1, 0, 0, true, "An unspecified error has been occured!", "Assistent unspecified error while Scanning Front!",
         false, "An unspecified error has been occured!"},
        {0, 0, 0, true, "Insert paper!", "Assistent NoPaper error while Scanning Front!", false, "Insert paper!"},
        {1, -2, 0, true, "", "", false, "No image came from the scanner!"},
        {1, 0, -1, true, "", "Assistent: Error while checking IT8 scan front!", true,
         "Automatic detection of IT8 color fields failed!"},
        {1, 0, -1000, true, "", "Assistent: Error while checking IT8 scan front!", true,
         "Grey wedge not found! Check orientation of IT8 chart!"},
        {1, 0, 0, false, "Grey wedge not found! Check orientation of IT8 chart! \n * Is the scanner properly adjusted?\n",
         "Assistent: correction tables of the front side fall, scan not usable!", true,
         "The correction tables would fall, scan the side again!"},
    };
    const std::string passed = "Result: passed, the chart was found and checked, the correction values are calculated.";
    for (const Case& c : cases) {
        for (bool front : {true, false}) {
            SCOPED_TRACE(std::string(c.message) + c.frontLog + (front ? " front" : " rear"));
            host = ScriptedHost{};
            host.led = true;
            // A rear attempt comes after a front scan that succeeded.
            host.feeder = front ? std::deque<int>{c.feeder} : std::deque<int>{1, c.feeder};
            host.acquire = front ? std::deque<int>{c.acquire} : std::deque<int>{0, c.acquire};
            host.check = front ? std::deque<int>{c.check} : std::deque<int>{0, c.check};
            host.store = front ? std::deque<bool>{c.rising} : std::deque<bool>{true, c.rising};
            desktop.messages.clear();
            const int before = CountLines("ERR:");
            TFormAssistent& w = OpenReady();
            w.ButtonNextClick();
            if (!front) {
                w.ButtonScanFrontClick();
                w.ButtonNextClick();
                ASSERT_EQ(w.WizardState, StateScanRear);
            }
            (front ? w.ButtonScanFrontClick() : w.ButtonScanRearClick());
            EXPECT_FALSE(w.ButtonNext.enabled);
            EXPECT_TRUE((front ? w.ButtonScanFront : w.ButtonScanRear).enabled);
            EXPECT_EQ(w.stepReady[front ? StateScanFront : StateScanRear], -1);
            EXPECT_FALSE(desktop.busy);
            ASSERT_EQ(desktop.messages.size(), *c.message ? 1u : 0u);
            if (*c.message) {
                EXPECT_EQ(desktop.messages[0].text, c.message);
            }
            const bool logged = *c.frontLog && (front || c.rearLogsToo);
            EXPECT_EQ(CountLines("ERR:") - before, logged ? 1 : 0);
            EXPECT_EQ(w.ScanResultText(front), std::string("Result: failed, ") + c.result);
            EXPECT_EQ(w.ScanResultText(!front), front ? "" : passed);
            wizard.reset();
            std::filesystem::remove_all(dataFolder);
            std::filesystem::create_directories(dataFolder);
        }
    }
}

TEST_F(WizardTest, TheNextAttemptStartsAgainAtThePaperQuery) {
    host.led = true;
    host.feeder = {0, 1};
    TFormAssistent& w = OpenReady();
    w.ButtonNextClick();
    w.ButtonScanFrontClick();
    w.ButtonScanFrontClick();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"feeder", "feeder", "acquire 1", "check front", "store"}));
    EXPECT_TRUE(w.ButtonNext.enabled);
    EXPECT_EQ(w.stepReady[StateScanFront], 0);
}

TEST_F(WizardTest, ADuplexRunLogsItsStatesAndFinishingEndsTheProgramWithTheLut) {
    TFormAssistent& w = OpenReady();
    WarmUp();
    const std::size_t start = log.Lines().size();
    w.ButtonNextClick();
    w.ButtonNextClick();
    w.ButtonScanFrontClick();
    w.ButtonNextClick();
    w.ButtonScanRearClick();
    w.ButtonScanRearClick();  // disabled after its success
    EXPECT_EQ(host.calls.size(), 8u);
    w.ButtonNextClick();
    EXPECT_EQ(w.ButtonNext.text.caption, "Finish");
    w.ButtonNextClick();
    EXPECT_TRUE(host.lutReady);
    EXPECT_TRUE(host.closeRequested);
    EXPECT_TRUE(w.Closed());

    std::vector<std::string> states;
    const auto lines = log.Lines();
    for (std::size_t i = start; i < lines.size(); ++i) {
        if (lines[i].rfind("STA: Assistent", 0) == 0) states.push_back(lines[i]);
        if (lines[i].rfind("DBG: call to 'TFormAssistent::FormClose'  ( file assistent, line ", 0) == 0)
            states.push_back("FormClose");
    }
    EXPECT_EQ(states, (std::vector<std::string>{
                          "STA: Assistent current state: Start",
                          "STA: Assistent new state: Warmup",
                          "STA: Assistent current state: Warmup",
                          "STA: Assistent new state: Scan Front",
                          "STA: Assistent: IT8 scan front analyzed and calibration values calculated!",
                          "STA: Assistent current state: Scan Front",
                          "STA: Assistent new state: Scan Rear",
                          "STA: Assistent: IT8 scan rear analyzed and calibration values calculated!",
                          "STA: Assistent current state: Scan Rear",
                          "STA: Assistent new state: Finish",
                          "STA: Assistent current state: Finish",
                          "STA: Assistent finished! Application is shutting down...",
                          "FormClose",
                          "STA: Assistent new state: Finish",
                      }));
}

TEST_F(WizardTest, ClosingEndsTheRunInNormalModeOnlyAndFinishingAlwaysSetsBothFlags) {
    for (bool expert : {false, true}) {
        host = ScriptedHost{};
        host.expert = expert;
        Open().ButtonAbortClick();
        EXPECT_TRUE(wizard->Closed());
        EXPECT_EQ(host.closeRequested, !expert);
        EXPECT_FALSE(host.lutReady);
        wizard.reset();

        host = ScriptedHost{};
        host.expert = expert;
        Open().CloseBoxClick();
        EXPECT_EQ(host.closeRequested, !expert);
        wizard.reset();
    }
    EXPECT_EQ(CountLines("UAC: user action 'Assistent: Program abortion requested by user!'  ( file assistent"), 2);

    host = ScriptedHost{};
    host.expert = true;
    host.led = true;
    host.duplex = false;
    TFormAssistent& w = OpenReady();
    w.ButtonNextClick();
    w.ButtonScanFrontClick();
    w.ButtonNextClick();
    w.ButtonNextClick();
    EXPECT_TRUE(host.lutReady);
    EXPECT_TRUE(host.closeRequested);
}

// A finished run holds the measured tables: Abort and the close box ask before they go.
TEST_F(WizardTest, AbortOnAFinishedRunAsksBeforeDiscardingTheCalibration) {
    using A = MessageAnswer;
    for (const auto& [finished, closeBox, answer] :
         {std::tuple{true, false, A::Yes}, std::tuple{true, true, A::No}, std::tuple{false, false, A::No}}) {
        host = ScriptedHost{}, host.led = true, host.duplex = false;
        desktop.messages.clear(), desktop.messageAnswers = {answer};
        TFormAssistent& w = OpenReady();
        w.ButtonNextClick(), w.ButtonScanFrontClick();
        if (finished) w.ButtonNextClick();
        closeBox ? w.CloseBoxClick() : w.ButtonAbortClick();
        EXPECT_EQ(desktop.messages.size() == 1 && desktop.messages[0].buttons == MessageButtons::YesNo, finished);
        EXPECT_EQ(w.Closed() && host.closeRequested && !host.lutReady, !finished || answer == A::Yes) << closeBox;
        wizard.reset(), std::filesystem::remove_all(dataFolder), std::filesystem::create_directories(dataFolder);
    }
}

TEST_F(WizardTest, UnreachableStatesKeepTheirOwnTransitionsAndUnknownNumbersReturnToStart) {
    const struct {
        std::int32_t from;
        bool duplex, forward;
        std::int32_t to;
    } rows[] = {{StateSetFrameF, true, true, StateSetFrameR},  {StateSetFrameF, false, true, StateFinish},
                {StateSetFrameR, true, true, StateFinish},     {StateSetFrameF, true, false, StateScanRear},
                {StateSetFrameF, false, false, StateScanFront}, {StateSetFrameR, false, false, StateSetFrameF},
                {9, true, true, StateStart},                   {-3, true, false, StateStart}};
    for (const auto& row : rows) {
        host.duplex = row.duplex;
        TFormAssistent& w = Open();
        w.WizardState = row.from;
        w.ButtonNext.enabled = true;
        row.forward ? w.ButtonNextClick() : w.ButtonBackClick();
        EXPECT_EQ(w.WizardState, row.to) << row.from << (row.forward ? " next" : " back");
        EXPECT_TRUE(w.PageVisible(row.to));
        EXPECT_EQ(w.ButtonNext.text.caption, "Next >");
        wizard.reset();
    }
    EXPECT_EQ(CountLines("STA: Assistent current state: Undefined state!!"), 2);
}

TEST_F(WizardTest, TextsFollowTheLanguage) {
    wizard = std::make_unique<TFormAssistent>(
        AssistantContext{host, desktop, clock, strings, loader, dataFolder, listIndex, 300, 20000});
    EXPECT_EQ(wizard->ButtonNext.text.caption, "Suivant >");
    EXPECT_EQ(wizard->LabelSetFrameFront.caption, " Mark corners front");
}

}  // namespace
}  // namespace calvix
