// The Q71's service commands: get_params, lamps:<0|1>, lut_bypass:<0|1>,<side 0|1>.
#include "ServiceCommands.h"

#include <algorithm>
#include <cstdio>

namespace calvix::device {

namespace {

bool Listed(const std::vector<std::string>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool ParseBit(std::string_view text, bool* out) {
    if (text == "1") *out = true;
    else if (text == "0") *out = false;
    else return false;
    return true;
}

}  // namespace

std::string ReplyLine(char status, int code, std::string_view text) {
    char head[16];
    std::snprintf(head, sizeof head, "%c%03d ", status, code % 1000);
    std::string line(head);
    line.append(text);
    line.append("\r\n");
    return line;
}

CommandOutcome ExecuteServiceCommand(DeviceState& state, std::string_view line, const CommandFaults& faults) {
    CommandOutcome outcome;
    const std::size_t colon = line.find(':');
    const std::string_view name = line.substr(0, colon);
    const std::string_view argument = colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);

    if (Listed(faults.unanswered, name)) return outcome;
    if (Listed(faults.refused, name)) {
        outcome.replies.push_back(ReplyLine('E', kReplyRefused, "refused"));
        return outcome;
    }

    if (name == "get_params" && colon == std::string_view::npos) {
        outcome.replies.push_back(ReplyLine('A', kReplyOk, "OK"));
        outcome.replies.push_back(ReplyLine('A', kReplyOk, state.ParamsText()));
    } else if (name == "lamps") {
        bool on = false;
        if (!ParseBit(argument, &on)) {
            outcome.replies.push_back(ReplyLine('E', kReplyBadArgument, "bad argument"));
        } else {
            outcome.stateChanged = state.lamps != on;
            if (outcome.stateChanged) ++state.modeChanges;
            state.lamps = on;
            outcome.replies.push_back(ReplyLine('A', kReplyOk, "OK"));
        }
    } else if (name == "lut_bypass") {
        const std::size_t comma = argument.find(',');
        bool on = false;
        bool rear = false;
        if (comma == std::string_view::npos || !ParseBit(argument.substr(0, comma), &on) ||
            !ParseBit(argument.substr(comma + 1), &rear)) {
            outcome.replies.push_back(ReplyLine('E', kReplyBadArgument, "bad argument"));
        } else if (rear && !state.model.duplex) {
            outcome.replies.push_back(ReplyLine('E', kReplyNoRearSide, "no rear side"));
        } else {
            bool& bypass = state.lutBypass[rear ? 1 : 0];
            outcome.stateChanged = bypass != on;
            if (outcome.stateChanged) ++state.modeChanges;
            bypass = on;
            outcome.replies.push_back(ReplyLine('A', kReplyOk, "OK"));
        }
    } else {
        outcome.replies.push_back(ReplyLine('E', kReplyUnknownCommand, "unknown command"));
    }
    return outcome;
}

}  // namespace calvix::device
