// Quoting of values in the emulator's text files (state file, state report).
#include "ValueText.h"

#include <cstdio>

namespace calvix::device {

namespace {

bool NeedsQuotes(std::string_view value) {
    if (value.empty()) return false;
    if (value.front() == '"' || value.front() == ' ' || value.back() == ' ') return true;
    for (char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E) return true;
    }
    return false;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string QuoteValue(std::string_view value) {
    if (!NeedsQuotes(value)) return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u > 0x7E) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::optional<std::string> UnquoteValue(std::string_view text) {
    if (text.empty() || text.front() != '"') return std::string(text);
    if (text.size() < 2 || text.back() != '"') return std::nullopt;
    const std::string_view inner = text.substr(1, text.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] != '\\') {
            if (inner[i] == '"') return std::nullopt;  // an inner quote is always escaped
            out += inner[i];
            continue;
        }
        if (++i >= inner.size()) return std::nullopt;
        if (inner[i] == '"' || inner[i] == '\\') {
            out += inner[i];
        } else if (inner[i] == 'x' && i + 2 < inner.size() && HexValue(inner[i + 1]) >= 0 &&
                   HexValue(inner[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(inner[i + 1]) * 16 + HexValue(inner[i + 2]));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

}  // namespace calvix::device
