// Calibration mode: switching the scanner's lamps on and its own correction table off for a
// calibration run (and back), and reading on the way whether it has an LED light source.
// TMainFormular::setCalibMode and clearCalibMode forward to these.
#pragma once

#include <cstdint>
#include <string_view>

namespace calvix {

class CEthernetCmd;
class Clock;

inline constexpr int kReplyTimeoutMs = 2000;
inline constexpr int kCommandGapMs = 50;
inline constexpr std::size_t kMaxParamsText = 512;
inline constexpr unsigned long kLedSourceBit = 0x200000;
// The status character of a reply that says the command was carried out.
inline constexpr std::uint8_t kReplyAcceptedStatus = 'A';

// True when the mode is set. Sets ledScanner from the parameter reply's SF value when it has
// one; leaves it alone otherwise.
bool setCalibMode(CEthernetCmd& ethernet, Clock& clock, bool duplex, bool& ledScanner);
bool clearCalibMode(CEthernetCmd& ethernet, Clock& clock, bool duplex);

// Reads the SF value from a parameter reply text: true with the LED flag in ledScanner when an
// "SF" token (the first one) has a value after it.
bool ParseLedFlag(std::string_view paramsText, bool& ledScanner);

// The decimal value after the first token equal to key in a parameter reply text (its first
// 512 characters); false when there is no such token or nothing after it.
bool FindParam(std::string_view paramsText, std::string_view key, unsigned long& value);

}  // namespace calvix
