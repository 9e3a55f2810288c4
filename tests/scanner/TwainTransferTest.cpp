// The acquisition against the in-test manager: which transfer lands in which slot and which
// one the side picks, and the event loop's ends (transfer, close request, quit, a refused
// query, a source that never answers, a nested acquisition).
#include "TwainFixture.h"

#include <vector>

#include "platform/HeadlessMessagePump.h"

namespace calvix::test {
namespace {

using namespace twain;
using Transfer = FakeTwainManager::Transfer;

TEST_F(TwainTest, TransferSlotsTakeFrontThenRearAndTheSidePicksOne) {
    const Transfer front{TWRC_XFERDONE, MakeDib(3, 2, 24, 0xF0)}, rear{TWRC_XFERDONE, MakeDib(3, 2, 24, 0x0E)};
    const Transfer failed{TWRC_FAILURE, {}}, cancelled{TWRC_CANCEL, {}};
    const struct {
        std::vector<Transfer> transfers;
        int side;
        int red;  // of the image returned; -1: none
        std::size_t resets;
        const char* failure;  // what the operator is told when no image came
    } cases[] = {
        {{front, rear}, 1, 0xF0, 0, ""},
        {{front, rear}, 0, 0x0E, 0, ""},
        {{front}, 0, -1, 0, "the source sent no rear image"},  // simplex
        {{failed, rear}, 1, -1, 0, "the front transfer failed"},
        {{failed, rear}, 0, 0x0E, 0, ""},
        {{cancelled, rear}, 1, -1, 0, "the source cancelled the front transfer"},  // the rear stays the rear
        {{cancelled, rear}, 0, 0x0E, 0, ""},
        {{front, rear, front}, 0, 0x0E, 1, ""},
        {std::vector<Transfer>(40, cancelled), 1, -1, 1, "the source cancelled the front transfer"},  // bounded
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.transfers.size() << " transfers, side " << c.side);
        FakeTwainManager fake;
        fake.FillSource(true);
        fake.events = {MSG_XFERREADY};
        fake.transfers.assign(c.transfers.begin(), c.transfers.end());
        auto module = Make(fake, false, &pump);
        const DibHandle image = module->TwainGetImage(window, c.side);
        ASSERT_EQ(image.Empty(), c.red < 0);
        if (c.red >= 0) { EXPECT_EQ(image.Data()[40 + 2], c.red); }
        EXPECT_EQ(fake.Count(DAT_PENDINGXFERS, MSG_RESET), c.resets);
        EXPECT_EQ(module->AcquisitionFailure(), c.failure);
        EXPECT_EQ(fake.sequenceErrors, 0);
    }
}

TEST_F(TwainTest, EventLoopEndsOnTransferCloseRequestQuitRefusalOrTimeLimit) {
    const struct {
        std::vector<TW_UINT16> events;  // posted during the first wait
        TW_UINT16 noEvent;
        bool quit;
        bool abort;  // the operator's Abort during the first wait
        std::int64_t stepMs;
        int rounds;
        const char* logged;
        const char* failure;
    } cases[] = {
        {{MSG_DEVICEEVENT, MSG_XFERREADY}, TWRC_NOTDSEVENT, false, false, 10, 2, nullptr, ""},
        {{MSG_CLOSEDSREQ}, TWRC_NOTDSEVENT, false, false, 10, 1, nullptr, "the source closed without a transfer"},
        {{MSG_XFERREADY}, TWRC_NOTDSEVENT, false, true, 10, 1, "STA: TWAIN: acquisition aborted", "the scan was aborted"},
        {{}, TWRC_NOTDSEVENT, true, false, 10, 1, "STA: TWAIN: application quits, acquisition ended",
         "the program was asked to quit"},
        {{}, TWRC_FAILURE, false, false, 10, 0, "TWAIN: event query refused, acquisition ended",
         "the TWAIN manager refused to pass on the source's events"},
        {{}, TWRC_NOTDSEVENT, false, false, 1000, 60, "TWAIN: no transfer from the source within 60 s, acquisition ended",
         "no transfer from the source within 60 s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rounds);
        FakeTwainManager fake;
        fake.FillSource(true);
        fake.noEventResult = c.noEvent;
        fake.transfers = {{TWRC_XFERDONE, MakeDib(2, 2, 24, 1)}, {TWRC_XFERDONE, MakeDib(2, 2, 24, 2)}};
        StepPump stepper(clock);
        stepper.quit = c.quit;
        stepper.stepMs = c.stepMs;
        std::unique_ptr<Twain> module;
        stepper.during = [&] {
            if (stepper.rounds != 1) return;
            fake.events.assign(c.events.begin(), c.events.end());
            if (c.abort) module->TwainAbortAcquisition();
        };
        module = Make(fake, false, &stepper);
        const bool transferred = !module->TwainGetImage(window, 1).Empty();
        EXPECT_EQ(transferred, !c.abort && !c.events.empty() && c.events.back() == MSG_XFERREADY);
        EXPECT_EQ(stepper.rounds, c.rounds);
        EXPECT_EQ(module->AcquisitionFailure(), c.failure);
        if (c.logged) { EXPECT_TRUE(log.Contains(c.logged)); }
        for (const TwainCall& call : fake.calls)
            if (call.dat == DAT_EVENT) { EXPECT_TRUE(call.eventGiven); }
        EXPECT_FALSE(module->SourceOpen() || module->ManagerOpen());
        EXPECT_EQ(fake.sequenceErrors, 0);
    }
}

TEST_F(TwainTest, AnAcquisitionStartedFromTheEventLoopIsRefused) {
    FakeTwainManager fake;
    fake.FillSource(true);
    fake.transfers = {{TWRC_XFERDONE, MakeDib(2, 2, 24, 9)}};
    auto module = Make(fake, false, &pump);
    bool nestedEmpty = false;
    pump.during = [&] {
        nestedEmpty = module->TwainGetImage(window, 1).Empty();
        fake.events = {MSG_XFERREADY};
    };
    EXPECT_FALSE(module->TwainGetImage(window, 1).Empty());
    EXPECT_TRUE(nestedEmpty);
    EXPECT_EQ(fake.Count(DAT_IDENTITY, MSG_OPENDS), 1u);
    EXPECT_TRUE(log.Contains("TWAIN: an acquisition is already running"));
}

TEST(HeadlessMessagePump, YieldsForTheWaitUntilTheApplicationQuits) {
    FakeClock clock;
    bool quit = false;
    HeadlessMessagePump pump(clock, [&] { return quit; });
    EXPECT_TRUE(pump.ProcessEvents(10));
    EXPECT_EQ(clock.elapsedMs, 10);
    quit = true;
    EXPECT_FALSE(pump.ProcessEvents(10));
    EXPECT_EQ(clock.elapsedMs, 10);  // a quitting application is not kept waiting
}

}  // namespace
}  // namespace calvix::test
