// What the emulated scanner is and which faults it plays: read from a scenario file of
// "key=value" lines and from command-line switches (switches win).
#pragma once

#include "Capabilities.h"
#include "ChartRenderer.h"
#include "DeviceState.h"
#include "Feeder.h"
#include "ServiceCommands.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvix::emulator {

// A connection must have greeted within this time, or it is closed: a client that connects and
// says nothing must not hold one of the few connection places.
inline constexpr int kDefaultHelloTimeoutMs = 5000;
// A greeted connection that neither sends nor receives for this long is closed. A data source
// may stay open through a lamp warm-up of five minutes and more, so this is generous.
inline constexpr int kDefaultIdleTimeoutS = 900;

// Faces of a sheet a transfer fault applies to.
inline constexpr unsigned kFaceFront = 1;
inline constexpr unsigned kFaceRear = 2;

struct Scenario {
    // Model: replaces what the state file says when given.
    std::optional<std::string> serial;
    std::optional<bool> duplex;
    std::optional<bool> led;
    std::optional<std::string> params;

    // Faults of the service side.
    bool refuseConnections = false;   // accept, then close at once without a greeting
    int replyDelayMs = 0;             // every reply is held back this long
    int truncateReplies = 0;          // > 0: each reply line cut to this many characters
    bool batchReplies = false;        // all lines of a reply in one write
    device::CommandFaults commands;   // refused and unanswered commands
    std::optional<std::uint32_t> refuseUploadCode;
    int dropAfterRequests = 0;        // > 0: the first service connection is dropped on this request

    // The scan side: sheets in the feeder at start, the sensors, and its faults.
    std::vector<device::Sheet> feeds;
    std::optional<ToneResponse> response[2];  // front, rear; unset: the side's default
    double noiseSigma = 0.0;
    Optics optics[2];                 // front, rear; all off by default
    std::string truthDir;             // non-empty: one truth file per scanned face in it
    std::uint32_t seed = 1;
    bool offline = false;             // the scan connection's greeting is refused
    unsigned transferFail = 0;        // kFaceFront | kFaceRear
    unsigned transferCancel = 0;
    int bitCount = 24;                // 8 or 32 plays a wrong bit depth
    device::CapFaults capFaults;

    int helloTimeoutMs = kDefaultHelloTimeoutMs;
    int idleTimeoutS = kDefaultIdleTimeoutS;

    void ApplyModel(device::DeviceState& state) const;
    ToneResponse Response(device::Side side) const;
};

// One setting by its scenario key (switches arrive here too); false with the reason.
// Keys: serial, duplex, led, params, refuse_connections, reply_delay_ms, truncate_replies,
// batch_replies, refuse_command, no_reply, refuse_upload, drop_after, feed, front_response,
// rear_response, noise, crosstalk, front_crosstalk, rear_crosstalk, blur, falloff, misregister,
// scale, shot_noise, truth_dir, seed, offline, transfer_fail, transfer_cancel, bit_depth, cap_refuse,
// cap_checkstatus, hello_timeout_ms, idle_timeout_s. Repeatable: refuse_command, no_reply, feed,
// cap_refuse, cap_checkstatus.
bool ApplyScenarioSetting(std::string_view key, std::string_view value, Scenario* scenario, std::string* why);

// Returns false with a message naming the first bad line; earlier lines stay applied.
bool ParseScenario(std::string_view text, Scenario* scenario, std::string* error);
// Refuses anything but a regular file of at most 64 KB.
bool LoadScenarioFile(const std::string& path, Scenario* scenario, std::string* error);

}  // namespace calvix::emulator
