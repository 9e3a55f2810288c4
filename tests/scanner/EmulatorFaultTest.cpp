// Fault run: the emulator drops the connection at each step of setCalibMode and of the upload,
// or refuses connections. The client must see an error each time, and the emulator must serve
// the next connection correctly.
#include "app/Strings.h"
#include "EmulatorHarness.h"
#include "LogCapture.h"
#include "RecordingDesktop.h"
#include "scanner/CalibMode.h"
#include "scanner/StoreLut.h"

#include <gmock/gmock.h>

namespace calvix {
namespace {

using ::testing::HasSubstr;

class DroppedAtStep : public test::EmulatorHarness, public ::testing::WithParamInterface<int> {};

TEST_P(DroppedAtStep, SetCalibModeFailsAndTheNextConnectionWorks) {
    // Requests of a duplex setCalibMode: 1 get_params, 2 lamps:1, 3 lut_bypass:1,0, 4 lut_bypass:1,1.
    Start({"--drop-after", std::to_string(GetParam()), "--duplex", "1"});
    bool led = false;
    EXPECT_FALSE(setCalibMode(*cmd, SystemClock(), true, led));
    EXPECT_THAT(EmulatorLog(), HasSubstr("fault: dropping connection at request " + std::to_string(GetParam())));

    EXPECT_TRUE(setCalibMode(*cmd, SystemClock(), true, led));
    const device::DeviceState state = State();
    EXPECT_TRUE(state.lamps);
    EXPECT_TRUE(state.lutBypass[0]);
    EXPECT_TRUE(state.lutBypass[1]);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, DroppedAtStep, ::testing::Range(1, 5));

class FaultTest : public test::EmulatorHarness {
protected:
    FaultTest() : strings(10000) {}
    test::LogCapture log;
    test::RecordingDesktop desktop;
    TAppStrings strings;
};

TEST_F(FaultTest, UploadDroppedShowsTheErrorAndTheNextUploadIsStored) {
    Start({"--drop-after", "1"});
    const auto record = test::ValidRecord();
    EXPECT_EQ(storeLUT(*cmd, record, desktop, strings), LutUpload::Unanswered);
    EXPECT_EQ(desktop.messages.size(), 1u);
    EXPECT_THAT(log.Lines().at(log.Lines().size() - 2), HasSubstr("rcode 0x11 fcode 0x0)"));
    EXPECT_TRUE(State().lut.empty());

    EXPECT_EQ(storeLUT(*cmd, record, desktop, strings), LutUpload::Stored);
    EXPECT_TRUE(DeviceHolds(record));
}

TEST_F(FaultTest, AnUploadStoredButUnansweredIsToldApartFromARefusal) {
    Start({"--no-reply", "upload"});
    const auto record = test::ValidRecord();
    EXPECT_EQ(storeLUT(*cmd, record, desktop, strings), LutUpload::Unanswered);
    EXPECT_TRUE(DeviceHolds(record));
    EXPECT_THAT(EmulatorLog(), HasSubstr("fault: upload unanswered, closing (upload result 0, word 0 withheld)"));
}

TEST_F(FaultTest, RefusedConnectionFailsEveryOperationAtConnect) {
    Start({"--refuse-connections"});
    bool led = false;
    EXPECT_FALSE(setCalibMode(*cmd, SystemClock(), true, led));
    EXPECT_FALSE(clearCalibMode(*cmd, SystemClock(), true));
    EXPECT_EQ(storeLUT(*cmd, test::ValidRecord(), desktop, strings), LutUpload::NotConnected);
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_THAT(log.Lines().back(), HasSubstr("'Connect to scanner failed!'"));
}

TEST_F(FaultTest, NoDeviceListeningFailsAtConnect) {
    Start();
    emulator->Stop();
    bool led = false;
    EXPECT_FALSE(setCalibMode(*cmd, SystemClock(), true, led));
    emulator.reset();
}

}  // namespace
}  // namespace calvix
