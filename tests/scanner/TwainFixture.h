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

class StepPump final : public MessagePump {
public:
    explicit StepPump(FakeClock& clock) : clock_(clock) {}
    bool ProcessEvents(int maxWaitMs) override {
        ++rounds;
        clock_.elapsedMs += stepMs > 0 ? stepMs : maxWaitMs;
        if (during) during();
        return !quit;
    }
    int rounds = 0;
    std::int64_t stepMs = 0;
    bool quit = false;
    std::function<void()> during;

private:
    FakeClock& clock_;
};

class TwainTest : public ::testing::Test {
protected:
    void SetUp() override { manager.FillSource(true); }
    // Made on first use, so a test can set up the manager first; the manager is loaded.
    Twain& Module() {
        if (!twain) {
            twain = std::make_unique<Twain>(manager.Library(), dir.Path(), clock, &pump);
            twain->TwainLoadManager();
        }
        return *twain;
    }

    LogCapture log;
    TempDir dir;
    FakeClock clock;
    FakeTwainManager manager;
    StepPump pump{clock};
    int windowObject = 0;
    TwainWindow window = &windowObject;
    std::unique_ptr<Twain> twain;  // last: it closes its manager while the fake still stands
};

}  // namespace calvix::test
