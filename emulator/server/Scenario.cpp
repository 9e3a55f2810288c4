// Scenario file reading: bounded, line by line, every value range-checked.
#include "Scenario.h"

#include "ScanImaging.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace calvix::emulator {

namespace {

constexpr std::size_t kMaxScenarioBytes = 64 * 1024;
constexpr int kMaxDelayMs = 60000;

bool ParseInt(std::string_view text, long long low, long long high, long long* out) {
    long long value = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return false;
    *out = value;
    return true;
}

bool ParseBool(std::string_view text, bool* out) {
    if (text == "1" || text == "true" || text == "yes") *out = true;
    else if (text == "0" || text == "false" || text == "no") *out = false;
    else return false;
    return true;
}

bool ParseFaces(std::string_view text, unsigned* out) {
    if (text == "front") *out = kFaceFront;
    else if (text == "rear") *out = kFaceRear;
    else if (text == "both") *out = kFaceFront | kFaceRear;
    else if (text == "none") *out = 0;
    else return false;
    return true;
}

// "0x8136:10": capability, condition code.
bool ParseCapRefusal(std::string_view text, std::pair<std::uint16_t, std::uint16_t>* out) {
    const std::size_t colon = text.find(':');
    long long cap = 0;
    long long condition = 0;
    if (colon == std::string_view::npos || !ParseInt(text.substr(0, colon), 0, 0xFFFF, &cap) ||
        !ParseInt(text.substr(colon + 1), 0, 0xFFFF, &condition)) {
        return false;
    }
    *out = {static_cast<std::uint16_t>(cap), static_cast<std::uint16_t>(condition)};
    return true;
}

}  // namespace

