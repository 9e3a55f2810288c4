// A scanner's serial number as part of a file name.
#include "app/SerialNames.h"

namespace calvix {

namespace {

constexpr const char* UnknownSerial = "%unknown";

bool PlainSerialByte(char c, bool first) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           (c == '.' && !first);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string EscapeSerial(const std::string& serial) {
    if (serial.empty()) return UnknownSerial;
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string name;
    for (const char c : serial) {
        if (PlainSerialByte(c, name.empty())) {
            name += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            name += {'%', Hex[byte >> 4], Hex[byte & 15]};
        }
    }
    return name;
}

std::optional<std::string> UnescapeSerial(const std::string& name) {
    if (name == UnknownSerial) return std::string();
    std::string serial;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '%') {
            serial += name[i];
            continue;
        }
        if (i + 2 >= name.size() || HexValue(name[i + 1]) < 0 || HexValue(name[i + 2]) < 0) return std::nullopt;
        serial += static_cast<char>(HexValue(name[i + 1]) * 16 + HexValue(name[i + 2]));
        i += 2;
    }
    // Only the one spelling EscapeSerial gives stands for a serial.
    if (serial.empty() || EscapeSerial(serial) != name) return std::nullopt;
    return serial;
}

}  // namespace calvix
