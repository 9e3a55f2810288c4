// The Q71's service command interpreter: one command line in, the reply lines out, the device
// state changed as the command says. Status characters: 'A' accepted, 'E' error or refused.
#pragma once

#include "DeviceState.h"

#include <string>
#include <string_view>
#include <vector>

namespace calvix::device {

// Reply codes after the status character.
inline constexpr int kReplyOk = 0;
inline constexpr int kReplyUnknownCommand = 1;
inline constexpr int kReplyBadArgument = 2;
inline constexpr int kReplyNoRearSide = 3;
inline constexpr int kReplyRefused = 10;

// Commands the device refuses or leaves unanswered, by command name (the part before ':').
struct CommandFaults {
    std::vector<std::string> refused;
    std::vector<std::string> unanswered;
};

struct CommandOutcome {
    std::vector<std::string> replies;  // each a whole line ending in CR LF
    bool stateChanged = false;
};

// "%c%03d %s\r\n"
std::string ReplyLine(char status, int code, std::string_view text);

// line: one command without its line end.
CommandOutcome ExecuteServiceCommand(DeviceState& state, std::string_view line, const CommandFaults& faults);

}  // namespace calvix::device
