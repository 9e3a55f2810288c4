// Connection handling of the library stand-in: non-blocking socket, a greeting before the
// connection counts, frames sorted into pending text and upload answers.
#include "ServiceClient.h"

#include "DeviceSocket.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace calvix::servicelib {

std::string ServiceClient::DeviceAddress() { return servicelib::DeviceAddress(); }

std::uint32_t ServiceClient::Connect(int timeoutMs) {
    Disconnect();
    const std::int64_t deadline = NowMs() + timeoutMs;
    std::uint32_t reason = 0;
    fd_ = ConnectDevice(timeoutMs, &reason);
    if (fd_ < 0) return reason;
    // A device that accepts and says nothing, or closes at once, has refused the connection.
    if (!SendAll(wire::EncodeFrame(wire::FrameType::Hello, wire::kRoleService))) {
        Disconnect();
        return ECONNRESET;
    }
    while (!greeted_) {
        const std::int64_t left = deadline - NowMs();
        if (peerClosed_ || left <= 0) {
            const bool closed = peerClosed_;
            Disconnect();
            return closed ? ECONNREFUSED : ETIMEDOUT;
        }
        Pump(static_cast<int>(left));
    }
    return 0;
}

void ServiceClient::Disconnect() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    peerClosed_ = false;
    decoder_ = wire::FrameDecoder();
    pendingText_.clear();
    haveUploadResult_ = false;
    greeted_ = false;
}

bool ServiceClient::SendAll(const std::string& bytes) { return SendAllBytes(fd_, bytes); }

void ServiceClient::HandleFrame(wire::Frame& frame) {
    switch (frame.type) {
    case wire::FrameType::Hello:
        greeted_ = true;
        break;
    case wire::FrameType::Text:
        pendingText_ += frame.payload;
        break;
    case wire::FrameType::UploadResult:
        if (frame.payload.size() == 8) {
            const auto* bytes = reinterpret_cast<const unsigned char*>(frame.payload.data());
            uploadResult_ = wire::GetU32(bytes);
            uploadWord_ = wire::GetU32(bytes + 4);
            haveUploadResult_ = true;
        }
        break;
    default:
        break;  // nothing else is meant for a service client
    }
}

void ServiceClient::Pump(int waitMs) {
    if (fd_ < 0 || peerClosed_) return;
    unsigned char buffer[4096];
    // A bounded number of reads per call: a device that never stops sending cannot hold the
    // caller here.
    constexpr int kMaxReadsPerPump = 64;
    for (int reads = 0; reads < kMaxReadsPerPump; ++reads) {
        const bool first = reads == 0;
        if (pendingText_.size() >= kMaxPendingText) return;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, first ? waitMs : 0) <= 0) return;
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
        if (n <= 0) {
            peerClosed_ = true;
            return;
        }
        std::size_t offset = 0;
        while (offset < static_cast<std::size_t>(n)) {
            std::size_t used = 0;
            wire::Frame frame;
            const auto result = decoder_.Feed(buffer + offset, static_cast<std::size_t>(n) - offset, &used, &frame);
            offset += used;
            if (result == wire::FrameDecoder::Result::Broken) {
                peerClosed_ = true;  // a stream that cannot be read further is as good as closed
                return;
            }
            if (result == wire::FrameDecoder::Result::FrameReady) HandleFrame(frame);
        }
    }
}

std::uint32_t ServiceClient::Send(const char* text, std::size_t length) {
    if (fd_ < 0) return ENOTCONN;
    Pump(0);  // notices a connection the device has closed before writing into it
    if (peerClosed_) return ECONNRESET;
    return SendAll(wire::EncodeFrame(wire::FrameType::Text, std::string_view(text, length))) ? 0 : ECONNRESET;
}

bool ServiceClient::Receive(char* buffer, std::size_t capacity, std::size_t* delivered) {
    *delivered = 0;
    if (fd_ < 0) return false;
    Pump(0);
    if (pendingText_.empty()) return !peerClosed_;
    const std::size_t count = pendingText_.size() < capacity ? pendingText_.size() : capacity;
    std::memcpy(buffer, pendingText_.data(), count);
    pendingText_.erase(0, count);
    *delivered = count;
    return true;
}

std::uint32_t ServiceClient::Upload(std::uint32_t kind, const void* data, std::size_t length, std::uint32_t* word,
                                    int timeoutMs) {
    *word = 0;
    if (fd_ < 0) return wire::kUploadNotConnected;
    if (length > wire::kMaxFramePayload - 4) return wire::kUploadBadArguments;
    Pump(0);
    // Until the whole frame is out the device cannot have the module: that is not connected.
    // Lost from then on, the answer is missing and the module may be stored.
    if (peerClosed_) return wire::kUploadNotConnected;
    std::string payload;
    wire::PutU32(payload, kind);
    payload.append(static_cast<const char*>(data), length);
    haveUploadResult_ = false;
    if (!SendAll(wire::EncodeFrame(wire::FrameType::Upload, payload))) return wire::kUploadNotConnected;
    const std::int64_t deadline = NowMs() + timeoutMs;
    while (!haveUploadResult_) {
        const std::int64_t left = deadline - NowMs();
        if (peerClosed_ || left <= 0) return wire::kUploadConnectionLost;
        // Text that arrives meanwhile stays pending for ReadServiceData; when that store is
        // full, Pump stops reading and the answer cannot be reached, which ends in the time-out.
        Pump(static_cast<int>(left));
    }
    *word = uploadWord_;
    return uploadResult_;
}

}  // namespace calvix::servicelib
