// The TWAIN acquisition of the program core over the real source manager twain_32.so, the real
// Q71 data source and the real q71-emulator: sides, simplex rows, bit depths, paper, a device
// that is down, refused and checked settings, restored settings, and the LUT the device applies.
#include "mainform/MainForm.h"

#include "EmulatorFormTest.h"
#include "TestData.h"
#include "analysis/ImageChild.h"
#include "calibration/CalibrationLut.h"
#include "platform/DlDynamicLibrary.h"
#include "platform/HeadlessMessagePump.h"
#include "scanner/Twain.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace calvix::test {
namespace {

using namespace twain;

const std::string kR1 = std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt";
const std::string kFront = "chart-on=front,it8=" + kR1;
const std::string kRear = "chart-on=rear,it8=" + kR1;

class TwainIntegrationTest : public EmulatorFormTest {
protected:
    // The program with its TWAIN library loaded, as the scanner session leaves it.
    Twain& StartCalvix() {
        form = std::make_unique<TMainFormular>(MainFormPorts{desktop, store, system, SystemClock(), &lock,
                                                             [] { return std::make_unique<DlDynamicLibrary>(); },
                                                             CALVIX_SYSTEM_DIR_BUILD, &pump});
        form->CreateAppStrings();
        Twain& twain = *form->TwainModule();
        form->twainLoaded = twain.TwainLoadManager();
        EXPECT_TRUE(form->twainLoaded);
        return twain;
    }
    std::string EmulatorLog() const { return ReadFileText(dir.File("emulator.log")); }

    HeadlessMessagePump pump{SystemClock()};
};

TEST_F(TwainIntegrationTest, ADuplexSheetGivesFrontThenRearAndTheSidePicksOne) {
    StartEmulator({"--feed", kFront, "--feed", kRear});
    StartCalvix();
    ASSERT_EQ(form->acquireScan(1), 0);
    TChildImage* front = form->Images().FrontWindow();
    ASSERT_NE(front, nullptr);
    EXPECT_TRUE(front->isFront);
    EXPECT_EQ(form->CheckIt8Scan(front, true), 0);  // the chart was on the front face
    EXPECT_TRUE(std::filesystem::exists(DataFile("Scan_front_1.bmp")));
    EXPECT_EQ(form->imageCount, 1);

    ASSERT_EQ(form->acquireScan(0), 0);
    TChildImage* rear = form->Images().RearWindow();
    ASSERT_NE(rear, nullptr);
    EXPECT_EQ(form->Images().FrontWindow(), front);
    EXPECT_EQ(form->CheckIt8Scan(rear, false), 0);
    EXPECT_TRUE(std::filesystem::exists(DataFile("Scan_rear_2.bmp")));
    EXPECT_EQ(rear->image.Width(), 2331);
    EXPECT_EQ(rear->image.Height(), 3307);
}

TEST_F(TwainIntegrationTest, ASimplexSourceKeepsToItsRowsAndHasNoRear) {
    StartEmulator({"--duplex", "0", "--feed", kFront});
    StartCalvix();
    EXPECT_EQ(form->acquireScan(0), -2);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, form->AppStrings()->MsgErrWarmup.caption);
    const std::string log = EmulatorLog();
    for (const char* row : {"0x1013", "0x81CC"}) EXPECT_NE(log.find(std::string("cap ") + row), std::string::npos) << row;
    for (const char* duplexOnly : {"0x80C8", "0x80E7", "0x80E8", "0x810E"})
        EXPECT_EQ(log.find(std::string("cap ") + duplexOnly), std::string::npos) << duplexOnly;
}

TEST_F(TwainIntegrationTest, OnlyTwentyFourBitImagesAreTaken) {
    for (const char* bits : {"8", "32"}) {
        SCOPED_TRACE(bits);
        StartEmulator({"--bit-depth", bits, "--feed", kFront});
        StartCalvix();
        EXPECT_EQ(form->acquireScan(1), -3);
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].text, form->AppStrings()->MsgErrBitDepth.caption);
        EXPECT_EQ(form->Images().FrontWindow(), nullptr);
        EXPECT_FALSE(std::filesystem::exists(DataFile("Scan_front_1.bmp")));
        TearDown();
        desktop.messages.clear();
    }
}

TEST_F(TwainIntegrationTest, PaperAndADeviceThatIsDown) {
    StartEmulator({});
    Twain& twain = StartCalvix();
    EXPECT_EQ(twain.TwainFeederLoaded(form->TwainWindowHandle()), 0);
    twain.TwainClose(form->TwainWindowHandle());

    const std::string sheet = RunProgram({EmulatorProcess::BinaryPath(), "feed", "--address", emulator->Address(),
                                          "--chart-on", "front", "--it8", kR1},
                                         dir.Path())
                                  .out;
    EXPECT_EQ(twain.TwainFeederLoaded(form->TwainWindowHandle()), 1);
    twain.TwainClose(form->TwainWindowHandle());

    ASSERT_EQ(emulator->Stop(), 0);
    ASSERT_TRUE(twain.TwainOpenManager(form->TwainWindowHandle()));
    EXPECT_FALSE(twain.TwainOpenSource());
    EXPECT_EQ(twain.TwainFeederLoaded(form->TwainWindowHandle()), -2);
}

