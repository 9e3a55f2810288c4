// A real q71-emulator and the real service library behind a CEthernetCmd, for the tests that
// drive the whole path: product code, dlopen'ed library, socket, emulated device.
#pragma once

#include "app/Clock.h"
#include "DeviceState.h"
#include "EmulatorProcess.h"
#include "platform/DlDynamicLibrary.h"
#include "scanner/EthernetCmd.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace calvix::test {

class EmulatorHarness : public ::testing::Test {
protected:
    void Start(std::vector<std::string> args = {}) {
        cmd.reset();
        address.reset();
        emulator = std::make_unique<EmulatorProcess>(StatePath(), dir.File("emulator.log"), std::move(args));
        ASSERT_TRUE(emulator->Started());
        address = std::make_unique<ScopedDeviceAddress>(emulator->Address());
        cmd = std::make_unique<CEthernetCmd>(std::make_unique<DlDynamicLibrary>(), CALVIX_SYSTEM_DIR_BUILD,
                                             SystemClock());
        ASSERT_EQ(cmd->libraryStatus(), 0);
    }
    void TearDown() override {
        cmd.reset();
        if (emulator && emulator->Running()) {
            EXPECT_EQ(emulator->Stop(), 0);  // SIGTERM ends it cleanly
        }
    }

    std::string StatePath() const { return dir.File("device.state"); }
    device::DeviceState State() const {
        device::DeviceState state;
        std::string error;
        EXPECT_TRUE(state.Load(StatePath(), &error)) << error;
        return state;
    }
    // Whether the LUT the device holds, as its state file says, is this record.
    bool DeviceHolds(const std::array<std::uint8_t, 6227>& record) const {
        const std::vector<std::uint8_t> lut = State().lut;
        return std::equal(record.begin(), record.end(), lut.begin(), lut.end());
    }
    std::string EmulatorLog() const { return ReadFileText(dir.File("emulator.log")); }
    // The commands the device received, in order, as the emulator logged them.
    std::vector<std::string> ReceivedCommands() const {
        std::vector<std::string> commands;
        const std::string log = EmulatorLog();
        const std::string marker = " <- \"";
        for (std::size_t at = log.find(marker); at != std::string::npos; at = log.find(marker, at + 1)) {
            const std::size_t start = at + marker.size();
            commands.push_back(log.substr(start, log.find("\\r\\n\"", start) - start));
        }
        return commands;
    }

    TempDir dir;
    std::unique_ptr<EmulatorProcess> emulator;
    std::unique_ptr<ScopedDeviceAddress> address;
    std::unique_ptr<CEthernetCmd> cmd;
};

// A record the device accepts: the header fields it checks, a pattern in the tables.
inline std::array<std::uint8_t, 6227> ValidRecord(std::uint8_t sides = 2) {
    std::array<std::uint8_t, 6227> record{};
    for (std::size_t i = 83; i < record.size(); ++i) record[i] = static_cast<std::uint8_t>(i * 13);
    record[0] = 1;
    record[1] = 6227 & 0xFF;
    record[2] = 6227 >> 8;
    record[3] = 0x00;
    record[4] = 0x04;
    record[5] = 1;
    record[6] = sides;
    return record;
}

}  // namespace calvix::test
