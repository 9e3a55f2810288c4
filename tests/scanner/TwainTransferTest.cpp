// The acquisition against the in-test manager: which transfer lands in which slot and which
// one the side picks, and the event loop's ends (transfer, close request, quit, a refused
// query, a source that never answers, a nested acquisition).
#include "TwainFixture.h"

#include "platform/HeadlessMessagePump.h"

#include <string>
#include <vector>

namespace calvix::test {
namespace {

using namespace twain;

using Transfer = FakeTwainManager::Transfer;

TEST_F(TwainTest, TransferSlotsTakeFrontThenRearAndTheSidePicksOne) {
    const auto front = MakeDib(3, 2, 24, 0xF0);
    const auto rear = MakeDib(3, 2, 24, 0x0E);
    struct Case {
        const char* name;
        std::vector<Transfer> transfers;
        int side;
        int red;  // of the image returned; -1: none
        std::size_t resets;
    } cases[] = {
        {"duplex, front", {{TWRC_XFERDONE, front}, {TWRC_XFERDONE, rear}}, 1, 0xF0, 0},
        {"duplex, rear", {{TWRC_XFERDONE, front}, {TWRC_XFERDONE, rear}}, 0, 0x0E, 0},
        {"simplex, rear", {{TWRC_XFERDONE, front}}, 0, -1, 0},
        {"front failed", {{TWRC_FAILURE, {}}, {TWRC_XFERDONE, rear}}, 1, -1, 0},
        {"front failed, rear still rear", {{TWRC_FAILURE, {}}, {TWRC_XFERDONE, rear}}, 0, 0x0E, 0},
        {"cancelled takes no slot", {{TWRC_CANCEL, {}}, {TWRC_XFERDONE, rear}}, 1, 0x0E, 0},
        {"more than two: the rest is reset",
         {{TWRC_XFERDONE, front}, {TWRC_XFERDONE, rear}, {TWRC_XFERDONE, front}},
         0,
         0x0E,
         1},
        {"source cancels for ever", std::vector<Transfer>(40, Transfer{TWRC_CANCEL, {}}), 1, -1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeTwainManager fake;
        fake.FillSource(true);
        fake.events = {MSG_XFERREADY};
        fake.transfers.assign(c.transfers.begin(), c.transfers.end());
        Twain module(fake.Library(), dir.Path(), clock, &pump);
        ASSERT_TRUE(module.TwainLoadManager());
        const DibHandle image = module.TwainGetImage(window, c.side);
        ASSERT_EQ(image.Empty(), c.red < 0);
        if (c.red >= 0) {
            ASSERT_GE(image.Size(), 58u);
            EXPECT_EQ(image.Data()[40 + 2], c.red);
        }
        EXPECT_EQ(fake.Count(DAT_PENDINGXFERS, MSG_RESET), c.resets);
        EXPECT_FALSE(module.SourceOpen() || module.ManagerOpen());
    }
}

TEST_F(TwainTest, EventLoopEndsOnTransferCloseRequestQuitRefusalOrTimeLimit) {
    struct Case {
        const char* name;
        std::vector<TW_UINT16> events;  // posted after the first empty round
        TW_UINT16 noEvent;
        bool quit;
        std::int64_t stepMs;
        int maxRounds;  // of the pump
        const char* logged;
    } cases[] = {
        {"transfer", {MSG_DEVICEEVENT, MSG_XFERREADY}, TWRC_NOTDSEVENT, false, 10, 2, nullptr},
        {"close request", {MSG_CLOSEDSREQ}, TWRC_NOTDSEVENT, false, 10, 1, nullptr},
        {"application quits", {}, TWRC_NOTDSEVENT, true, 10, 1, "STA: TWAIN: application quits, acquisition ended"},
        {"query refused", {}, TWRC_FAILURE, false, 10, 0, "TWAIN: event query refused, acquisition ended"},
        {"source never answers",
         {},
         TWRC_NOTDSEVENT,
         false,
         1000,
         300,
         "TWAIN: no transfer from the source within 300 s, acquisition ended"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture lines;
        FakeTwainManager fake;
        fake.FillSource(true);
        fake.noEventResult = c.noEvent;
        fake.transfers = {{TWRC_XFERDONE, MakeDib(2, 2, 24, 1)}, {TWRC_XFERDONE, MakeDib(2, 2, 24, 2)}};
        StepPump stepper(clock);
        stepper.quit = c.quit;
        stepper.stepMs = c.stepMs;
        stepper.during = [&] {
            if (stepper.rounds == 1) fake.events.assign(c.events.begin(), c.events.end());
        };
        Twain module(fake.Library(), dir.Path(), clock, &stepper);
        ASSERT_TRUE(module.TwainLoadManager());
        const DibHandle image = module.TwainGetImage(window, 1);
        EXPECT_EQ(image.Empty(), c.events.empty() || c.events.back() != MSG_XFERREADY);
        EXPECT_EQ(stepper.rounds, c.maxRounds);
        if (c.logged) {
            EXPECT_TRUE(lines.Contains(c.logged));
        }
        // Every round hands the manager an event record.
        for (const TwainCall& call : fake.calls)
            if (call.dat == DAT_EVENT) {
                EXPECT_TRUE(call.eventGiven);
            }
        EXPECT_FALSE(module.SourceOpen() || module.ManagerOpen());
    }
}

TEST_F(TwainTest, AnAcquisitionStartedFromTheEventLoopIsRefused) {
    bool nestedEmpty = false;
    pump.during = [&] {
        nestedEmpty = Module().TwainGetImage(window, 1).Empty();
        manager.events = {MSG_XFERREADY};
    };
    manager.transfers = {{TWRC_XFERDONE, MakeDib(2, 2, 24, 9)}};
    EXPECT_FALSE(Module().TwainGetImage(window, 1).Empty());
    EXPECT_TRUE(nestedEmpty);
    EXPECT_EQ(manager.Count(DAT_IDENTITY, MSG_OPENDS), 1u);
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
    HeadlessMessagePump forever(clock);
    EXPECT_TRUE(forever.ProcessEvents(5));
}

}  // namespace
}  // namespace calvix::test
