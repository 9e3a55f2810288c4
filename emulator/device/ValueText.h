// How the emulator writes a value into its "key=value" text files so that every value reads
// back exactly: plain when it is plain printable text, else quoted with escapes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace calvix::device {

// Plain printable ASCII without a leading quote or outer blanks stays as it is; anything else
// becomes "..." with \" \\ and \xHH escapes.
std::string QuoteValue(std::string_view value);

// The inverse of QuoteValue; nothing for a quoted value with a bad escape or no closing quote.
// A value that does not start with a quote is taken as it is.
std::optional<std::string> UnquoteValue(std::string_view text);

}  // namespace calvix::device
