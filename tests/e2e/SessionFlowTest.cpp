// Whole calibration runs of the real program core against the real q71-emulator, through the
// real TWAIN manager, Q71 data source and service library: the scanner session from start-up to
// the upload, driven by the unattended operator or by hand where the operator must try again.
#include "mainform/MainForm.h"

#include "EmulatorFormTest.h"
#include "TestData.h"
#include "assistant/assistent.h"
#include "calibration/CalibrationLut.h"
#include "DeviceState.h"
#include "platform/DlDynamicLibrary.h"
#include "platform/HeadlessMessagePump.h"
#include "scanner/CalibMode.h"
#include "scanner/EthernetCmd.h"
#include "unattended/UnattendedOperator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace calvix::test {
namespace {

const std::string kR1 = std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt";
std::string Sheet(const char* face, const std::string& extra = "") {
    return std::string("chart-on=") + face + ",it8=" + kR1 + extra;
}

class SessionFlowTest : public EmulatorFormTest {
protected:
    // The program as an operator starts it: normal mode, the reference installed before.
    void StartCalvix(std::int32_t warmUpTime = 0, bool installed = true, bool expert = false) {
        SetStoreValue("WarmUpTime", warmUpTime);
        SetStoreValue("SearchScanner", 1);
        SetStoreValue("ExpertMode", std::int32_t{expert});
        if (installed) {
            std::filesystem::create_directories(DataFile(""));
            std::filesystem::copy_file(kR1, DataFile("R1.txt"));
            std::ofstream(DataFile("it8ref.lst")) << "R1.txt\r\n";
            SetStoreValue("ListIT8Index", 0);
        }
        LogWriter.SetClock(&SystemClock());
        form = std::make_unique<TMainFormular>(MainFormPorts{desktop, store, system, SystemClock(), &lock,
                                                             [] { return std::make_unique<DlDynamicLibrary>(); },
                                                             CALVIX_SYSTEM_DIR_BUILD, &pump});
        form->CreateAppStrings();
    }
    // Ticks without waiting for the 200 ms in between, until the condition holds.
    bool TickUntil(const std::function<bool()>& done, int limit = 60) {
        for (int i = 0; i < limit && !form->Closed() && InTime(); ++i) {
            if (done()) return true;
            form->TimerTimer();
        }
        return done();
    }
    TFormAssistent& Wizard() {
        EXPECT_TRUE(TickUntil([&] { return form->Assistent() != nullptr; }));
        return *form->Assistent();
    }
    // The operator's hand: a chart sheet into the running emulator's feeder.
    void Feed(const char* face, const char* rotate = "0") {
        const ProgramResult r = RunProgram({EmulatorProcess::BinaryPath(), "feed", "--address", emulator->Address(),
                                            "--chart-on", face, "--it8", kR1, "--rotate", rotate},
                                           dir.Path());
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    }
    device::DeviceState Device() const {
        device::DeviceState state;
        std::string error;
        EXPECT_TRUE(state.Load(dir.File("device.state"), &error)) << error;
        return state;
    }
    int Count(const std::string& text) const {
        const auto t = LogTexts();
        return static_cast<int>(std::count(t.begin(), t.end(), text));
    }
    int CountContaining(const std::string& piece) const {
        const auto t = LogTexts();
        return static_cast<int>(std::count_if(t.begin(), t.end(), [&piece](const std::string& line) {
            return line.find(piece) != std::string::npos;
        }));
    }
    // Scans a new chart sheet of the side through the LUT now on the device and measures its
    // grey wedge against the reference: the worst mean and max difference over the channels.
    std::pair<double, int> RescanDifference(const char* side) {
        Feed(side);
        const std::string scan = dir.File(std::string("rescan_") + side + ".bmp");
        const ProgramResult scanned =
            RunProgram({std::string(CALVIX_BIN_DIR) + "/q71-scan", "--side", side, "-o", scan}, dir.Path());
        EXPECT_EQ(scanned.exitCode, 0) << scanned.out << scanned.err;
        const ProgramResult analysed = RunProgram(
            {std::string(CALVIX_BIN_DIR) + "/calvix-analyze", "-r", kR1, "-o", dir.File("rescan"), scan}, dir.Path());
        double mean[3] = {99, 99, 99};
        int max[3] = {99, 99, 99};
        const std::size_t at = analysed.out.find("difference to reference:");
        EXPECT_NE(at, std::string::npos) << analysed.out << analysed.err;
        if (at != std::string::npos)
            std::sscanf(analysed.out.c_str() + at, "difference to reference: mean R %lf G %lf B %lf, max R %d G %d B %d",
                        &mean[0], &mean[1], &mean[2], &max[0], &max[1], &max[2]);
        return {std::max({mean[0], mean[1], mean[2]}), std::max({max[0], max[1], max[2]})};
    }
    // Runs the unattended operator until the program has ended.
    UnattendedResult RunOperator(UnattendedOptions options = {}) {
        UnattendedOperator op(*form, desktop, SystemClock(), options, nullptr);
        for (int i = 0; i < 400 && !op.Finished() && InTime(); ++i) {
            form->TimerTimer();
            if (TFormAssistent* w = form->Assistent(); w && !form->Closed()) w->TimerWarmUpTimer();
            op.Act();
            if (form->Assistent() && form->Assistent()->WizardState == StateWarmup) SystemClock().SleepMs(100);
        }
        op.Act();
        return op.Result();
    }

