// The whole service path end to end: CEthernetCmd, the dlopen'ed service library and the
// emulated scanner, in normal operation and with the emulator's reply faults.
#include "app/Strings.h"
#include "EmulatorHarness.h"
#include "LogCapture.h"
#include "RecordingDesktop.h"
#include "scanner/CalibMode.h"
#include "scanner/StoreLut.h"

#include <gmock/gmock.h>

namespace calvix {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class ServicePathTest : public test::EmulatorHarness {
protected:
    bool led = false;
};

class DuplexAndSimplex : public ServicePathTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DuplexAndSimplex, SetAndClearSwitchTheDevice) {
    const bool duplex = GetParam();
    Start({"--duplex", duplex ? "1" : "0", "--led", "0"});
    ASSERT_TRUE(setCalibMode(*cmd, SystemClock(), duplex, led));
    EXPECT_FALSE(led);
    device::DeviceState state = State();
    EXPECT_TRUE(state.lamps);
    EXPECT_TRUE(state.lutBypass[0]);
    EXPECT_EQ(state.lutBypass[1], duplex);

    ASSERT_TRUE(clearCalibMode(*cmd, SystemClock(), duplex));
    state = State();
    EXPECT_FALSE(state.lamps);
    EXPECT_FALSE(state.lutBypass[0]);
    EXPECT_FALSE(state.lutBypass[1]);

    if (duplex) {
        EXPECT_THAT(ReceivedCommands(), ElementsAre("get_params", "lamps:1", "lut_bypass:1,0", "lut_bypass:1,1",
                                                    "lamps:0", "lut_bypass:0,0", "lut_bypass:0,1"));
    } else {
        EXPECT_THAT(ReceivedCommands(),
                    ElementsAre("get_params", "lamps:1", "lut_bypass:1,0", "lamps:0", "lut_bypass:0,0"));
    }
}

INSTANTIATE_TEST_SUITE_P(Scanners, DuplexAndSimplex, ::testing::Bool());

struct LightCase {
    std::vector<std::string> args;
    bool expected;
};

class LightSource : public ServicePathTest, public ::testing::WithParamInterface<LightCase> {};