TEST_F(TwainIntegrationTest, SetsAnsweredByTheSourceGiveTheirCodes) {
    const struct {
        const char* condition;
        TW_UINT16 code;
    } cases[] = {{"6", 0xFFFB},  {"10", 0xFFFD}, {"11", 0xFFFC}, {"12", 0xFFFE},
                 {"13", 0xFFFA}, {"14", 0xFFF9}, {"15", 0xFFFF}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.condition);
        StartEmulator({"--cap-refuse", std::string("0x8136:") + c.condition, "--cap-checkstatus", "0x812D"});
        Twain& twain = StartCalvix();
        ASSERT_TRUE(twain.TwainOpenManager(form->TwainWindowHandle()));
        ASSERT_TRUE(twain.TwainOpenSource());
        const TW_UINT16 zero = 0;
        EXPECT_EQ(twain.TwainSetCap(0x8136, &zero, TWTY_UINT16), c.code);
        const TW_BOOL on = 1;
        EXPECT_EQ(twain.TwainSetCap(0x812D, &on, TWTY_BOOL), TWRC_SUCCESS);  // checked, then read back
        twain.TwainCloseSession(form->TwainWindowHandle());
        TearDown();
    }
}

TEST_F(TwainIntegrationTest, EveryScanLeavesTheSourceWithItsOwnValues) {
    StartEmulator({"--feed", kFront, "--cap-checkstatus", "0x812D"});
    Twain& twain = StartCalvix();
    ASSERT_EQ(form->acquireScan(1), 0);  // also with a set answered by "check status"
    ASSERT_TRUE(twain.TwainOpenManager(form->TwainWindowHandle()));
    ASSERT_TRUE(twain.TwainOpenSource());
    TW_FIX32 resolution{};
    ASSERT_EQ(twain.TwainGetCap(ICAP_XRESOLUTION, &resolution, TWTY_FIX32), TWRC_SUCCESS);
    EXPECT_EQ(FromFix32(resolution), 300.0);
    char page[66] = {};
    ASSERT_EQ(twain.TwainGetCap(0x812C, page, TWTY_STR64), TWRC_SUCCESS);
    EXPECT_STREQ(page, "0210002970ISO A4 - 210.0 x 297.0 mm");
    TW_BOOL duplexEnabled = 1;
    ASSERT_EQ(twain.TwainGetCap(CAP_DUPLEXENABLED, &duplexEnabled, TWTY_BOOL), TWRC_SUCCESS);
    EXPECT_EQ(duplexEnabled, 0);
    twain.TwainCloseSession(form->TwainWindowHandle());
    // The scan itself ran with the program's values: 400 dpi, A5, both sides.
    const std::string log = EmulatorLog();
    EXPECT_NE(log.find("cap 0x1118 msg 0x0006 type 7 value 400"), std::string::npos) << log.substr(0, 2000);
}

TEST_F(TwainIntegrationTest, AScanThroughTheStoredLutShowsItsTables) {
    StartEmulator({"--duplex", "0", "--feed", kFront, "--feed", kFront});
    StartCalvix();
    ASSERT_TRUE(form->setCalibMode(false));  // the LUT bypassed: raw / 4
    ASSERT_EQ(form->acquireScan(1), 0);
    const ScanBitmap bypassed = form->Images().FrontWindow()->image;

    // Inverted tables: a level v of the bypassed scan must come back as 255 - v.
    ChannelTables inverted{};
    for (ChannelTable& table : inverted)
        for (std::size_t raw = 0; raw < table.size(); ++raw) table[raw] = static_cast<std::uint8_t>(255 - raw / 4);
    CalibrationLut.SetSideTables(LutSide::Front, inverted);
    FillLutHeader(1, "Q71-000123", form->versionText, SystemClock());
    ASSERT_TRUE(form->storeLUT());
    ASSERT_TRUE(form->clearCalibMode(false));
    ASSERT_EQ(form->acquireScan(1), 0);
    const ScanBitmap& through = form->Images().FrontWindow()->image;

    ASSERT_EQ(through.Width(), bypassed.Width());
    ASSERT_EQ(through.Height(), bypassed.Height());
    long wrong = 0;
    for (int y = 0; y < through.Height(); y += 7) {
        const std::uint8_t* a = bypassed.Row(y);
        const std::uint8_t* b = through.Row(y);
        for (int i = 0; i < through.Width() * 3; ++i) wrong += b[i] != 255 - a[i];
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace calvix::test
