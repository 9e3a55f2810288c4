// A fresh TWAIN module over the in-test manager, with a fake clock and a pump that moves the
// clock and can play the operator (a quit, a nested call) while an acquisition waits.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "FakeClock.h"
#include "FakeTwainManager.h"
#include "LogCapture.h"
#include "TempDir.h"
#include "scanner/MessagePump.h"
#include "scanner/Twain.h"

namespace calvix::test {

struct StepPump final : MessagePump {
    explicit StepPump(FakeClock& c) : clock(c) {}
    bool ProcessEvents(int maxWaitMs) override {
        ++rounds;
        clock.elapsedMs += stepMs > 0 ? stepMs : maxWaitMs;
        if (during) during();
        return !quit;
    }
    FakeClock& clock;
    int rounds = 0;
    std::int64_t stepMs = 0;
    bool quit = false;
    std::function<void()> during;
};

class TwainTest : public ::testing::Test {
protected:
    // A loaded module over fake; with open, manager and source are opened too.
    std::unique_ptr<Twain> Make(FakeTwainManager& fake, bool open = false, MessagePump* p = nullptr) {
        auto module = std::make_unique<Twain>(fake.Library(), dir.Path(), clock, p);
        EXPECT_TRUE(module->TwainLoadManager());
        if (open) { EXPECT_TRUE(module->TwainOpenManager(window) && module->TwainOpenSource()); }
        return module;
    }

    LogCapture log;
    TempDir dir;
    FakeClock clock;
    StepPump pump{clock};
    int windowObject = 0;
    TwainWindow window = &windowObject;
};

}  // namespace calvix::test
