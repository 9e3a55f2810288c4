// Blocking wire-format client with poll() time-outs.
#include "WireClient.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace calvix::emulator {

namespace {

// Large reads keep a whole-page image transfer to a few hundred system calls.
constexpr std::size_t kReadBuffer = 256 * 1024;

}  // namespace

WireClient::~WireClient() {
    if (fd_ >= 0) ::close(fd_);
}

bool WireClient::Connect(const std::string& address, std::string* error) {
    const std::size_t colon = address.rfind(':');
    std::string host = colon == std::string::npos ? address : address.substr(0, colon);
    if (host == "localhost") host = "127.0.0.1";
    const std::string port = colon == std::string::npos ? "" : address.substr(colon + 1);
    char* end = nullptr;
    const long number = std::strtol(port.c_str(), &end, 10);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    if (port.empty() || *end != '\0' || number <= 0 || number > 65535 ||
        inet_pton(AF_INET, host.c_str(), &target.sin_addr) != 1) {
        *error = "not a host:port address: " + address;
        return false;
    }
    target.sin_port = htons(static_cast<std::uint16_t>(number));
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
        *error = std::string("cannot connect to ") + address + ": " + std::strerror(errno);
        return false;
    }
    const int yes = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    buffer_.resize(kReadBuffer);
    return true;
}

bool WireClient::Greet(std::string_view role, int waitMs) {
    if (!Send(wire::FrameType::Hello, role)) return false;
    const std::optional<wire::Frame> hello = Next(waitMs);
    return hello && hello->type == wire::FrameType::Hello;
}

bool WireClient::Send(wire::FrameType type, std::string_view payload) {
    return SendRaw(wire::EncodeFrame(type, payload));
}

bool WireClient::SendRaw(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::optional<wire::Frame> WireClient::Next(int waitMs) {
    if (fd_ < 0) return std::nullopt;
    wire::Frame frame;
    for (;;) {
        if (start_ < end_) {
            std::size_t used = 0;
            const auto result = decoder_.Feed(buffer_.data() + start_, end_ - start_, &used, &frame);
            start_ += used;
            if (result == wire::FrameDecoder::Result::FrameReady) return frame;
            if (result == wire::FrameDecoder::Result::Broken) return std::nullopt;
        }
        start_ = end_ = 0;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, waitMs) != 1) return std::nullopt;
        const ssize_t n = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
        if (n <= 0) return std::nullopt;
        end_ = static_cast<std::size_t>(n);
    }
}

bool WireClient::ClosedByPeer(int waitMs) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, waitMs) != 1) return false;
    char byte;
    return ::recv(fd_, &byte, 1, 0) == 0;
}

}  // namespace calvix::emulator
