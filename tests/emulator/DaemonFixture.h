// A test fixture that runs the real q71-emulator in a private folder and checks that it ends
// cleanly on SIGTERM when the test is over.
#pragma once

#include "EmulatorProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace calvix::test {

class DaemonFixture : public ::testing::Test {
protected:
    void Start(std::vector<std::string> args = {}) {
        emulator = std::make_unique<EmulatorProcess>(dir.File("device.state"), dir.File("emulator.log"), args);
        ASSERT_TRUE(emulator->Started());
    }
    void TearDown() override {
        if (emulator && emulator->Running()) {
            EXPECT_EQ(emulator->Stop(), 0);  // SIGTERM ends it cleanly
        }
    }
    std::string Log() const { return ReadFileText(dir.File("emulator.log")); }

    TempDir dir;
    std::unique_ptr<EmulatorProcess> emulator;
};

}  // namespace calvix::test
