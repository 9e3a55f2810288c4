// Scenario file reading: bounded, line by line, every value range-checked.
#include "Scenario.h"

#include <charconv>
#include <fstream>

namespace calvix::emulator {

namespace {

constexpr std::size_t kMaxScenarioBytes = 64 * 1024;
constexpr int kMaxDelayMs = 60000;

bool ParseInt(std::string_view text, long long low, long long high, long long* out) {
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) return false;
    *out = value;
    return true;
}

bool ParseBool(std::string_view text, bool* out) {
    if (text == "1" || text == "true" || text == "yes") *out = true;
    else if (text == "0" || text == "false" || text == "no") *out = false;
    else return false;
    return true;
}

bool ApplyKey(std::string_view key, std::string_view value, Scenario* s) {
    long long number = 0;
    bool flag = false;
    if (key == "serial") {
        if (value.empty() || value.size() > 64) return false;
        s->serial = std::string(value);
    } else if (key == "duplex") {
        if (!ParseBool(value, &flag)) return false;
        s->duplex = flag;
    } else if (key == "led") {
        if (!ParseBool(value, &flag)) return false;
        s->led = flag;
    } else if (key == "params") {
        if (value.size() > 900) return false;
        s->params = std::string(value);
    } else if (key == "refuse_connections") {
        if (!ParseBool(value, &s->refuseConnections)) return false;
    } else if (key == "reply_delay_ms") {
        if (!ParseInt(value, 0, kMaxDelayMs, &number)) return false;
        s->replyDelayMs = static_cast<int>(number);
    } else if (key == "truncate_replies") {
        if (!ParseInt(value, 0, 1000, &number)) return false;
        s->truncateReplies = static_cast<int>(number);
    } else if (key == "batch_replies") {
        if (!ParseBool(value, &s->batchReplies)) return false;
    } else if (key == "refuse_command") {
        if (value.empty()) return false;
        s->commands.refused.emplace_back(value);
    } else if (key == "no_reply") {
        if (value.empty()) return false;
        s->commands.unanswered.emplace_back(value);
    } else if (key == "refuse_upload") {
        if (!ParseInt(value, 0, 0xFFFFFFFFLL, &number)) return false;
        s->refuseUploadCode = static_cast<std::uint32_t>(number);
    } else if (key == "drop_after") {
        if (!ParseInt(value, 0, 1000000, &number)) return false;
        s->dropAfterRequests = static_cast<int>(number);
    } else {
        return false;
    }
    return true;
}

}  // namespace

void Scenario::ApplyModel(device::DeviceState& state) const {
    if (serial) state.model.serial = *serial;
    if (duplex) state.model.duplex = *duplex;
    if (led) state.model.led = *led;
    if (params) state.model.paramsText = *params;
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
        if (eq == std::string_view::npos || !ApplyKey(line.substr(0, eq), line.substr(eq + 1), scenario)) {
            if (error) *error = "scenario line " + std::to_string(lineNumber) + ": " + std::string(line.substr(0, 80));
            return false;
        }
    }
    return true;
}

bool LoadScenarioFile(const std::string& path, Scenario* scenario, std::string* error) {
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