    // The test's own bound on its ticks and on every TWAIN wait, so that a program which waits
    // far longer (a source that never answers, a scanner found again at every tick) fails the
    // test instead of stalling it; a whole run takes a few seconds.
    const std::int64_t deadlineMs = SystemClock().ElapsedMs() + 30000;
    bool InTime() const { return SystemClock().ElapsedMs() < deadlineMs; }
    HeadlessMessagePump pump{SystemClock(), [this] { return !InTime(); }};
};

TEST_F(SessionFlowTest, ADuplexRunUploadsTheRecordAndLogsTheSessionInOrder) {
    StartEmulator({"--feed", Sheet("front"), "--feed", Sheet("rear", ",rotate=0.4,shift-x=12")});
    StartCalvix(1);
    ASSERT_EQ(RunOperator(), UnattendedResult::Uploaded);

    const auto record = CalibrationLut.Copy();
    EXPECT_EQ(record[6], 2);  // both sides
    const std::vector<std::uint8_t> stored = Device().lut;
    EXPECT_TRUE(std::equal(record.begin(), record.end(), stored.begin(), stored.end()));

    const std::vector<std::string> order = {
        "STA: TWAIN: DLL found!",
        "STA: TWAIN: DSM opened!",
        "STA: Enter setCalibMode() ...",
        "STA: Assistent: Starting constructor ...",
        "STA: Assistent new state: Warmup",
        "STA: Assistent warmup finished!",
        "STA: Assistent: IT8 scan front analyzed and calibration values calculated!",
        "STA: Assistent: IT8 scan rear analyzed and calibration values calculated!",
        "STA: Assistent finished! Application is shutting down...",
        "STA: Application shutting down ...",
        "STA:   ... TWAIN closed!",
        "STA:   ... Sending LUT to scanner!",
        "STA:   ... bye!",
    };
    long last = -1;
    for (const std::string& line : order) {
        const long at = IndexOf(line);
        EXPECT_GT(at, last) << line;
        last = at;
    }
    EXPECT_EQ(Count("STA: TWAIN: Q71 connected! (Ser# Q71-000123, dupl.)"), 1);
    EXPECT_TRUE(std::filesystem::exists(DataFile("Scan_front_1.bmp")));
    EXPECT_TRUE(std::filesystem::exists(DataFile("Scan_rear_2.bmp")));

    // Noise-free, the uploaded tables bring both sides onto the reference greys.
    for (const char* side : {"front", "rear"}) {
        const auto [mean, max] = RescanDifference(side);
        EXPECT_LE(mean, 0.5) << side;
        EXPECT_LE(max, 2) << side;
    }
}

struct ScannerKind {
    const char* name;
    std::vector<std::string> args;
    std::uint8_t sides;
    bool led;
};

class ScannerKindTest : public SessionFlowTest, public ::testing::WithParamInterface<ScannerKind> {};

TEST_P(ScannerKindTest, SimplexAndLedScannersLeaveOutTheirSteps) {
    const ScannerKind& kind = GetParam();
    StartEmulator(kind.args);
    StartCalvix(1);
    ASSERT_EQ(RunOperator(), UnattendedResult::Uploaded);
    EXPECT_EQ(CalibrationLut.Copy()[6], kind.sides);
    EXPECT_EQ(Count("STA: Assistent LED scanner - no warmup!"), kind.led ? 1 : 0);
    EXPECT_EQ(Count("STA: Assistent new state: Warmup"), kind.led ? 0 : 1);
    EXPECT_EQ(Count("STA: Assistent new state: Scan Rear"), kind.sides == 2 ? 1 : 0);
    EXPECT_EQ(CountContaining(kind.sides == 2 ? ", dupl.)" : ", simpl.)"), 1);

    // With sensor noise the rescanned wedge stays within a level on average.
    const auto [mean, max] = RescanDifference("front");
    EXPECT_LE(mean, 1.0);
    EXPECT_LE(max, 3);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ScannerKindTest,
                         ::testing::Values(ScannerKind{"Simplex", {"--duplex", "0", "--noise", "2", "--feed", Sheet("front")}, 1, false},
                                           ScannerKind{"Led",
                                                       {"--led", "1", "--noise", "2", "--feed", Sheet("front"), "--feed", Sheet("rear")},
                                                       2,
                                                       true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Another host calibrating the same scanner between this run's front and rear scans: it leaves
// calibration mode as its run ends, or leaves and enters it again for its next run.
class OtherHostTest : public SessionFlowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(OtherHostTest, ARunWhoseModeWasSwitchedByAnotherHostStopsBeforeUsingItsScans) {
    StartEmulator({"--led", "1", "--feed", Sheet("front"), "--feed", Sheet("rear")});
    StartCalvix();
    TFormAssistent& w = Wizard();
    w.ButtonNextClick();
    w.ButtonScanFrontClick();
    ASSERT_EQ(w.stepReady[StateScanFront], 0);
    w.ButtonNextClick();
    ASSERT_EQ(w.WizardState, StateScanRear);

    CEthernetCmd other(std::make_unique<DlDynamicLibrary>(), CALVIX_SYSTEM_DIR_BUILD, SystemClock());
    bool led = false;
    ASSERT_TRUE(clearCalibMode(other, SystemClock(), true));
    if (GetParam()) {
        ASSERT_TRUE(setCalibMode(other, SystemClock(), true, led));
    }
    EXPECT_EQ(RunOperator(), UnattendedResult::CalibrationMode);
    EXPECT_FALSE(form->calibModeOn);
    EXPECT_FALSE(std::filesystem::exists(DataFile("Scan_rear_2.bmp")));  // the wizard is gone with the run
    EXPECT_EQ(desktop.messages.back().text, "An unspecified error has been occured!");
    EXPECT_EQ(CountContaining("Calibration mode not confirmed: "), 1);
    EXPECT_TRUE(Device().lut.empty());
}

INSTANTIATE_TEST_SUITE_P(LeftOrSwitched, OtherHostTest, ::testing::Bool());

// A scanner gone after the run found it: on a lamp scanner the warm-up's looks find it long
// before the countdown ends, on an LED scanner the look before the front scan does.
class GoneScannerTest : public SessionFlowTest, public testing::WithParamInterface<bool> {};

TEST_P(GoneScannerTest, EndsTheRunAsNotReachedAtTheNextLook) {
    const bool led = GetParam();
    StartEmulator({"--led", led ? "1" : "0", "--feed", Sheet("front")});
    StartCalvix(led ? 0 : 300);
    Wizard();
    EXPECT_EQ(emulator->Stop(), 0);
    EXPECT_EQ(RunOperator(), UnattendedResult::ScannerNotReached);
    EXPECT_EQ(CountContaining("Calibration mode not confirmed: the scanner cannot be reached"), 1);
}

INSTANTIATE_TEST_SUITE_P(LampsOrLed, GoneScannerTest, ::testing::Bool());

TEST_F(SessionFlowTest, AFailedScanCanBeRepeatedOnceTheSheetIsRight) {
    // No paper first, then a sheet put in sideways, then the right one.
    StartEmulator({"--led", "1", "--duplex", "0"});
    StartCalvix();
    TFormAssistent& w = Wizard();
    ASSERT_TRUE(w.ButtonNext.enabled);
    w.ButtonNextClick();
    ASSERT_EQ(w.WizardState, StateScanFront);

    w.ButtonScanFrontClick();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Insert paper!");
    EXPECT_EQ(CountContaining("ERR: error 'Assistent NoPaper error while Scanning Front!'  ( file assistent"), 1);
    EXPECT_FALSE(w.ButtonNext.enabled);

    Feed("front", "90");
    w.ButtonScanFrontClick();
    ASSERT_EQ(desktop.messages.size(), 2u);
    EXPECT_EQ(desktop.messages[1].title, "Error");
    EXPECT_TRUE(w.ButtonScanFront.enabled);
    EXPECT_FALSE(w.ButtonNext.enabled);

    Feed("front");
    w.ButtonScanFrontClick();
    EXPECT_EQ(desktop.messages.size(), 2u);
    EXPECT_TRUE(w.ButtonNext.enabled);
    EXPECT_FALSE(w.ButtonScanFront.enabled);
    EXPECT_EQ(w.stepReady[StateScanFront], 0);
}

// Told in either mode: Retry looks for the scanner anew, Quit ends the run and frees the interface.
TEST_F(SessionFlowTest, RefusedCalibrationModeOffersRetryAndQuitInEitherMode) {
    // Replies cut to five characters fail every step of the service sequence.
    StartEmulator({"--truncate-replies", "5"});
    for (const bool expert : {false, true}) {
        LogWriter.ResetForTest();
        desktop.messages.clear(), desktop.messageAnswers = {MessageAnswer::Retry, MessageAnswer::Cancel};
        StartCalvix(0, true, expert);
        TickUntil([&] { return form->Closed(); }, 30);
        ASSERT_EQ(desktop.messages.size(), 2u) << expert;
        for (const auto& m : desktop.messages) EXPECT_EQ(m.text, form->AppStrings()->MsgErrCalibMode.caption);
        EXPECT_TRUE(form->Closed() && desktop.messages[1].buttons == MessageButtons::RetryQuit);
        EXPECT_EQ(Count("STA: TWAIN: DLL found!"), 2);
        EXPECT_TRUE(FlockNamedLock().TryAcquire("ZelmarHelvaneTraceMutex"));
        form.reset(), std::filesystem::remove_all(DataFile(""));
    }
}

TEST_F(SessionFlowTest, AnUnreachableSourceAsksToConnectAgainAndCancelEndsTheProgram) {
    StartEmulator({"--offline"});
    StartCalvix();
    desktop.messageAnswers = {MessageAnswer::Retry, MessageAnswer::Cancel};
    TickUntil([&] { return form->Closed(); }, 20);
    EXPECT_TRUE(form->Closed());
    ASSERT_EQ(desktop.messages.size(), 2u);
    for (const auto& m : desktop.messages) {
        EXPECT_EQ(m.buttons, MessageButtons::RetryCancel);
        EXPECT_EQ(m.title, "Request");
    }
    EXPECT_EQ(CountContaining("UAC: user action 'Program abortion requested!'  ( file MainForm"), 1);
    EXPECT_EQ(CountContaining("ERR: error 'TWAIN: DSM opened, but Q71 not connected!'"), 2);
    EXPECT_FALSE(form->retryDialogOpen);
}

TEST_F(SessionFlowTest, ClosingBeforeFinishSendsNothingButLeavesCalibrationMode) {
    StartEmulator({"--feed", Sheet("front")});
    StartCalvix();
    Wizard();
    form->Close();
    EXPECT_TRUE(Logged("STA:   ... no LUT generated!"));
    EXPECT_TRUE(Device().lut.empty());
    EXPECT_FALSE(Device().lamps);
    const std::string log = ReadFileText(dir.File("emulator.log"));
    EXPECT_NE(log.find("lut_bypass:0,0"), std::string::npos);
    EXPECT_NE(log.find("lut_bypass:0,1"), std::string::npos);
}

TEST_F(SessionFlowTest, ASecondInstanceIsRefusedByTheServiceLock) {
    StartEmulator({"--feed", Sheet("front")});
    FlockNamedLock other;
    ASSERT_TRUE(other.TryAcquire("ZelmarHelvaneTraceMutex"));
    StartCalvix();
    TickUntil([&] { return form->Closed(); }, 10);
    EXPECT_TRUE(form->Closed());
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text.rfind("The Service- Interface is in use!", 0), 0u);
    EXPECT_FALSE(form->twainLoaded);
    EXPECT_EQ(form->Assistent(), nullptr);
}

}  // namespace
}  // namespace calvix::test
