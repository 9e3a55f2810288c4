// The scripted scan-connection device for the Q71 source's tests.
#include "FakeScanDevice.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <stdexcept>

namespace calvix::test {

namespace {

void SendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

}  // namespace

FakeScanDevice::FakeScanDevice() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(wake_, O_CLOEXEC) != 0) {
        throw std::runtime_error("fake device: no listener");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread(&FakeScanDevice::Run, this);
}

FakeScanDevice::~FakeScanDevice() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    const char byte = 's';
    (void)!::write(wake_[1], &byte, 1);
    thread_.join();
    ::close(listener_);
    ::close(wake_[0]);
    ::close(wake_[1]);
}

void FakeScanDevice::SetCap(std::uint16_t cap, std::uint16_t itemType, const std::string& item) {
    std::lock_guard lock(mutex_);
    values_[cap] = Value{itemType, item, item};
}

void FakeScanDevice::AnswerSet(std::uint16_t cap, std::uint16_t rc, std::uint16_t cc) {
    std::lock_guard lock(mutex_);
    setAnswers_[cap] = {rc, cc};
}

void FakeScanDevice::AnswerRaw(std::uint16_t cap, const std::string& bytes, bool closeAfter) {
    std::lock_guard lock(mutex_);
    rawAnswers_[cap] = {bytes, closeAfter};
}

void FakeScanDevice::SetGreetingAnswer(const std::string& bytes) {
    std::lock_guard lock(mutex_);
    greeting_ = bytes;
}

void FakeScanDevice::SetScanAnswer(const std::string& bytes, bool closeAfterScan) {
    std::lock_guard lock(mutex_);
    scanAnswer_ = bytes;
    closeAfterScan_ = closeAfterScan;
}

void FakeScanDevice::SetOffline(bool offline) {
    std::lock_guard lock(mutex_);
    offline_ = offline;
}

void FakeScanDevice::DropConnection() {
    std::unique_lock lock(mutex_);
    dropRequested_ = true;
    const char byte = 'd';
    (void)!::write(wake_[1], &byte, 1);
    dropped_.wait(lock, [this] { return !dropRequested_; });
}

int FakeScanDevice::Greetings() const {
    std::lock_guard lock(mutex_);
    return greetings_;
}

std::vector<wire::CapRequest> FakeScanDevice::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int FakeScanDevice::ScanRequests() const {
    std::lock_guard lock(mutex_);
    return scans_;
}

bool FakeScanDevice::Await(int fd) {
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (!(fds[1].revents & POLLIN)) return true;
        char byte;
        (void)!::read(wake_[0], &byte, 1);
        std::lock_guard lock(mutex_);
        if (stop_) return false;
        if (dropRequested_) {
            const bool serving = fd != listener_;
            if (serving) ::shutdown(fd, SHUT_RDWR);
            dropRequested_ = false;
            dropped_.notify_all();
            if (serving) return false;
        }
    }
}

void FakeScanDevice::Run() {
    while (Await(listener_)) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        Serve(fd);
        ::close(fd);
        std::lock_guard lock(mutex_);
        if (stop_) return;
    }
}

void FakeScanDevice::Serve(int fd) {
    wire::FrameDecoder decoder;
    bool greeted = false;
    unsigned char buffer[65536];
    while (Await(fd)) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        std::size_t offset = 0;
        while (offset < static_cast<std::size_t>(n)) {
            std::size_t used = 0;
            wire::Frame frame;
            const auto result = decoder.Feed(buffer + offset, static_cast<std::size_t>(n) - offset, &used, &frame);
            offset += used;
            if (result == wire::FrameDecoder::Result::Broken) return;
            if (result == wire::FrameDecoder::Result::FrameReady && !Handle(fd, frame, &greeted)) return;
        }
    }
}

bool FakeScanDevice::Handle(int fd, const wire::Frame& frame, bool* greeted) {
    std::unique_lock lock(mutex_);
    if (!*greeted) {
        if (frame.type != wire::FrameType::Hello || frame.payload != wire::kRoleScan || offline_) return false;
        ++greetings_;
        *greeted = true;
        const std::string greeting = greeting_;
        lock.unlock();
        SendAll(fd, greeting);
        return true;
    }
    if (frame.type == wire::FrameType::ScanRequest) {
        ++scans_;
        const std::string answer = scanAnswer_;
        const bool close = closeAfterScan_;
        lock.unlock();
        SendAll(fd, answer);
        return !close;
    }
    if (frame.type != wire::FrameType::CapRequest) return false;
    const auto request = wire::DecodeCapRequest(frame.payload);
    if (!request) return false;
    requests_.push_back(*request);
    std::string answer;
    bool close = false;
    if (const auto raw = rawAnswers_.find(request->cap); raw != rawAnswers_.end()) {
        answer = raw->second.first;
        close = raw->second.second;
    } else {
        wire::CapReply reply;
        auto value = values_.find(request->cap);
        const auto set = setAnswers_.find(request->cap);
        if (value == values_.end()) {
            reply = wire::CapReply{twain::TWRC_FAILURE, twain::TWCC_CAPUNSUPPORTED, request->itemType, {}};
        } else if (request->message == twain::MSG_SET && set != setAnswers_.end()) {
            reply = wire::CapReply{set->second.first, set->second.second, value->second.itemType, {}};
            if (reply.rc != twain::TWRC_FAILURE) reply.item = value->second.current;
        } else {
            if (request->message == twain::MSG_SET) {
                value->second.itemType = request->itemType;
                value->second.current = request->item;
            }
            if (request->message == twain::MSG_RESET) value->second.current = value->second.initial;
            const bool wantDefault = request->message == twain::MSG_GETDEFAULT;
            reply = wire::CapReply{twain::TWRC_SUCCESS, twain::TWCC_SUCCESS, value->second.itemType,
                                   wantDefault ? value->second.initial : value->second.current};
        }
        answer = wire::EncodeCapReply(reply);
    }
    lock.unlock();
    SendAll(fd, answer);
    return !close;
}

std::string FakeScanDevice::FaceFrames(const wire::ImageHeader& header, const std::string& bytes) {
    std::string frames = wire::EncodeImageHeader(header);
    for (std::size_t at = 0; at < bytes.size(); at += wire::kMaxImageChunk) {
        frames +=
            wire::EncodeFrame(wire::FrameType::ImageData, std::string_view(bytes).substr(at, wire::kMaxImageChunk));
    }
    return frames;
}

std::string FakeScanDevice::DoneFrame(std::uint16_t rc, std::uint16_t cc) {
    return wire::EncodeScanDone(wire::ScanDone{rc, cc});
}

std::string FakeScanDevice::TestPixels24(std::uint32_t width, std::uint32_t height, std::uint8_t marker) {
    const std::uint64_t stride = wire::DibStride(width, 24);
    std::string bytes(stride * height, '\0');
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint64_t row = (height - 1 - y) * stride;
        for (std::uint32_t x = 0; x < width; ++x) {
            bytes[row + 3 * x] = static_cast<char>(x);
            bytes[row + 3 * x + 1] = static_cast<char>(y);
            bytes[row + 3 * x + 2] = static_cast<char>(marker);
        }
    }
    return bytes;
}

}  // namespace calvix::test
