// Strict UTF-16LE and UTF-8 conversion for the user store file.
#include "platform/Utf16Text.h"

#include <cstdint>

namespace calvix {
namespace {

void AppendUtf8(std::uint32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUnit(std::uint32_t unit, std::string& out) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

}  // namespace

bool Utf16LeToUtf8(std::string_view bytes, std::string& out, std::string& error) {
    out.clear();
    if (bytes.size() % 2 != 0) {
        error = "UTF-16 text with an odd number of bytes";
        return false;
    }
    const std::size_t units = bytes.size() / 2;
    auto unitAt = [&bytes](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8;
    };
    out.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t cp = unitAt(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units && unitAt(i + 1) >= 0xDC00 && unitAt(i + 1) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            error = "UTF-16 text with an unpaired surrogate at byte " + std::to_string(2 * i + 2);
            return false;
        }
        AppendUtf8(cp, out);
    }
    return true;
}

bool Utf8ToUtf16Le(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size() * 2);
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t cp = 0, minimum = 0;
        if (lead < 0x80) {
            length = 1, cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, cp = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, cp = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, cp = lead & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (length > text.size() - i) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x10000) {
            AppendUnit(0xD800 + ((cp - 0x10000) >> 10), out);
            AppendUnit(0xDC00 + ((cp - 0x10000) & 0x3FF), out);
        } else {
            AppendUnit(cp, out);
        }
        i += length;
    }
    return true;
}

}  // namespace calvix