TEST_P(LightSource, IsReadFromTheParameterReply) {
    Start(GetParam().args);
    led = !GetParam().expected;
    ASSERT_TRUE(setCalibMode(*cmd, SystemClock(), true, led));
    EXPECT_EQ(led, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Models, LightSource,
    ::testing::Values(LightCase{{"--led", "1"}, true}, LightCase{{"--led", "0"}, false},
                      LightCase{{"--params", "Q71:SF=2097152,DX=1,SF=0"}, true},
                      LightCase{{"--params", "Q71:SF=4194303,SF=2097152"}, true},
                      LightCase{{"--params", "Q71:SF=\"2097151\",SF=2097152"}, false}));

TEST_F(ServicePathTest, FiveCharacterRepliesFailSixPass) {
    Start({"--truncate-replies", "5"});
    EXPECT_FALSE(setCalibMode(*cmd, SystemClock(), true, led));
    EXPECT_THAT(ReceivedCommands(), ElementsAre("get_params"));

    Start({"--truncate-replies", "6"});
    EXPECT_TRUE(clearCalibMode(*cmd, SystemClock(), true));
    ASSERT_EQ(cmd->Connect(), 0);
    std::uint32_t scratch = 0;
    ASSERT_EQ(cmd->SendCommand("lamps:1\r\n", scratch), 0);
    EXPECT_EQ(cmd->ReadReply(kReplyTimeoutMs, cmd->Reply()), 'A');
    EXPECT_EQ(cmd->Reply().Text(), "O");
    cmd->Disconnect();
}

TEST_F(ServicePathTest, AnUnansweredOrRefusedModeCommandFailsTheMode) {
    // The one test that waits the real two seconds.
    Start({"--no-reply", "lamps"});
    const std::int64_t start = SystemClock().ElapsedMs();
    EXPECT_FALSE(setCalibMode(*cmd, SystemClock(), true, led));
    EXPECT_GT(SystemClock().ElapsedMs() - start, kReplyTimeoutMs);
    EXPECT_THAT(ReceivedCommands(), ElementsAre("get_params", "lamps:1"));
    EXPECT_THAT(EmulatorLog(), HasSubstr("-> (no reply)"));

    Start({"--refuse-command", "lut_bypass"});
    EXPECT_FALSE(setCalibMode(*cmd, SystemClock(), true, led));
    EXPECT_THAT(ReceivedCommands(), ElementsAre("get_params", "lamps:1", "get_params", "lamps:1", "lut_bypass:1,0"));
}

TEST_F(ServicePathTest, LinesArrivingTogetherAreReadOneAtATime) {
    Start({"--batch-replies", "--led", "1"});
    ASSERT_EQ(cmd->Connect(), 0);
    std::uint32_t scratch = 0;
    ASSERT_EQ(cmd->SendCommand("get_params\r\n", scratch), 0);
    EXPECT_EQ(cmd->ReadReply(kReplyTimeoutMs, cmd->Reply()), 'A');
    EXPECT_EQ(cmd->Reply().Text(), "OK");
    EXPECT_GT(cmd->UnreadBytes(), 0u);  // the parameter line came with it and waits
    EXPECT_EQ(cmd->ReadReply(kReplyTimeoutMs, cmd->Reply()), 'A');
    EXPECT_THAT(std::string(cmd->Reply().Text()), HasSubstr("SF=2097171"));
    EXPECT_EQ(cmd->UnreadBytes(), 0u);
    cmd->Disconnect();
}

TEST_F(ServicePathTest, OverlongCommandIsRefusedAndNothingSent) {
    Start();
    ASSERT_EQ(cmd->Connect(), 0);
    std::uint32_t scratch = 0;
    EXPECT_EQ(cmd->SendCommand(std::string(1455, 'x') + "\r\n", scratch), -2);
    EXPECT_EQ(cmd->SendCommand("lamps:1\r\n", scratch), 0);
    EXPECT_EQ(cmd->ReadReply(kReplyTimeoutMs, cmd->Reply()), 'A');
    cmd->Disconnect();
    EXPECT_THAT(ReceivedCommands(), ElementsAre("lamps:1"));
}

TEST_F(ServicePathTest, RefusedCommandIsAnsweredAndChangesNothing) {
    Start({"--refuse-command", "lut_bypass"});
    ASSERT_EQ(cmd->Connect(), 0);
    std::uint32_t scratch = 0;
    ASSERT_EQ(cmd->SendCommand("lut_bypass:1,0\r\n", scratch), 0);
    EXPECT_EQ(cmd->ReadReply(kReplyTimeoutMs, cmd->Reply()), 'E');
    EXPECT_EQ(cmd->Reply().Code(), 10);
    cmd->Disconnect();
    EXPECT_FALSE(State().lutBypass[0]);
}

class UploadTest : public ServicePathTest {
protected:
    UploadTest() : strings(10000) {}
    test::LogCapture log;
    test::RecordingDesktop desktop;
    TAppStrings strings;
};

TEST_F(UploadTest, StoredBytesEqualTheRecordAndSurviveARestart) {
    Start();
    const auto record = test::ValidRecord(1);
    ASSERT_EQ(storeLUT(*cmd, record, desktop, strings), LutUpload::Stored);
    EXPECT_TRUE(DeviceHolds(record));
    EXPECT_EQ(emulator->Stop(), 0);
    Start();
    EXPECT_TRUE(DeviceHolds(record));
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(UploadTest, RefusedUploadShowsTheMessageAndLogsBothCodes) {
    Start({"--refuse-upload", "42"});
    EXPECT_EQ(storeLUT(*cmd, test::ValidRecord(), desktop, strings), LutUpload::Refused);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text.rfind(strings.MsgErrSendingLUT.caption, 0), 0u);  // the reason: StoreLutTest
    EXPECT_THAT(log.Lines().back(), HasSubstr("UploadLut() rcode 0x1 fcode 0x2A)"));
    EXPECT_TRUE(State().lut.empty());
}

TEST_F(UploadTest, RecordWithABadHeaderIsRejectedByTheDevice) {
    Start();
    auto record = test::ValidRecord();
    record[6] = 3;
    EXPECT_EQ(storeLUT(*cmd, record, desktop, strings), LutUpload::Refused);
    EXPECT_THAT(log.Lines().back(), HasSubstr("rcode 0x2 fcode 0x7)"));
    EXPECT_TRUE(State().lut.empty());
}

}  // namespace
}  // namespace calvix
