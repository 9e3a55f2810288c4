// Text read from a file, made safe for a terminal: control characters planted in a history
// line (ESC sequences, CR, a clear-screen, a newline) would rewrite or hide what is shown.
#pragma once

#include <string>

namespace calvix {

// C0 controls, DEL and the C1 controls (U+0080 to U+009F, which some terminals obey as well)
// become \xHH, and a backslash becomes "\\" so the escapes stay unambiguous; everything else,
// UTF-8 text included, is kept.
inline std::string PrintableText(const std::string& text) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool c1 = byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (byte == '\\') {
            shown += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            shown += {'\\', 'x', Hex[byte >> 4], Hex[byte & 15]};
        } else if (c1) {
            const auto next = static_cast<unsigned char>(text[++i]);
            shown += {'\\', 'u', '0', '0', Hex[next >> 4], Hex[next & 15]};
        } else {
            shown += text[i];
        }
    }
    return shown;
}

}  // namespace calvix
