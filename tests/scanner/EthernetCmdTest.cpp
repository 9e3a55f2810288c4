// CEthernetCmd against a scripted library: loading codes, the unusable state, the command
// limits, reply parsing, the receive ring and its overflow, the reply time-out.
#include "scanner/EthernetCmd.h"

#include "app/Clock.h"
#include "FakeClock.h"
#include "FakeServiceLibrary.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace calvix {
namespace {

using test::FakeClock;
using test::FakeServiceLibrary;
using test::Scanner;

class EthernetCmdTest : public ::testing::Test {
protected:
    void SetUp() override { Make(); }
    void Make(std::set<std::string> missing = {}, bool loads = true) {
        auto library = std::make_unique<FakeServiceLibrary>(std::move(missing), loads);
        fake = library.get();
        cmd = std::make_unique<CEthernetCmd>(std::move(library), dir.Path(), clock);
        Scanner().clock = &clock;
    }

    test::TempDir dir;
    FakeClock clock;
    FakeServiceLibrary* fake = nullptr;
    std::unique_ptr<CEthernetCmd> cmd;
    std::uint32_t scratch = 0;
};

TEST_F(EthernetCmdTest, LoadsTheLibraryFromTheSystemDirectory) {
    EXPECT_EQ(cmd->libraryStatus(), 0);
    EXPECT_EQ(fake->openedPath, dir.Path() + "/twain_32/zelmar/zedareru.zi");
}

TEST_F(EthernetCmdTest, SystemDirectoryMissingOrEmptyGivesMinus100) {
    for (const std::string& sysdir : {std::string(), dir.File("absent")}) {
        CEthernetCmd missing(std::make_unique<FakeServiceLibrary>(), sysdir, clock);
        EXPECT_EQ(missing.libraryStatus(), -100) << sysdir;
    }
}

TEST_F(EthernetCmdTest, LibraryThatDoesNotLoadGivesMinus101) {
    Make({}, false);
    EXPECT_EQ(cmd->libraryStatus(), -101);
}

TEST_F(EthernetCmdTest, TheLastMissingEntryPointNamesTheStatus) {
    Make({"UploadModule", "DoOneFakeScan"});
    EXPECT_EQ(cmd->libraryStatus(), -113);
    Make({"ConnectToScanner", "ReadLUTData"});
    EXPECT_EQ(cmd->libraryStatus(), -105);
}

TEST_F(EthernetCmdTest, UnusableLibraryIsNeverCalled) {
    cmd->Teardown();
    EXPECT_EQ(cmd->libraryStatus(), -1);
    EXPECT_TRUE(fake->closed);
    char line[16];
    std::uint32_t word = 7;
    const std::uint8_t record[kLutRecordSize] = {};
    EXPECT_EQ(cmd->Connect(), -1);
    EXPECT_EQ(cmd->Disconnect(), -1);
    EXPECT_EQ(cmd->SendCommand("lamps:1\r\n", scratch), -1);
    EXPECT_EQ(cmd->FlushReplies(scratch), -1);
    EXPECT_EQ(cmd->FetchServiceData(), -1);
    EXPECT_EQ(cmd->ReadLine(line, 15, "\r\n"), -1);
    EXPECT_EQ(cmd->ReadReply(2000, cmd->Reply()), 0xFF);
    EXPECT_EQ(cmd->UploadLut(record, word), 100u);
    EXPECT_EQ(Scanner().connects + Scanner().disconnects + Scanner().reads, 0);
    EXPECT_TRUE(Scanner().sent.empty());
    EXPECT_EQ(clock.sleeps, 0);
}

TEST_F(EthernetCmdTest, CommandLengthLimits) {
    EXPECT_EQ(cmd->SendCommand("", scratch), -2);
    EXPECT_EQ(cmd->SendCommand(std::string(1457, 'x'), scratch), -2);
    EXPECT_TRUE(Scanner().sent.empty());
    EXPECT_EQ(clock.sleeps, 0);
    EXPECT_EQ(cmd->SendCommand(std::string(1456, 'x'), scratch), 0);
    ASSERT_EQ(Scanner().sent.size(), 1u);
    EXPECT_EQ(Scanner().sent[0].size(), 1456u);
    EXPECT_EQ(clock.sleptMs, 50);
}

TEST_F(EthernetCmdTest, SendFailureIsPassedOn) {
    Scanner().sendResult = 9;
    EXPECT_EQ(cmd->SendCommand("lamps:1\r\n", scratch), 9);
}

struct ReplyCase {
    const char* line;
    std::uint8_t status;
    std::int32_t code;
    const char* text;
};

class ReplyParsing : public EthernetCmdTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ReplyParsing, StatusCodeAndText) {
    const ReplyCase& c = GetParam();
    Scanner().Queue(std::string(c.line) + "\r\n");
    EXPECT_EQ(cmd->ReadReply(2000, cmd->Reply()), c.status);
    EXPECT_EQ(cmd->Reply().Status(), c.status);
    EXPECT_EQ(cmd->Reply().Code(), c.code);
    EXPECT_EQ(cmd->Reply().Text(), c.text);
    EXPECT_EQ(cmd->UnreadBytes(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Lines, ReplyParsing,
                         ::testing::Values(ReplyCase{"A000 OK", 'A', 0, "OK"},
                                           ReplyCase{"E123 refused", 'E', 123, "refused"},
                                           ReplyCase{"A000 X", 'A', 0, "X"},  // six characters pass
                                           ReplyCase{"A000 ", 0, 0, ""},      // five do not
                                           ReplyCase{"A0", 0, 0, ""},
                                           ReplyCase{"", 0, 0, ""},
                                           ReplyCase{"Axy9 odd code", 'A', 0, "odd code"},
                                           ReplyCase{"A042-text", 'A', 42, "text"}));

TEST_F(EthernetCmdTest, SeveralLinesInOneReadAreConsumedOneAtATime) {
    Scanner().Queue("A001 one\r\nA002 two\r\nA00");
    EXPECT_EQ(cmd->ReadReply(2000, cmd->Reply()), 'A');
    EXPECT_EQ(cmd->Reply().Code(), 1);
    EXPECT_EQ(cmd->UnreadBytes(), 13u);
    EXPECT_EQ(cmd->ReadReply(2000, cmd->Reply()), 'A');
    EXPECT_EQ(cmd->Reply().Code(), 2);
    EXPECT_EQ(cmd->Reply().Text(), "two");
    EXPECT_EQ(cmd->UnreadBytes(), 3u);
}

TEST_F(EthernetCmdTest, IncompleteLineStaysUntilItsEndArrives) {
    char line[kLineBufferSize + 1];
    Scanner().Queue("A00");
    EXPECT_EQ(cmd->ReadLine(line, kLineBufferSize, "\r\n"), 0);
    EXPECT_EQ(cmd->UnreadBytes(), 3u);
    Scanner().Queue("7 x\r");
    EXPECT_EQ(cmd->ReadLine(line, kLineBufferSize, "\r\n"), 0);
    Scanner().Queue("\nrest");
    EXPECT_EQ(cmd->ReadLine(line, kLineBufferSize, "\r\n"), 8);
    EXPECT_STREQ(line, "A007 x\r\n");
    // Without a terminator everything taken is the line, up to the maximum.
    EXPECT_EQ(cmd->ReadLine(line, 2, ""), 2);
    EXPECT_STREQ(line, "re");
    EXPECT_EQ(cmd->ReadLine(line, 100, ""), 2);
    EXPECT_STREQ(line, "st");
}

TEST_F(EthernetCmdTest, ZeroByteBeforeTheLineEndDoesNotHideIt) {
    Scanner().Queue(std::string("A000 a\0b\r\n", 10));
    EXPECT_EQ(cmd->ReadReply(2000, cmd->Reply()), 'A');
    EXPECT_EQ(cmd->Reply().Text(), "a");
    EXPECT_EQ(cmd->UnreadBytes(), 0u);
}

TEST_F(EthernetCmdTest, LongReplyTextIsCutToTheRecord) {
    Scanner().Queue("A000 " + std::string(3000, 't') + "\r\n");
    EXPECT_EQ(cmd->ReadReply(2000, cmd->Reply()), 'A');
    EXPECT_EQ(cmd->Reply().Text().size(), ServiceReply::kMaxText);
    EXPECT_EQ(cmd->Reply().bytes.back(), 0);
}

TEST_F(EthernetCmdTest, ReplyRecordIsClearedBeforeEachReply) {
    Scanner().Queue("E999 a long first reply\r\nA000 \r\n");
    cmd->ReadReply(2000, cmd->Reply());
    EXPECT_EQ(cmd->ReadReply(2000, cmd->Reply()), 0);
    for (std::uint8_t b : cmd->Reply().bytes) ASSERT_EQ(b, 0);
}

TEST_F(EthernetCmdTest, TimeOutAfterMoreThanTheLimit) {
    const std::int64_t start = clock.elapsedMs;
    EXPECT_EQ(cmd->ReadReply(2000, cmd->Reply()), 0xFE);
    EXPECT_GT(clock.elapsedMs - start, 2000);
    EXPECT_LE(clock.elapsedMs - start, 2002);
}

TEST_F(EthernetCmdTest, LateReplyWithinTheLimitIsRead) {
    Scanner().quietReads = 1990;
    Scanner().Queue("A005 late\r\n");
    EXPECT_EQ(cmd->ReadReply(2000, cmd->Reply()), 'A');
    EXPECT_EQ(cmd->Reply().Code(), 5);
}

TEST_F(EthernetCmdTest, ReplyAfterTheLimitStaysForTheNextRead) {
    Scanner().quietReads = 2100;
    Scanner().Queue("A005 late\r\n");
    EXPECT_EQ(cmd->ReadReply(2000, cmd->Reply()), 0xFE);
    EXPECT_EQ(cmd->ReadReply(2000, cmd->Reply()), 'A');
}

TEST_F(EthernetCmdTest, ReadFailureGivesFF) {
    Scanner().Queue("A000 OK\r\n");
    Scanner().readResult = 3;
    EXPECT_EQ(cmd->FetchServiceData(), -2);
    EXPECT_EQ(cmd->ReadReply(2000, cmd->Reply()), 0xFF);
    EXPECT_EQ(cmd->FlushReplies(scratch), -2);
}

TEST_F(EthernetCmdTest, FlushDiscardsRingAndLibrary) {
    Scanner().Queue("A000 old\r\n");
    cmd->FetchServiceData();
    Scanner().Queue("A000 older\r\n");
    Scanner().Queue("A000 oldest\r\n");
    EXPECT_EQ(cmd->FlushReplies(scratch), 0);
    EXPECT_EQ(cmd->UnreadBytes(), 0u);
    EXPECT_TRUE(Scanner().pending.empty());
    EXPECT_EQ(cmd->ReadReply(100, cmd->Reply()), 0xFE);
}

TEST_F(EthernetCmdTest, RingNeverOverwritesUnreadBytes) {
    // More than the ring holds, in a known sequence; reading it back must give every byte once,
    // in order, however the ring wraps.
    std::string stream;
    for (int i = 0; i < 25000; ++i) stream.push_back(static_cast<char>('a' + i % 23));
    for (std::size_t at = 0; at < stream.size(); at += 1000) Scanner().Queue(stream.substr(at, 1000));

    EXPECT_EQ(cmd->FetchServiceData(), static_cast<int>(kReceiveRingSize - 1));
    for (std::uint16_t asked : Scanner().readCapacities) EXPECT_LE(asked, kServiceDataLimit);

    std::string back;
    char line[kLineBufferSize + 1];
    for (int guard = 0; guard < 100 && back.size() < stream.size(); ++guard) {
        const int n = cmd->ReadLine(line, 777, "");
        ASSERT_GE(n, 0);
        back.append(line, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(back, stream);
}

// Moves on by a millisecond whenever it is read, so a wait ends even when the library is
// never asked (a full ring is not read into).
class TickingClock final : public Clock {
public:
    std::int64_t ElapsedMs() const override { return ++now_; }
    void SleepMs(int ms) override { now_ += ms; }
    CivilTime LocalNow() const override { return {}; }
    CivilTime UtcNow() const override { return {}; }

private:
    mutable std::int64_t now_ = 0;
};

TEST_F(EthernetCmdTest, FullRingWithoutLineEndTimesOutAndFlushRecovers) {
    TickingClock ticking;
    CEthernetCmd full(std::make_unique<FakeServiceLibrary>(), dir.Path(), ticking);
    Scanner().Queue(std::string(12000, 'z'));
    EXPECT_EQ(full.ReadReply(50, full.Reply()), 0xFE);
    EXPECT_EQ(full.UnreadBytes(), kReceiveRingSize - 1);
    EXPECT_EQ(full.FlushReplies(scratch), 0);
    Scanner().Queue("A000 OK\r\n");
    EXPECT_EQ(full.ReadReply(50, full.Reply()), 'A');
}

TEST_F(EthernetCmdTest, UploadHandsAPrivateCopyAndReturnsBothCodes) {
    std::vector<std::uint8_t> record(kLutRecordSize);
    for (std::size_t i = 0; i < record.size(); ++i) record[i] = static_cast<std::uint8_t>(i * 7);
    Scanner().uploadResult = 3;
    Scanner().uploadWord = 0x55;
    std::uint32_t word = 0;
    EXPECT_EQ(cmd->UploadLut(record.data(), word), 3u);
    EXPECT_EQ(word, 0x55u);
    EXPECT_EQ(Scanner().uploadKind, 5u);
    EXPECT_EQ(Scanner().uploaded, record);
}

}  // namespace
}  // namespace calvix
