// Shortening the loaded reference's path for the main window's reference label.
#include "it8ref/PathEllipsis.h"

namespace calvix {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t CodePoints(const std::string& text) {
    std::size_t count = 0;
    for (char c : text) {
        if (!IsContinuationByte(c)) ++count;
    }
    return count;
}

// Byte length of the first `points` code points of text.
std::size_t BytesOfCodePoints(const std::string& text, std::size_t points) {
    std::size_t bytes = 0;
    while (bytes < text.size()) {
        if (!IsContinuationByte(text[bytes])) {
            if (points == 0) break;
            --points;
        }
        ++bytes;
    }
    return bytes;
}

std::size_t LastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

}  // namespace

std::string ShortenPathForLabel(const std::string& path, std::size_t width) {
    static const std::string ellipsis = "...";
    if (CodePoints(path) <= width) return path;
    const std::size_t separator = LastSeparator(path);
    if (separator == std::string::npos) return path;  // no directory part to give way
    const std::string tail = path.substr(separator);  // separator and file name
    const std::size_t tailPoints = CodePoints(tail) + ellipsis.size();
    if (tailPoints >= width) return ellipsis + tail;
    const std::size_t headBytes = BytesOfCodePoints(path.substr(0, separator), width - tailPoints);
    return path.substr(0, headBytes) + ellipsis + tail;
}

}  // namespace calvix
