// Whole-file reads and writes. Writes go to a temporary file in the same folder that is then
// renamed over the target, so a crash never leaves half a file behind.
#pragma once

#include <optional>
#include <string>

namespace calvix {

// Writes content to path by temporary file and rename. On failure returns false, leaves the
// target untouched and, when error is given, describes the failure there.
bool WriteFileAtomically(const std::string& path, const std::string& content, std::string* error = nullptr);

// Reads a whole file up to maxBytes; nothing when it cannot be opened or is larger.
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes);

// The part of a path after its last '/' or '\' (the whole path when it has neither).
std::string FileNamePart(const std::string& path);

}  // namespace calvix
