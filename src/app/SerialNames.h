// A scanner's serial number as part of a file name, reversibly: the history files and the ICC
// profiles of one scanner carry the same name, and no two serials share one.
#pragma once

#include <optional>
#include <string>

namespace calvix {

// Letters, digits, '-', '_' and a '.' not in front stay; every other byte, '%' included, becomes
// %XX (upper-case hex). The empty serial is "%unknown", which no serial escapes to. Not cut to
// any length: the caller refuses a name too long for its folder rather than shorten it into
// another scanner's.
std::string EscapeSerial(const std::string& serial);

// The serial EscapeSerial gave name for; nothing for a name it never gives ("%3a", "%2D").
std::optional<std::string> UnescapeSerial(const std::string& name);

}  // namespace calvix
