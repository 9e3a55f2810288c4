// The program core beside a running q71-emulator: the core's service library and data source are
// pointed at it, and after each test the core goes first, then the emulator, whose exit is checked.
#pragma once

#include "EmulatorProcess.h"
#include "MainFormFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace calvix::test {

class EmulatorFormTest : public MainFormTest {
protected:
    void StartEmulator(std::vector<std::string> args) {
        emulator = std::make_unique<EmulatorProcess>(dir.File("device.state"), dir.File("emulator.log"), args);
        ASSERT_TRUE(emulator->Started());
        address = std::make_unique<ScopedDeviceAddress>(emulator->Address());
    }
    void TearDown() override {
        form.reset();
        address.reset();
        if (emulator && emulator->Running()) {
            EXPECT_EQ(emulator->Stop(), 0);
        }
        MainFormTest::TearDown();
    }

    std::unique_ptr<EmulatorProcess> emulator;
    std::unique_ptr<ScopedDeviceAddress> address;
};

}  // namespace calvix::test
