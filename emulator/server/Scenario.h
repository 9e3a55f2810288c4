// What the emulated scanner is and which faults it plays: read from a scenario file of
// "key=value" lines and from command-line switches (switches win).
#pragma once

#include "DeviceState.h"
#include "ServiceCommands.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace calvix::emulator {

struct Scenario {
    // Model: replaces what the state file says when given.
    std::optional<std::string> serial;
    std::optional<bool> duplex;
    std::optional<bool> led;
    std::optional<std::string> params;

    // Faults.
    bool refuseConnections = false;   // accept, then close at once without a greeting
    int replyDelayMs = 0;             // every reply is held back this long
    int truncateReplies = 0;          // > 0: each reply line cut to this many characters
    bool batchReplies = false;        // all lines of a reply in one write
    device::CommandFaults commands;   // refused and unanswered commands
    std::optional<std::uint32_t> refuseUploadCode;
    int dropAfterRequests = 0;        // > 0: the first service connection is dropped on this request

    void ApplyModel(device::DeviceState& state) const;
};

// Keys: serial, duplex, led, params, refuse_connections, reply_delay_ms, truncate_replies,
// batch_replies, refuse_command, no_reply (both repeatable), refuse_upload, drop_after.
// Returns false with a message naming the first bad line; earlier lines stay applied.
bool ParseScenario(std::string_view text, Scenario* scenario, std::string* error);
bool LoadScenarioFile(const std::string& path, Scenario* scenario, std::string* error);

}  // namespace calvix::emulator
