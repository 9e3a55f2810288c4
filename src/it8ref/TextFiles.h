// Whole-file text operations of the reference library: reading lines with either line end,
// and writing or copying text with CR LF line ends, always by temporary file and rename so an
// interrupted write never leaves half a file behind.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace calvix {

// Bounds on what is read into memory: a list of file names, and one reference file (real
// ones are tens of kilobytes).
inline constexpr std::size_t MaxListFileBytes = 16u << 20;
inline constexpr std::size_t MaxReferenceFileBytes = 64u << 20;

// Splits text into lines without their line ends (LF or CR LF); a final line end does not
// start another line.
std::vector<std::string> SplitTextLines(const std::string& text);

// False when the file cannot be opened or read, or is larger than maxBytes.
bool ReadTextLines(const std::string& path, std::size_t maxBytes, std::vector<std::string>& lines);

// Replaces path with the lines, each ending in CR LF. On failure `error` says why and the
// previous file is untouched.
bool WriteTextLinesAtomic(const std::string& path, const std::vector<std::string>& lines,
                          std::string& error);

// Copies a text file line by line, every line ending in CR LF including the last.
bool CopyTextFileAtomic(const std::string& source, const std::string& destination,
                        std::string& error);

}  // namespace calvix