bool ApplyScenarioSetting(std::string_view key, std::string_view value, Scenario* s, std::string* why) {
    long long number = 0;
    bool flag = false;
    bool ok = true;
    if (key == "serial") {
        ok = !value.empty() && value.size() <= 64;
        if (ok) s->serial = std::string(value);
    } else if (key == "duplex" || key == "led") {
        ok = ParseBool(value, &flag);
        if (ok) (key == "duplex" ? s->duplex : s->led) = flag;
    } else if (key == "params") {
        ok = value.size() <= 900;
        if (ok) s->params = std::string(value);
    } else if (key == "refuse_connections") {
        ok = ParseBool(value, &s->refuseConnections);
    } else if (key == "reply_delay_ms") {
        ok = ParseInt(value, 0, kMaxDelayMs, &number);
        if (ok) s->replyDelayMs = static_cast<int>(number);
    } else if (key == "truncate_replies") {
        ok = ParseInt(value, 0, 1000, &number);
        if (ok) s->truncateReplies = static_cast<int>(number);
    } else if (key == "batch_replies") {
        ok = ParseBool(value, &s->batchReplies);
    } else if (key == "refuse_command" || key == "no_reply") {
        ok = !value.empty();
        if (ok) (key == "refuse_command" ? s->commands.refused : s->commands.unanswered).emplace_back(value);
    } else if (key == "refuse_upload") {
        ok = ParseInt(value, 0, 0xFFFFFFFFLL, &number);
        if (ok) s->refuseUploadCode = static_cast<std::uint32_t>(number);
    } else if (key == "drop_after") {
        ok = ParseInt(value, 0, 1000000, &number);
        if (ok) s->dropAfterRequests = static_cast<int>(number);
    } else if (key == "feed") {
        device::Sheet sheet;
        if (!device::ParseSheet(value, &sheet, why)) return false;
        if (s->feeds.size() >= device::Feeder::kCapacity) {
            *why = "more sheets than the feeder holds";
            return false;
        }
        s->feeds.push_back(std::move(sheet));
    } else if (key == "front_response" || key == "rear_response") {
        ToneResponse tone;
        ok = device::ParseToneResponse(value, &tone);
        if (ok) s->response[key == "front_response" ? 0 : 1] = tone;
    } else if (key == "noise") {
        double sigma = 0.0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), sigma);
        ok = ec == std::errc() && end == value.data() + value.size() && std::isfinite(sigma) && sigma >= 0.0 &&
             sigma <= 100.0;
        if (ok) s->noiseSigma = sigma;
    } else if (key == "crosstalk" || key == "front_crosstalk" || key == "rear_crosstalk" || key == "blur" ||
               key == "falloff" || key == "misregister" || key == "scale" || key == "shot_noise") {
        // Only the crosstalk differs per side here: the two sides' filters differ, their optics alike.
        const std::string_view setting = key.ends_with("crosstalk") ? std::string_view("crosstalk") : key;
        for (std::size_t side = 0; side < 2; ++side) {
            if ((side == 0 && key == "rear_crosstalk") || (side == 1 && key == "front_crosstalk")) continue;
            if (!ParseOpticsSetting(setting, value, &s->optics[side], why)) return false;
        }
    } else if (key == "truth_dir") {
        struct stat info {};
        ok = !value.empty() && ::stat(std::string(value).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        if (!ok) {
            *why = "not a directory: " + std::string(value.substr(0, 200));
            return false;
        }
        s->truthDir = std::string(value);
    } else if (key == "seed") {
        ok = ParseInt(value, 0, 0xFFFFFFFFLL, &number);
        if (ok) s->seed = static_cast<std::uint32_t>(number);
    } else if (key == "offline") {
        ok = ParseBool(value, &s->offline);
    } else if (key == "transfer_fail" || key == "transfer_cancel") {
        ok = ParseFaces(value, key == "transfer_fail" ? &s->transferFail : &s->transferCancel);
    } else if (key == "bit_depth") {
        ok = value == "8" || value == "24" || value == "32";
        if (ok) s->bitCount = value == "8" ? 8 : value == "24" ? 24 : 32;
    } else if (key == "cap_refuse") {
        std::pair<std::uint16_t, std::uint16_t> refusal;
        ok = ParseCapRefusal(value, &refusal);
        if (ok) s->capFaults.refuse.push_back(refusal);
    } else if (key == "cap_checkstatus") {
        ok = ParseInt(value, 0, 0xFFFF, &number);
        if (ok) s->capFaults.checkStatus.push_back(static_cast<std::uint16_t>(number));
    } else if (key == "hello_timeout_ms") {
        ok = ParseInt(value, 1, 600000, &number);
        if (ok) s->helloTimeoutMs = static_cast<int>(number);
    } else if (key == "idle_timeout_s") {
        ok = ParseInt(value, 1, 7 * 24 * 3600, &number);
        if (ok) s->idleTimeoutS = static_cast<int>(number);
    } else {
        *why = "unknown key " + std::string(key.substr(0, 40));
        return false;
    }
    if (!ok) *why = "bad value for " + std::string(key);
    return ok;
}

void Scenario::ApplyModel(device::DeviceState& state) const {
    if (serial) state.model.serial = *serial;
    if (duplex) state.model.duplex = *duplex;
    if (led) state.model.led = *led;
    if (params) state.model.paramsText = *params;
}

ToneResponse Scenario::Response(device::Side side) const {
    const auto& given = response[static_cast<std::size_t>(side)];
    return given ? *given : device::DefaultResponse(side);
}

bool ParseScenario(std::string_view text, Scenario* scenario, std::string* error) {
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        const std::size_t eq = line.find('=');
        std::string why = "key=value expected";
        if (eq == std::string_view::npos || !ApplyScenarioSetting(line.substr(0, eq), line.substr(eq + 1), scenario, &why)) {
            if (error) {
                *error = "scenario line " + std::to_string(lineNumber) + ": " + std::string(line.substr(0, 80)) + " (" +
                         why + ")";
            }
            return false;
        }
    }
    return true;
}

bool LoadScenarioFile(const std::string& path, Scenario* scenario, std::string* error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (error) *error = "cannot open scenario file " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        if (error) *error = "scenario file is not a regular file: " + path;
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = "cannot open scenario file " + path;
        return false;
    }
    std::string text(kMaxScenarioBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxScenarioBytes) {
        if (error) *error = "scenario file too large: " + path;
        return false;
    }
    return ParseScenario(text, scenario, error);
}

}  // namespace calvix::emulator
