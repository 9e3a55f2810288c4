// Device side of one connection: greeting, service text lines, module uploads, state queries,
// and the scan side's capability, scan and feed requests.
#include "ServiceSession.h"

#include "ServiceCommands.h"

#include <algorithm>
#include <cstdio>

namespace calvix::emulator {

namespace {

constexpr std::size_t kMaxLoggedBytes = 200;

std::string U32Pair(std::uint32_t first, std::uint32_t second) {
    std::string payload;
    wire::PutU32(payload, first);
    wire::PutU32(payload, second);
    return payload;
}

}  // namespace

std::string EscapeForLog(const std::string& bytes) {
    std::string out = "\"";
    for (std::size_t i = 0; i < bytes.size() && i < kMaxLoggedBytes; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '"' || c == '\\') { out += '\\'; out += static_cast<char>(c); }
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else out += static_cast<char>(c);
    }
    out += '"';
    if (bytes.size() > kMaxLoggedBytes) out += "...(" + std::to_string(bytes.size()) + " bytes)";
    return out;
}

ServiceSession::ServiceSession(int id, device::DeviceState& state, const Scenario& scenario, int dropOnRequest,
                               std::function<bool(std::string*)> persist, std::function<void(const std::string&)> log,
                               ScanSide* scanSide, std::function<std::size_t()> unsent)
    : id_(id), state_(state), scenario_(scenario), dropOnRequest_(dropOnRequest), persist_(std::move(persist)),
      log_(std::move(log)), scanSide_(scanSide), unsent_(std::move(unsent)) {}

std::uint64_t ServiceSession::OutputLimit() const {
    return kMaxPendingReplies + (role_ == Role::Scan ? ScanSide::MaxScanBytes() : 0);
}

void ServiceSession::Log(const std::string& text) {
    if (log_) log_("conn " + std::to_string(id_) + " " + text);
}

void ServiceSession::Receive(const unsigned char* data, std::size_t size, std::vector<Outgoing>* out) {
    std::size_t offset = 0;
    while (offset < size && !close_) {
        std::size_t used = 0;
        wire::Frame frame;
        const auto result = decoder_.Feed(data + offset, size - offset, &used, &frame);
        offset += used;
        if (result == wire::FrameDecoder::Result::Broken) {
            Log("broken frame stream, closing");
            close_ = true;
        } else if (result == wire::FrameDecoder::Result::FrameReady) {
            HandleFrame(frame, out);
        }
    }
}

void ServiceSession::HandleFrame(const wire::Frame& frame, std::vector<Outgoing>* out) {
    if (role_ == Role::Unknown) {
        Role role = Role::Unknown;
        if (frame.type == wire::FrameType::Hello) {
            if (frame.payload == wire::kRoleService) role = Role::Service;
            else if (scanSide_ && frame.payload == wire::kRoleScan) role = Role::Scan;
            else if (scanSide_ && frame.payload == wire::kRoleControl) role = Role::Control;
        }
        if (role == Role::Unknown) {
            Log("no greeting, closing");
            close_ = true;
            return;
        }
        if (role == Role::Scan && scenario_.offline) {
            Log("fault: device offline, scan connection refused");
            close_ = true;
            return;
        }
        role_ = role;
        Log("hello " + frame.payload);
        out->push_back({wire::EncodeFrame(wire::FrameType::Hello, state_.model.serial), 0});
        return;
    }
    const auto log = [this](const std::string& line) { Log(line); };
    switch (frame.type) {
    case wire::FrameType::Text:
        if (role_ == Role::Service) return HandleText(frame.payload, out);
        break;
    case wire::FrameType::Upload:
        if (role_ == Role::Service) return HandleUpload(frame.payload, out);
        break;
    case wire::FrameType::StateQuery: {
        Log("<- state query");
        std::string report = state_.Serialise();
        if (scanSide_) report += scanSide_->ReportText();
        out->push_back({wire::EncodeFrame(wire::FrameType::StateReport, report), 0});
        return;
    }
    case wire::FrameType::CapRequest:
        if (role_ == Role::Scan) {
            out->push_back({scanSide_->Capability(frame.payload, log), 0});
            return;
        }
        break;
    case wire::FrameType::ScanRequest:
        if (role_ == Role::Scan && frame.payload.empty()) return HandleScanRequest(out);
        break;
    case wire::FrameType::Feed:
        if (role_ == Role::Control) {
            out->push_back({wire::EncodeFrame(wire::FrameType::FeedResult, scanSide_->Control(frame.payload, log)), 0});
            return;
        }
        break;
    default:
        break;
    }
    Log("unexpected frame type, closing");
    close_ = true;
}

void ServiceSession::HandleScanRequest(std::vector<Outgoing>* out) {
    // One scan's images at a time: a client that asks again before reading the last answer
    // would make the device hold any number of them.
    std::size_t waiting = unsent_ ? unsent_() : 0;
    for (const Outgoing& item : *out) waiting += item.bytes.size();
    if (waiting > kMaxPendingReplies) {
        Log("scan request before the last images were read, closing");
        close_ = true;
        return;
    }
    std::vector<std::string> parts;
    scanSide_->Scan(&parts, [this](const std::string& line) { Log(line); });
    for (std::string& part : parts) out->push_back({std::move(part), 0});
}

