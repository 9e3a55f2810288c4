// Text reading and atomic text writing for the list file and the installed reference copies.
#include "it8ref/TextFiles.h"

#include "app/AtomicFile.h"

#include <optional>

namespace calvix {

std::vector<std::string> SplitTextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos) end = text.size();
        std::size_t length = end - start;
        if (length > 0 && text[start + length - 1] == '\r') --length;
        lines.push_back(text.substr(start, length));
        start = next;
    }
    return lines;
}

bool ReadTextLines(const std::string& path, std::size_t maxBytes, std::vector<std::string>& lines) {
    const std::optional<std::string> text = ReadWholeFile(path, maxBytes);
    if (!text) return false;
    lines = SplitTextLines(*text);
    return true;
}

bool WriteTextLinesAtomic(const std::string& path, const std::vector<std::string>& lines,
                          std::string& error) {
    std::string content;
    for (const std::string& line : lines) {
        content += line;
        content += "\r\n";
    }
    return WriteFileAtomically(path, content, &error);
}

bool CopyTextFileAtomic(const std::string& source, const std::string& destination,
                        std::string& error) {
    // Read whole before writing, so copying a file onto itself works too.
    std::vector<std::string> lines;
    if (!ReadTextLines(source, MaxReferenceFileBytes, lines)) {
        error = "cannot read '" + source + "' (missing, unreadable or larger than " +
                std::to_string(MaxReferenceFileBytes) + " bytes)";
        return false;
    }
    return WriteTextLinesAtomic(destination, lines, error);
}

}  // namespace calvix
