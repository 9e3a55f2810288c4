// Socket handling of the Q71 source: greeting, request/answer, scan stream, cancellation.
#include "ScanLink.h"

#include "DeviceSocket.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>

namespace calvix::twain {

namespace {
constexpr std::size_t kReadChunk = 256 * 1024;
}

ScanLink::ScanLink() : wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), buffer_(kReadChunk) {}

ScanLink::~ScanLink() {
    Close();
    if (wake_ >= 0) ::close(wake_);
}

void ScanLink::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    decoder_ = wire::FrameDecoder();
    begin_ = end_ = 0;
}

void ScanLink::Cancel() {
    const std::uint64_t one = 1;
    const ssize_t written = ::write(wake_, &one, sizeof one);
    (void)written;  // an eventfd counter this small cannot overflow
}

void ScanLink::ClearCancel() {
    std::uint64_t count = 0;
    const ssize_t read = ::read(wake_, &count, sizeof count);
    (void)read;  // nothing to read simply means nothing was cancelled
}

TW_UINT16 ScanLink::Open() {
    Close();
    std::uint32_t reason = 0;
    fd_ = servicelib::ConnectDevice(kConnectTimeoutMs, &reason);
    if (fd_ < 0) return reason == EINVAL ? TWCC_OPERATIONERROR : TWCC_CHECKDEVICEONLINE;
    if (!servicelib::SendAllBytes(fd_, wire::EncodeFrame(wire::FrameType::Hello, wire::kRoleScan))) {
        Close();
        return TWCC_CHECKDEVICEONLINE;
    }
    // A device that is offline closes the connection instead of greeting back.
    wire::Frame answer;
    bool gotBytes = false;
    const Outcome outcome = ReadFrame(&answer, kConnectTimeoutMs, &gotBytes);
    if (outcome == Outcome::Ok && answer.type == wire::FrameType::Hello) return TWCC_SUCCESS;
    Close();
    return outcome == Outcome::Lost ? TWCC_CHECKDEVICEONLINE : TWCC_OPERATIONERROR;
}

bool ScanLink::LooksDropped() {
    // Between requests nothing may be waiting: bytes left over or a readable socket mean the
    // device has closed the connection (or the stream is out of step, which is as bad).
    if (begin_ < end_) return true;
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) != 0;
}

ScanLink::Outcome ScanLink::Exchange(const std::string& request, wire::Frame* answer, int timeoutMs) {
    bool reconnected = false;
    for (;;) {
        if (fd_ < 0 || LooksDropped()) {
            if (reconnected) return Outcome::Lost;
            reconnected = true;
            if (Open() != TWCC_SUCCESS) return Outcome::Lost;
        }
        bool gotBytes = false;
        Outcome outcome = Outcome::Lost;
        if (servicelib::SendAllBytes(fd_, request)) outcome = ReadFrame(answer, timeoutMs, &gotBytes);
        if (outcome == Outcome::Ok) return outcome;
        Close();
        // Only a connection that ended without a word of answer is worth one more try: the
        // device dropped it while idle and never saw the request.
        if (outcome != Outcome::Lost || gotBytes || reconnected) return outcome;
    }
}

ScanLink::Outcome ScanLink::ReadFrame(wire::Frame* frame, int timeoutMs, bool* gotBytes) {
    for (;;) {
        if (begin_ < end_) {
            std::size_t used = 0;
            const auto result = decoder_.Feed(buffer_.data() + begin_, end_ - begin_, &used, frame);
            begin_ += used;
            if (used > 0) *gotBytes = true;
            if (result == wire::FrameDecoder::Result::FrameReady) return Outcome::Ok;
            if (result == wire::FrameDecoder::Result::Broken) return Outcome::Malformed;
        }
        begin_ = end_ = 0;
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return Outcome::Lost;
        if (fds[1].revents & POLLIN) return Outcome::Cancelled;
        const ssize_t n = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
        if (n <= 0) return Outcome::Lost;
        end_ = static_cast<std::size_t>(n);
    }
}

ScanLink::Outcome ScanLink::Capability(const wire::CapRequest& request, wire::CapReply* reply) {
    wire::Frame answer;
    const Outcome outcome = Exchange(wire::EncodeCapRequest(request), &answer, kReplyTimeoutMs);
    if (outcome != Outcome::Ok) return outcome;
    const auto decoded = answer.type == wire::FrameType::CapReply ? wire::DecodeCapReply(answer.payload) : std::nullopt;
    if (!decoded) {
        Close();
        return Outcome::Malformed;
    }
    *reply = *decoded;
    return Outcome::Ok;
}

ScanLink::Outcome ScanLink::Scan(ScanReceiver& receiver) {
    wire::Frame frame;
    Outcome outcome = Exchange(wire::EncodeFrame(wire::FrameType::ScanRequest, {}), &frame, kScanIdleTimeoutMs);
    while (outcome == Outcome::Ok) {
        const ScanReceiver::Progress progress = receiver.OnFrame(frame);
        if (progress == ScanReceiver::Progress::Complete) return Outcome::Ok;
        if (progress == ScanReceiver::Progress::Broken) {
            outcome = Outcome::Malformed;
            break;
        }
        bool gotBytes = false;
        outcome = ReadFrame(&frame, kScanIdleTimeoutMs, &gotBytes);
    }
    // A scan that did not finish leaves the stream somewhere in the middle of an image.
    Close();
    return outcome;
}

}  // namespace calvix::twain