void ServiceSession::HandleText(const std::string& text, std::vector<Outgoing>* out) {
    for (char c : text) {
        if (close_) return;
        if (c == '\n') {
            if (discardingLongLine_) {
                discardingLongLine_ = false;
                continue;
            }
            std::string line;
            line.swap(line_);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            HandleCommand(line, out);
            continue;
        }
        if (discardingLongLine_) continue;
        // The CR before the line end does not count towards the limit.
        if (line_.size() >= kMaxCommandLine + (c == '\r' ? 1 : 0)) {
            // The rest of this line is dropped; the client hears once that it was too long.
            Log("<- over-long line dropped");
            line_.clear();
            discardingLongLine_ = true;
            SendReplies({device::ReplyLine('E', 4, "line too long")}, out);
            continue;
        }
        line_.push_back(c);
    }
}

bool ServiceSession::CountRequest() {
    ++requests_;
    if (dropOnRequest_ > 0 && requests_ >= dropOnRequest_) {
        Log("fault: dropping connection at request " + std::to_string(requests_));
        close_ = true;
        dropFired_ = true;
        return false;
    }
    return true;
}

void ServiceSession::HandleCommand(const std::string& line, std::vector<Outgoing>* out) {
    if (line.empty()) return;
    Log("<- " + EscapeForLog(line + "\r\n"));
    if (!CountRequest()) return;
    const device::CommandOutcome outcome = device::ExecuteServiceCommand(state_, line, scenario_.commands);
    if (outcome.stateChanged && persist_) {
        std::string error;
        if (!persist_(&error)) Log("state not saved: " + error);
    }
    if (outcome.replies.empty()) Log("-> (no reply)");
    SendReplies(outcome.replies, out);
}

void ServiceSession::SendReplies(const std::vector<std::string>& lines, std::vector<Outgoing>* out) {
    std::string batch;
    for (std::string line : lines) {
        if (scenario_.truncateReplies > 0) {
            const std::size_t keep = static_cast<std::size_t>(scenario_.truncateReplies);
            const std::size_t content = line.size() - 2;  // every reply line ends in CR LF
            if (content > keep) line = line.substr(0, keep) + "\r\n";
        }
        Log("-> " + EscapeForLog(line));
        if (scenario_.batchReplies) {
            batch += line;
        } else {
            out->push_back({wire::EncodeFrame(wire::FrameType::Text, line), scenario_.replyDelayMs});
        }
    }
    if (!batch.empty()) out->push_back({wire::EncodeFrame(wire::FrameType::Text, batch), scenario_.replyDelayMs});
}

void ServiceSession::HandleUpload(const std::string& payload, std::vector<Outgoing>* out) {
    Log("<- upload of " + std::to_string(payload.size()) + " bytes");
    if (!CountRequest()) return;
    std::uint32_t result = wire::kUploadStored;
    std::uint32_t word = 0;
    if (payload.size() < 4) {
        result = wire::kUploadInvalid;
        word = static_cast<std::uint32_t>(device::LutCheck::WrongLength);
    } else if (scenario_.refuseUploadCode) {
        result = wire::kUploadRefused;
        word = *scenario_.refuseUploadCode;
    } else {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(payload.data());
        const std::uint32_t kind = wire::GetU32(bytes);
        const std::span<const std::uint8_t> module(bytes + 4, payload.size() - 4);
        const device::LutCheck check = device::CheckLutModule(kind, module);
        if (check != device::LutCheck::Ok) {
            result = wire::kUploadInvalid;
            word = static_cast<std::uint32_t>(check);
        } else {
            std::vector<std::uint8_t> previous(module.begin(), module.end());
            state_.lut.swap(previous);
            std::string error;
            if (persist_ && !persist_(&error)) {
                // Not on disk means not stored: the device keeps what it had.
                state_.lut.swap(previous);
                result = wire::kUploadNotSaved;
                word = 1;
                Log("state not saved: " + error);
            }
        }
    }
    char text[64];
    std::snprintf(text, sizeof text, "-> upload result %u, word %u", result, word);
    // An unanswered upload plays a device that goes down right after storing: the module is
    // kept and the connection ends without its result, so the library need not wait its time.
    if (std::find(scenario_.commands.unanswered.begin(), scenario_.commands.unanswered.end(), "upload") !=
        scenario_.commands.unanswered.end()) {
        Log(std::string("fault: upload unanswered, closing (") + (text + 3) + " withheld)");
        close_ = true;
        return;
    }
    Log(text);
    out->push_back({wire::EncodeFrame(wire::FrameType::UploadResult, U32Pair(result, word)), scenario_.replyDelayMs});
}

}  // namespace calvix::emulator
