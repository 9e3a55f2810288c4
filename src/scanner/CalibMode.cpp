// The service command sequences of calibration mode. Every reply is awaited 2000 ms; a step
// fails when its command cannot be sent or its reply line is too short to carry a status. A
// reply that does not come in time does not fail the step: the sequence goes on.
#include "scanner/CalibMode.h"

#include "app/Clock.h"
#include "app/FormStatus.h"
#include "scanner/EthernetCmd.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace calvix {

namespace {

constexpr const char* kTokenSeparators = ":\",=";

// A reply read fails the step when it is too short to carry a status, and also when the
// library could not read at all: that means the connection is gone, and the command it
// answers may never have taken effect. Letting it pass would report the mode as set when the
// last command of the sequence was lost with the connection.
bool ReplyAccepted(std::uint8_t status) { return status != 0 && status != kReplyReadFailed; }

// One command and its reply; false when the step fails.
bool Exchange(CEthernetCmd& ethernet, std::string_view command) {
    std::uint32_t scratch = 0;
    if (ethernet.SendCommand(command, scratch) != 0) return false;
    return ReplyAccepted(ethernet.ReadReply(kReplyTimeoutMs, ethernet.Reply()));
}

// Runs the commands with a pause before each but the first, then disconnects.
template <std::size_t N>
bool RunSequence(CEthernetCmd& ethernet, Clock& clock, const std::string_view (&commands)[N], std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) clock.SleepMs(kCommandGapMs);
        if (!Exchange(ethernet, commands[i])) {
            ethernet.Disconnect();
            return false;
        }
    }
    return true;
}

}  // namespace

bool ParseLedFlag(std::string_view paramsText, bool& ledScanner) {
    const std::string text(paramsText.substr(0, kMaxParamsText));
    std::string_view rest = text;
    bool sfSeen = false;
    // Tokens are the non-empty runs between separators, as strtok gives them.
    while (!rest.empty()) {
        const std::size_t start = rest.find_first_not_of(kTokenSeparators);
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        const std::size_t end = rest.find_first_of(kTokenSeparators);
        const std::string token(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
        if (sfSeen) {
            // Decimal as atoi reads it: leading digits, anything after them ignored.
            const unsigned long value = std::strtoul(token.c_str(), nullptr, 10);
            ledScanner = (value & kLedSourceBit) != 0;
            return true;
        }
        sfSeen = token == "SF";
    }
    // "SF" as the last token has no value to read: the flag keeps what it was.
    return false;
}

bool setCalibMode(CEthernetCmd& ethernet, Clock& clock, bool duplex, bool& ledScanner) {
    LogStatus("Enter setCalibMode() ...", LogSta);
    if (ethernet.Connect() != 0) return false;
    std::uint32_t scratch = 0;
    ethernet.FlushReplies(scratch);

    if (ethernet.SendCommand("get_params\r\n", scratch) != 0 ||
        !ReplyAccepted(ethernet.ReadReply(kReplyTimeoutMs, ethernet.Reply())) ||
        !ReplyAccepted(ethernet.ReadReply(kReplyTimeoutMs, ethernet.Reply()))) {
        ethernet.Disconnect();
        return false;
    }
    ParseLedFlag(ethernet.Reply().Text(), ledScanner);
    LogStatus(ledScanner ? " ... LED Scanner detected!" : " ... Non LED Scanner detected!", LogSta);

    static constexpr std::string_view kCommands[] = {"lamps:1\r\n", "lut_bypass:1,0\r\n", "lut_bypass:1,1\r\n"};
    if (!RunSequence(ethernet, clock, kCommands, duplex ? 3 : 2)) return false;
    ethernet.Disconnect();
    LogStatus("... exit setCalibMode() normally!", LogSta);
    return true;
}

bool clearCalibMode(CEthernetCmd& ethernet, Clock& clock, bool duplex) {
    if (ethernet.Connect() != 0) return false;
    static constexpr std::string_view kCommands[] = {"lamps:0\r\n", "lut_bypass:0,0\r\n", "lut_bypass:0,1\r\n"};
    if (!RunSequence(ethernet, clock, kCommands, duplex ? 3 : 2)) return false;
    ethernet.Disconnect();
    return true;
}

}  // namespace calvix
