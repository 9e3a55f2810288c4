// Calibration mode against a scripted library: the command sequences in both directions for
// duplex and simplex scanners, their pauses and log lines, LED detection, failing steps.
#include "scanner/CalibMode.h"
#include "scanner/CalibModeWatch.h"

#include "FakeClock.h"
#include "FakeServiceLibrary.h"
#include "LogCapture.h"
#include "scanner/EthernetCmd.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace calvix {
namespace {

using test::Scanner;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

class CalibModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        cmd = std::make_unique<CEthernetCmd>(std::make_unique<test::FakeServiceLibrary>(), dir.Path(), clock);
        Scanner().clock = &clock;
    }

    test::LogCapture log;
    test::TempDir dir;
    test::FakeClock clock;
    std::unique_ptr<CEthernetCmd> cmd;
    bool led = false;
};

struct SequenceCase {
    bool set;
    bool duplex;
    std::vector<std::string> commands;
    std::int64_t waitedMs;  // 50 ms before every command, 50 ms between commands after the first
};

class Sequences : public CalibModeTest, public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(Sequences, SendsExactlyTheseCommandsOnOneConnection) {
    const SequenceCase& c = GetParam();
    const bool ok = c.set ? setCalibMode(*cmd, clock, c.duplex, led) : clearCalibMode(*cmd, clock, c.duplex);
    EXPECT_TRUE(ok);
    EXPECT_THAT(Scanner().sent, ElementsAreArray(c.commands));
    EXPECT_THAT(Scanner().connectArguments, ElementsAre(0u));
    EXPECT_EQ(Scanner().disconnects, 1);
    EXPECT_EQ(clock.sleptMs, c.waitedMs);
}

INSTANTIATE_TEST_SUITE_P(
    BothDirections, Sequences,
    ::testing::Values(
        SequenceCase{true, true, {"get_params\r\n", "lamps:1\r\n", "lut_bypass:1,0\r\n", "lut_bypass:1,1\r\n"}, 300},
        SequenceCase{true, false, {"get_params\r\n", "lamps:1\r\n", "lut_bypass:1,0\r\n"}, 200},
        SequenceCase{false, true, {"lamps:0\r\n", "lut_bypass:0,0\r\n", "lut_bypass:0,1\r\n"}, 250},
        SequenceCase{false, false, {"lamps:0\r\n", "lut_bypass:0,0\r\n"}, 150}));

TEST_F(CalibModeTest, SetLogsEntryDetectionAndExit) {
    EXPECT_TRUE(setCalibMode(*cmd, clock, true, led));
    EXPECT_TRUE(led);
    EXPECT_THAT(log.Lines(), ElementsAre("STA: Enter setCalibMode() ...", "STA:  ... LED Scanner detected!",
                                         "STA: ... exit setCalibMode() normally!"));
}

