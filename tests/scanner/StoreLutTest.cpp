// storeLUT against a scripted library: the upload, its log lines, the refused upload's message
// and codes, and the connect failure.
#include "scanner/StoreLut.h"

#include "app/Strings.h"
#include "FakeClock.h"
#include "FakeServiceLibrary.h"
#include "LogCapture.h"
#include "RecordingDesktop.h"
#include "scanner/EthernetCmd.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace calvix {
namespace {

using test::Scanner;
using ::testing::ElementsAre;
using ::testing::MatchesRegex;

constexpr const char* kErrorLine = R"(ERR: error '.*'  \( file MainForm, line [0-9]+\))";

class StoreLutTest : public ::testing::Test {
protected:
    StoreLutTest() : strings(10000) {
        for (std::size_t i = 0; i < record.size(); ++i) record[i] = static_cast<std::uint8_t>(i % 251);
    }
    void SetUp() override {
        cmd = std::make_unique<CEthernetCmd>(std::make_unique<test::FakeServiceLibrary>(), dir.Path(), clock);
    }

    test::LogCapture log;
    test::TempDir dir;
    test::FakeClock clock;
    test::RecordingDesktop desktop;
    TAppStrings strings;
    std::array<std::uint8_t, 6227> record{};
    std::unique_ptr<CEthernetCmd> cmd;
};

TEST_F(StoreLutTest, StoredRecordIsLoggedAndDisconnected) {
    EXPECT_EQ(storeLUT(*cmd, record, desktop, strings), LutUpload::Stored);
    EXPECT_EQ(Scanner().uploadKind, 5u);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), Scanner().uploaded.begin(), Scanner().uploaded.end()));
    EXPECT_EQ(Scanner().disconnects, 1);
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_THAT(log.Lines(),
                ElementsAre(MatchesRegex(R"(DBG: call to 'TMainFormular::storeLUT\(\)'  \( file MainForm, line [0-9]+\))"),
                            "STA:   ... connection established!", "STA:   ... LUT upload to scanner done!"));
}

TEST_F(StoreLutTest, RefusedUploadIsShownAndLoggedWithBothCodes) {
    Scanner().uploadResult = 1;
    Scanner().uploadWord = 0x2A;
    EXPECT_EQ(storeLUT(*cmd, record, desktop, strings), LutUpload::Refused);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text,
              strings.MsgErrSendingLUT.caption + "\nThe scanner refused the LUT (rcode 0x1, fcode 0x2A).");
    EXPECT_EQ(desktop.messages[0].title, strings.MBoxTitleError.caption);
    EXPECT_EQ(desktop.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(Scanner().disconnects, 1);
    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "INF: Show Message Box: (" + strings.MBoxTitleError.caption + ", " +
                            strings.MsgErrSendingLUT.caption + ")");
    EXPECT_THAT(lines[3], MatchesRegex(kErrorLine));
    EXPECT_THAT(lines[3], ::testing::HasSubstr("'  ... error! (upload failed, UploadLut() rcode 0x1 fcode 0x2A)'"));
}

TEST_F(StoreLutTest, OnlyAnUploadLeftWithoutAnswerMayHaveBeenStored) {
    for (const auto& [code, outcome] : {std::pair{0x11u, LutUpload::Unanswered}, std::pair{0x10u, LutUpload::Refused},
                                        std::pair{0x12u, LutUpload::Refused}}) {
        Scanner().uploadResult = code;
        EXPECT_EQ(storeLUT(*cmd, record, desktop, strings), outcome) << code;
        EXPECT_EQ(log.Lines().back().find("the LUT may be stored in it!") != std::string::npos,
                  outcome == LutUpload::Unanswered)
            << code;
    }
    EXPECT_EQ(desktop.messages.size(), 3u);
}

// Offered a retry, every upload that did not store names its reason and asks Retry or Quit.
TEST_F(StoreLutTest, AFailedUploadOfferedARetryNamesItsReasonAndKeepsTheAnswer) {
    for (const auto& [connect, upload, reason] :
         {std::tuple{0u, 0x11u,
                     "The scanner did not answer the upload (rcode 0x11, fcode 0x5); it may have stored the LUT."},
          std::tuple{111u, 0u, "No connection to the scanner!"}}) {
        Scanner().connectResult = connect, Scanner().uploadResult = upload, Scanner().uploadWord = 5;
        desktop.messageAnswers = {MessageAnswer::Retry};
        MessageAnswer answer = MessageAnswer::Ok;
        storeLUT(*cmd, record, desktop, strings, &answer);
        EXPECT_EQ(desktop.messages.back().text, strings.MsgErrSendingLUT.caption + "\n" + reason +
                                                    "\nSend it again? Quitting gives up the measured tables.");
    }
}

TEST_F(StoreLutTest, ConnectFailureIsTheOnlyError) {
    Scanner().connectResult = 111;
    EXPECT_EQ(storeLUT(*cmd, record, desktop, strings), LutUpload::NotConnected);
    EXPECT_EQ(Scanner().disconnects, 0);
    EXPECT_TRUE(Scanner().uploaded.empty());
    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(lines[1], MatchesRegex(kErrorLine));
    EXPECT_THAT(lines[1], ::testing::HasSubstr("'Connect to scanner failed!'"));
}

TEST_F(StoreLutTest, UnusableLibraryOnlyLogsTheConnectFailure) {
    cmd->Teardown();
    EXPECT_EQ(storeLUT(*cmd, record, desktop, strings), LutUpload::NotConnected);
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(Scanner().connects, 0);
    EXPECT_EQ(log.Lines().size(), 2u);
}

}  // namespace
}  // namespace calvix
