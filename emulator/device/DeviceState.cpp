// The emulated Q71's lasting state: module checks, the parameter reply, the state file.
#include "DeviceState.h"

#include "ValueText.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace calvix::device {

namespace {

constexpr std::size_t kMaxStateFileBytes = 64 * 1024;
constexpr std::size_t kMaxSerialLength = 64;

unsigned ReadU16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<unsigned>(bytes[at]) | (static_cast<unsigned>(bytes[at + 1]) << 8);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseFlag(std::string_view value, bool* out) {
    if (value == "1") *out = true;
    else if (value == "0") *out = false;
    else return false;
    return true;
}

bool ParseHexLut(std::string_view hex, std::vector<std::uint8_t>* out) {
    if (hex.empty()) {
        out->clear();
        return true;
    }
    if (hex.size() != 2 * kLutModuleLength) return false;
    std::vector<std::uint8_t> bytes(kLutModuleLength);
    for (std::size_t i = 0; i < kLutModuleLength; ++i) {
        const int high = HexDigit(hex[2 * i]);
        const int low = HexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    out->swap(bytes);
    return true;
}

bool ParseSerial(std::string_view text, std::string* out) {
    const std::optional<std::string> value = UnquoteValue(text);
    if (!value || value->empty() || value->size() > kMaxSerialLength) return false;
    *out = *value;
    return true;
}

}  // namespace

LutCheck CheckLutModule(std::uint32_t kind, std::span<const std::uint8_t> module) {
    if (kind != kLutModuleKind) return LutCheck::WrongKind;
    if (module.size() != kLutModuleLength) return LutCheck::WrongLength;
    if (module[0] != 1) return LutCheck::BadLeadByte;
    if (ReadU16(module, 1) != kLutModuleLength) return LutCheck::BadLengthField;
    if (ReadU16(module, 3) != 1024) return LutCheck::BadEntriesField;
    if (module[5] != 1) return LutCheck::BadFormatByte;
    if (module[6] != 1 && module[6] != 2) return LutCheck::BadSides;
    return LutCheck::Ok;
}

std::string DeviceState::ParamsText() const {
    if (!model.paramsText.empty()) return model.paramsText;
    char text[256];
    std::snprintf(text, sizeof text,
                  "Q71:SN=\"%s\",SF=%u,DX=%d,LAMPS=%d,BYPASS_F=%d,BYPASS_R=%d,MODE_CHANGES=%u,FW=\"2.31\"",
                  model.serial.c_str(), SfValue(), model.duplex ? 1 : 0, lamps ? 1 : 0, lutBypass[0] ? 1 : 0,
                  lutBypass[1] ? 1 : 0, modeChanges);
    return text;
}

std::string DeviceState::Serialise() const {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(lut.size() * 2);
    for (std::uint8_t b : lut) {
        hex.push_back(kDigits[b >> 4]);
        hex.push_back(kDigits[b & 15]);
    }
    std::ostringstream out;
    out << "# q71-emulator device state\n"
        << "serial=" << QuoteValue(model.serial) << '\n'
        << "duplex=" << (model.duplex ? 1 : 0) << '\n'
        << "led=" << (model.led ? 1 : 0) << '\n'
        << "lamps=" << (lamps ? 1 : 0) << '\n'
        << "lut_bypass_front=" << (lutBypass[0] ? 1 : 0) << '\n'
        << "lut_bypass_rear=" << (lutBypass[1] ? 1 : 0) << '\n'
        << "mode_changes=" << modeChanges << '\n'
        << "lut=" << hex << '\n';
    for (const auto& [key, value] : otherKeys) out << key << '=' << value << '\n';
    return out.str();
}

bool DeviceState::Parse(std::string_view text, std::string* error) {
    bool allGood = true;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        // Every trailing CR goes, so a value never ends in one and what is written reads back.
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        const std::size_t eq = line.find('=');
        bool ok = eq != std::string_view::npos && eq > 0;
        const std::string_view key = ok ? line.substr(0, eq) : std::string_view();
        const std::string_view value = ok ? line.substr(eq + 1) : std::string_view();
        if (!ok) {
        } else if (key == "serial") {
            ok = ParseSerial(value, &model.serial);
        } else if (key == "duplex") {
            ok = ParseFlag(value, &model.duplex);
        } else if (key == "led") {
            ok = ParseFlag(value, &model.led);
        } else if (key == "lamps") {
            ok = ParseFlag(value, &lamps);
        } else if (key == "lut_bypass_front") {
            ok = ParseFlag(value, &lutBypass[0]);
        } else if (key == "lut_bypass_rear") {
            ok = ParseFlag(value, &lutBypass[1]);
        } else if (key == "mode_changes") {
            const auto [last, ec] = std::from_chars(value.data(), value.data() + value.size(), modeChanges);
            ok = !value.empty() && ec == std::errc() && last == value.data() + value.size();
        } else if (key == "lut") {
            ok = ParseHexLut(value, &lut);
        } else {
            otherKeys.emplace_back(key, value);
        }
        if (!ok && allGood) {
            allGood = false;
            if (error) {
                *error = "line " + std::to_string(lineNumber) + ": bad value for " +
                         (key.empty() ? std::string("(no key)") : std::string(key.substr(0, 40)));
            }
        }
    }
    return allGood;
}

bool DeviceState::Load(const std::string& path, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = "state file " + path + ": " + why;
        return false;
    };
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return true;
        return fail(std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) return fail("not a regular file");
    if (static_cast<std::uint64_t>(info.st_size) > kMaxStateFileBytes) return fail("larger than 64 KB");
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail("cannot be opened");
    std::string text(kMaxStateFileBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) return fail("cannot be read");
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxStateFileBytes) return fail("larger than 64 KB");
    std::string where;
    if (!Parse(text, &where)) return fail(where);
    return true;
}

bool DeviceState::Save(const std::string& path, std::string* error) const {
    // The rename would put the state in place of a device or FIFO named as the state file.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (error) *error = "state file " + path + ": not a regular file";
        return false;
    }
    const std::string text = Serialise();
    // A temporary name of its own: a FIFO planted under a fixed one would hold the open, or take
    // the state and be renamed over the file in its place.
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd >= 0) ::fchmod(fd, 0644);
    auto fail = [&](const char* what) {
        if (error) *error = std::string(what) + " " + temp + ": " + std::strerror(errno);
        return false;
    };
    if (fd < 0) return fail("cannot create");
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int saved = errno;
            ::close(fd);
            ::unlink(temp.c_str());
            errno = saved;
            return fail("cannot write");
        }
        written += static_cast<std::size_t>(n);
    }
    // The data must be on disk before the rename makes it the state, or a crash could leave an
    // empty file under the real name.
    const bool synced = ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!synced || !closed) {
        ::unlink(temp.c_str());
        return fail("cannot flush");
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return fail("cannot rename");
    }
    return true;
}

}  // namespace calvix::device
