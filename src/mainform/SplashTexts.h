// The splash list's lines for the operator: the log's own lines are developer English, kept so
// in the log and the splash file; the list shows them in the language in force.
#pragma once

#include <string>

namespace calvix {

// Message ids of the splash texts start here; each entry's English text is the start of a log
// line, the rest of the line (a number, a path, a reason) is kept as it is.
inline constexpr int SplashTextFirst = 2300;
inline constexpr int SplashTextLast = 2399;

// The line as the list shows it in the language of textBase: the longest known start replaced,
// or the line itself.
std::string SplashLineFor(int textBase, const std::string& line);

}  // namespace calvix