TEST_F(CalibModeTest, ClearWritesNoLogLines) {
    EXPECT_TRUE(clearCalibMode(*cmd, clock, true));
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(CalibModeTest, LampScannerIsReported) {
    led = true;
    Scanner().replies["get_params\r\n"] = {"A000 OK\r\n", "A000 Q71:SN=\"Q\",SF=19\r\n"};
    EXPECT_TRUE(setCalibMode(*cmd, clock, false, led));
    EXPECT_FALSE(led);
    EXPECT_EQ(log.Lines().at(1), "STA:  ... Non LED Scanner detected!");
}

struct LedCase {
    const char* params;
    bool before;
    bool after;
};

class LedDetection : public CalibModeTest, public ::testing::WithParamInterface<LedCase> {};

TEST_P(LedDetection, ReadsTheFirstSfValue) {
    const LedCase& c = GetParam();
    led = c.before;
    Scanner().replies["get_params\r\n"] = {"A000 OK\r\n", std::string("A000 ") + c.params + "\r\n"};
    EXPECT_TRUE(setCalibMode(*cmd, clock, false, led));
    EXPECT_EQ(led, c.after) << c.params;
}

INSTANTIATE_TEST_SUITE_P(
    Params, LedDetection,
    ::testing::Values(LedCase{"SF=2097152", false, true},
                      LedCase{"SF=2097151", true, false},                  // bit 21 clear
                      LedCase{"SF=0,SF=2097152", true, false},             // the first SF counts
                      LedCase{"SF=2097152,SF=0", false, true},
                      LedCase{"A:\"SF\"::=\"6291456\"", false, true},      // runs of separators
                      LedCase{"XSF=2097152,SFX=2097152", false, false},    // no SF token: unchanged
                      LedCase{"XSF=2097152,SFX=2097152", true, true},
                      LedCase{"DX=1,SF", true, true},                      // SF without a value
                      LedCase{"SF=2097152abc", false, true},               // digits before junk
                      LedCase{"SF=junk", true, false}));

TEST_F(CalibModeTest, OnlyTheFirst512CharactersAreSearched) {
    bool flag = false;
    EXPECT_FALSE(ParseLedFlag(std::string(510, 'x') + ",SF=2097152", flag));
    EXPECT_TRUE(ParseLedFlag(std::string(500, 'x') + ",SF=2097152", flag));
    EXPECT_TRUE(flag);
}

TEST_F(CalibModeTest, FiveCharacterReplyFailsItsStep) {
    Scanner().replies["lamps:1\r\n"] = {"A000 \r\n"};
    EXPECT_FALSE(setCalibMode(*cmd, clock, true, led));
    EXPECT_THAT(Scanner().sent, ElementsAre("get_params\r\n", "lamps:1\r\n"));
    EXPECT_EQ(Scanner().disconnects, 1);
    EXPECT_EQ(log.Lines().size(), 2u);  // no exit line
}

TEST_F(CalibModeTest, ShortParameterReplyFailsTheParameterStep) {
    Scanner().replies["get_params\r\n"] = {"A000 OK\r\n", "A000\r\n"};
    EXPECT_FALSE(setCalibMode(*cmd, clock, true, led));
    EXPECT_THAT(Scanner().sent, ElementsAre("get_params\r\n"));
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST_F(CalibModeTest, FailedStepOfClearStopsTheSequence) {
    Scanner().replies["lut_bypass:0,0\r\n"] = {"E00\r\n"};
    EXPECT_FALSE(clearCalibMode(*cmd, clock, true));
    EXPECT_THAT(Scanner().sent, ElementsAre("lamps:0\r\n", "lut_bypass:0,0\r\n"));
    EXPECT_EQ(Scanner().disconnects, 1);
}

TEST_F(CalibModeTest, SendFailureFailsTheStep) {
    Scanner().sendResult = 1;
    EXPECT_FALSE(setCalibMode(*cmd, clock, true, led));
    EXPECT_EQ(Scanner().sent.size(), 1u);
    EXPECT_EQ(Scanner().disconnects, 1);
}

TEST_F(CalibModeTest, ConnectFailureEndsWithoutDisconnect) {
    Scanner().connectResult = 111;
    EXPECT_FALSE(setCalibMode(*cmd, clock, true, led));
    EXPECT_FALSE(clearCalibMode(*cmd, clock, true));
    EXPECT_EQ(Scanner().disconnects, 0);
    EXPECT_TRUE(Scanner().sent.empty());
    EXPECT_THAT(log.Lines(), ElementsAre("STA: Enter setCalibMode() ..."));
}

TEST_F(CalibModeTest, UnusableLibraryFailsAtConnect) {
    cmd->Teardown();
    EXPECT_FALSE(setCalibMode(*cmd, clock, true, led));
    EXPECT_FALSE(clearCalibMode(*cmd, clock, true));
    EXPECT_EQ(Scanner().connects, 0);
}

// Entering the mode needs every reply in time and the lamps and bypass commands accepted;
// leaving it goes on past a refusal, so the bypass still ends.
struct ReplyCase {
    bool set;
    const char* command;
    std::vector<std::string> replies;  // empty: unanswered
    bool ok;
    std::size_t commandsSent;
};

class Replies : public CalibModeTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(Replies, DecideTheStep) {
    const ReplyCase& c = GetParam();
    Scanner().replies[c.command] = c.replies;
    EXPECT_EQ(c.set ? setCalibMode(*cmd, clock, true, led) : clearCalibMode(*cmd, clock, true), c.ok);
    EXPECT_EQ(Scanner().sent.size(), c.commandsSent);
    EXPECT_EQ(Scanner().disconnects, 1);
}

const std::vector<std::string> kRefused = {"E010 refused\r\n"};

INSTANTIATE_TEST_SUITE_P(
    Steps, Replies,
    ::testing::Values(ReplyCase{true, "lamps:1\r\n", {}, false, 2}, ReplyCase{true, "lamps:1\r\n", kRefused, false, 2},
                      ReplyCase{true, "lut_bypass:1,0\r\n", kRefused, false, 3},
                      ReplyCase{true, "lut_bypass:1,1\r\n", {}, false, 4},
                      ReplyCase{true, "lut_bypass:1,1\r\n", {"a000 OK\r\n"}, false, 4},
                      ReplyCase{true, "get_params\r\n", {"A000 OK\r\n"}, false, 1},
                      ReplyCase{true, "get_params\r\n", {"E010 refused\r\n", "E010 refused\r\n"}, true, 4},
                      ReplyCase{false, "lamps:0\r\n", kRefused, true, 3}));

// Empty reads move the clock by 1 ms each. A reply that shows after exactly the time-out is
// still read (here a reply too short to carry a status, which fails its step at once); one
// that shows 1 ms later is not, and the sequence goes on to the next command.
struct ReplyTimingCase {
    int quietReads;
    std::size_t commandsSent;
};

class ReplyTiming : public CalibModeTest, public ::testing::WithParamInterface<ReplyTimingCase> {};

TEST_P(ReplyTiming, TheTimeOutIsExactly2000Ms) {
    Scanner().replies["lamps:0\r\n"] = {"A\r\n"};
    Scanner().quietReads = GetParam().quietReads;
    EXPECT_FALSE(clearCalibMode(*cmd, clock, false));
    EXPECT_EQ(Scanner().sent.size(), GetParam().commandsSent);
}

INSTANTIATE_TEST_SUITE_P(AtTheLimit, ReplyTiming,
                         ::testing::Values(ReplyTimingCase{2000, 1}, ReplyTimingCase{2001, 2}));

TEST_F(CalibModeTest, ReplyThatCannotBeReadFailsTheStep) {
    Scanner().readResult = 5;  // the library has lost its connection
    EXPECT_FALSE(setCalibMode(*cmd, clock, true, led));
    EXPECT_THAT(Scanner().sent, ElementsAre("get_params\r\n"));
    EXPECT_FALSE(clearCalibMode(*cmd, clock, false));
}

TEST_F(CalibModeTest, LeftoversOfEarlierExchangesAreFlushed) {
    Scanner().Queue("A000 stale\r\nA000 SF=0\r\n");
    Scanner().batchReplies = true;  // both parameter lines arrive in one read
    EXPECT_TRUE(setCalibMode(*cmd, clock, true, led));
    EXPECT_TRUE(led);
}

// Looks at the mode in a row, each with the parameter reply given (empty: unanswered); the
// last look's result.
struct WatchCase {
    const char* name;
    bool duplex;
    std::vector<std::vector<std::string>> looks;
    CalibModeCheck last;
};

const std::string kMode = "A000 Q71:SN=\"Q\",SF=19,LAMPS=1,BYPASS_F=1,BYPASS_R=1,MODE_CHANGES=3\r\n";
std::vector<std::string> Look(std::string line) { return {"A000 OK\r\n", std::move(line)}; }
std::string With(const char* from, const char* to) {
    std::string line = kMode;
    return line.replace(line.find(from), std::string(from).size(), to);
}

class Watch : public CalibModeTest, public ::testing::WithParamInterface<WatchCase> {};

TEST_P(Watch, ConfirmsTheModeOnlyWhileNobodyHasSwitchedIt) {
    const WatchCase& c = GetParam();
    CalibModeWatch watch;
    for (const auto& replies : c.looks) {
        Scanner().replies["get_params\r\n"] = replies;
        watch.Check(*cmd, c.duplex);
    }
    EXPECT_EQ(watch.Last(), c.last);
    EXPECT_EQ(watch.Reason().empty(), c.last == CalibModeCheck::Holds);
}

INSTANTIATE_TEST_SUITE_P(
    Looks, Watch,
    ::testing::Values(
        WatchCase{"Holds", true, {Look(kMode), Look(kMode)}, CalibModeCheck::Holds},
        WatchCase{"RearLeft", true, {Look(With("BYPASS_R=1", "BYPASS_R=0"))}, CalibModeCheck::Lost},
        WatchCase{"RearIgnoredOnSimplex", false, {Look(With("BYPASS_R=1", "BYPASS_R=0"))}, CalibModeCheck::Holds},
        WatchCase{"FrontLeft", false, {Look(With("BYPASS_F=1", "BYPASS_F=0"))}, CalibModeCheck::Lost},
        WatchCase{"LampsOff", false, {Look(With("LAMPS=1", "LAMPS=0"))}, CalibModeCheck::Lost},
        WatchCase{"NotReported", false, {Look(With("MODE_CHANGES", "MODE"))}, CalibModeCheck::Lost},
        WatchCase{"Refused", false, {{"A000 OK\r\n", "E" + kMode.substr(1)}}, CalibModeCheck::Lost},
        WatchCase{"Unanswered", false, {{"A000 OK\r\n"}}, CalibModeCheck::Unreachable},
        WatchCase{"SwitchedBetween", false, {Look(kMode), Look(With("=3", "=5"))}, CalibModeCheck::Lost},
        WatchCase{"LostStaysLost", false, {Look(kMode), Look(With("=3", "=5")), Look(kMode)}, CalibModeCheck::Lost},
        WatchCase{"CountTakenOnceFound", false, {{"A000 OK\r\n"}, Look(With("=3", "=5")), Look(With("=3", "=5"))},
                  CalibModeCheck::Holds}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CalibModeTest, WatchWithoutAConnectionOrARequestSentFindsTheScannerGone) {
    Scanner().connectResult = 111;
    CalibModeWatch watch;
    EXPECT_EQ(watch.Check(*cmd, true), CalibModeCheck::Unreachable);
    EXPECT_THAT(log.Lines().back(), ::testing::HasSubstr("Calibration mode not confirmed: the scanner cannot be reached"));
    Scanner().connectResult = 0, Scanner().sendResult = 5;
    EXPECT_EQ(watch.Check(*cmd, true), CalibModeCheck::Unreachable);
}

}  // namespace
}  // namespace calvix
