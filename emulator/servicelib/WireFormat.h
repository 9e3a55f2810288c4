// The framing between the service library stand-in (zedareru.zi) and q71-emulator on one TCP
// connection. Both ends include this header; nothing in the product sees it.
//
// Every message in either direction is one frame:
//   byte 0      frame type (one of FrameType below)
//   bytes 1-4   payload length, unsigned 32-bit little-endian, at most kMaxFramePayload
//   bytes 5..   payload
//
// A connection opens with the client's Hello (payload: its role, "service" or "scan"); the
// device answers Hello (payload: its serial number) or closes the connection to refuse it.
// Service text travels in Text frames exactly as written by either side (command lines and
// reply lines keep their CR LF; frame boundaries carry no meaning for the text).
// An upload is one Upload frame: module kind (u32 LE) followed by the module bytes; the device
// answers one UploadResult frame: result code (u32 LE), then the result word (u32 LE).
// A scan connection asks StateQuery (empty payload) and gets StateReport (the device state in
// the text form of its state file).
// The scan connection's capability, scan and image frames are laid out in ScanWire.h; a
// control connection (role "control") carries the operator's hand (Feed / FeedResult).
// A frame of unknown type or with an over-long length ends the connection: the stream cannot
// be resynchronised, so neither side tries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace calvix::wire {

enum class FrameType : std::uint8_t {
    Hello = 'H',
    Text = 'T',
    Upload = 'U',
    UploadResult = 'R',
    StateQuery = 'Q',
    StateReport = 'D',
    // Scan connection (ScanWire.h).
    CapRequest = 'G',
    CapReply = 'V',
    ScanRequest = 'A',
    ImageHeader = 'I',
    ImageData = 'P',
    ScanDone = 'Z',
    // Control connection: a sheet description in, a result line out.
    Feed = 'F',
    FeedResult = 'K',
};

inline constexpr std::size_t kHeaderSize = 5;
// Large enough for any module upload (the calibration record is 6227 bytes) with ample room.
inline constexpr std::uint32_t kMaxFramePayload = 65536;

inline constexpr std::string_view kRoleService = "service";
inline constexpr std::string_view kRoleScan = "scan";
inline constexpr std::string_view kRoleControl = "control";

// Upload result codes the device gives (the result word then carries the detail).
inline constexpr std::uint32_t kUploadStored = 0;
inline constexpr std::uint32_t kUploadRefused = 1;   // result word: the device's refusal code
inline constexpr std::uint32_t kUploadInvalid = 2;   // result word: which check failed
inline constexpr std::uint32_t kUploadNotSaved = 3;  // the state file could not be written
// Result codes the library itself gives when no device answer could be had.
inline constexpr std::uint32_t kUploadNotConnected = 0x10;    // the module did not leave whole
inline constexpr std::uint32_t kUploadConnectionLost = 0x11;  // sent, unanswered: it may be stored
inline constexpr std::uint32_t kUploadBadArguments = 0x12;

inline bool IsKnownType(std::uint8_t type) {
    switch (static_cast<FrameType>(type)) {
    case FrameType::Hello:
    case FrameType::Text:
    case FrameType::Upload:
    case FrameType::UploadResult:
    case FrameType::StateQuery:
    case FrameType::StateReport:
    case FrameType::CapRequest:
    case FrameType::CapReply:
    case FrameType::ScanRequest:
    case FrameType::ImageHeader:
    case FrameType::ImageData:
    case FrameType::ScanDone:
    case FrameType::Feed:
    case FrameType::FeedResult:
        return true;
    }
    return false;
}

inline void PutU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline std::uint32_t GetU32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

inline std::string EncodeFrame(FrameType type, std::string_view payload) {
    std::string frame;
    frame.reserve(kHeaderSize + payload.size());
    frame.push_back(static_cast<char>(type));
    PutU32(frame, static_cast<std::uint32_t>(payload.size()));
    frame.append(payload);
    return frame;
}

struct Frame {
    FrameType type = FrameType::Text;
    std::string payload;
};

// Incremental decoder: bytes go in as they arrive, whole frames come out. It holds at most one
// header and one payload, so its memory is bounded by kMaxFramePayload.
class FrameDecoder {
public:
    enum class Result { NeedMore, FrameReady, Broken };

    // Consumes bytes from data (advancing *used) until one frame is complete, the input is
    // exhausted, or the stream is found broken (then it stays broken).
    Result Feed(const unsigned char* data, std::size_t size, std::size_t* used, Frame* out) {
        *used = 0;
        if (broken_) return Result::Broken;
        while (*used < size) {
            if (header_.size() < kHeaderSize) {
                header_.push_back(data[(*used)++]);
                if (header_.size() == 1 && !IsKnownType(header_[0])) return Break();
                if (header_.size() == kHeaderSize) {
                    length_ = GetU32(header_.data() + 1);
                    if (length_ > kMaxFramePayload) return Break();
                    payload_.clear();
                    if (length_ == 0) return Emit(out);
                }
                continue;
            }
            const std::size_t want = length_ - payload_.size();
            const std::size_t take = want < size - *used ? want : size - *used;
            payload_.append(reinterpret_cast<const char*>(data + *used), take);
            *used += take;
            if (payload_.size() == length_) return Emit(out);
        }
        return Result::NeedMore;
    }

    bool Broken() const { return broken_; }

private:
    Result Break() {
        broken_ = true;
        return Result::Broken;
    }
    Result Emit(Frame* out) {
        out->type = static_cast<FrameType>(header_[0]);
        out->payload.swap(payload_);
        payload_.clear();
        header_.clear();
        return Result::FrameReady;
    }

    std::vector<unsigned char> header_;
    std::string payload_;
    std::uint32_t length_ = 0;
    bool broken_ = false;
};

}  // namespace calvix::wire
