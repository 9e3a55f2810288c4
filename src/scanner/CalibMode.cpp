// The service command sequences of calibration mode. Every reply is awaited 2000 ms. Entering
// the mode, every reply must come, and the lamps and bypass commands must be accepted: a scan
// through the scanner's own table would give tables built on that table, uploaded as a success.
// Leaving it, only a reply too short to carry a status or a lost connection fails a step, so a
// refused lamps command still lets the bypass end.
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
// answers may never have taken effect.
bool ReplyRead(std::uint8_t status) { return status != 0 && status != kReplyReadFailed; }
// Entering the mode also needs the reply in time: a late one would be taken for the answer to
// the next command.
bool ReplyCame(std::uint8_t status) { return ReplyRead(status) && status != kReplyTimedOut; }
bool ReplyAccepted(std::uint8_t status) { return status == kReplyAcceptedStatus; }

using ReplyCheck = bool (*)(std::uint8_t status);

// One command and its reply; false when the step fails.
bool Exchange(CEthernetCmd& ethernet, std::string_view command, ReplyCheck passes) {
    std::uint32_t scratch = 0;
    if (ethernet.SendCommand(command, scratch) != 0) return false;
    return passes(ethernet.ReadReply(kReplyTimeoutMs, ethernet.Reply()));
}

// Runs the commands with a pause before each but the first; disconnects when one fails.
template <std::size_t N>
bool RunSequence(CEthernetCmd& ethernet, Clock& clock, const std::string_view (&commands)[N], std::size_t count,
                 ReplyCheck passes) {
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) clock.SleepMs(kCommandGapMs);
        if (!Exchange(ethernet, commands[i], passes)) {
            ethernet.Disconnect();
            return false;
        }
    }
    return true;
}

}  // namespace

bool FindParam(std::string_view paramsText, std::string_view key, unsigned long& value) {
    const std::string text(paramsText.substr(0, kMaxParamsText));
    std::string_view rest = text;
    bool keySeen = false;
    // Tokens are the non-empty runs between separators, as strtok gives them.
    while (!rest.empty()) {
        const std::size_t start = rest.find_first_not_of(kTokenSeparators);
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        const std::size_t end = rest.find_first_of(kTokenSeparators);
        const std::string token(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
        if (keySeen) {
            // Decimal as atoi reads it: leading digits, anything after them ignored.
            value = std::strtoul(token.c_str(), nullptr, 10);
            return true;
        }
        keySeen = token == key;
    }
    // The key as the last token has no value to read.
    return false;
}

bool ParseLedFlag(std::string_view paramsText, bool& ledScanner) {
    unsigned long value = 0;
    if (!FindParam(paramsText, "SF", value)) return false;
    ledScanner = (value & kLedSourceBit) != 0;
    return true;
}

bool setCalibMode(CEthernetCmd& ethernet, Clock& clock, bool duplex, bool& ledScanner) {
    LogStatus("Enter setCalibMode() ...", LogSta);
    if (ethernet.Connect() != 0) return false;
    std::uint32_t scratch = 0;
    ethernet.FlushReplies(scratch);

    if (ethernet.SendCommand("get_params\r\n", scratch) != 0 ||
        !ReplyCame(ethernet.ReadReply(kReplyTimeoutMs, ethernet.Reply())) ||
        !ReplyCame(ethernet.ReadReply(kReplyTimeoutMs, ethernet.Reply()))) {
        ethernet.Disconnect();
        return false;
    }
    ParseLedFlag(ethernet.Reply().Text(), ledScanner);
    LogStatus(ledScanner ? " ... LED Scanner detected!" : " ... Non LED Scanner detected!", LogSta);

    static constexpr std::string_view kCommands[] = {"lamps:1\r\n", "lut_bypass:1,0\r\n", "lut_bypass:1,1\r\n"};
    if (!RunSequence(ethernet, clock, kCommands, duplex ? 3 : 2, ReplyAccepted)) return false;
    ethernet.Disconnect();
    LogStatus("... exit setCalibMode() normally!", LogSta);
    return true;
}

bool clearCalibMode(CEthernetCmd& ethernet, Clock& clock, bool duplex) {
    if (ethernet.Connect() != 0) return false;
    static constexpr std::string_view kCommands[] = {"lamps:0\r\n", "lut_bypass:0,0\r\n", "lut_bypass:0,1\r\n"};
    if (!RunSequence(ethernet, clock, kCommands, duplex ? 3 : 2, ReplyRead)) return false;
    ethernet.Disconnect();
    return true;
}

}  // namespace calvix
