// TCP connection set-up and whole-frame writes for the clients of q71-emulator.
#include "DeviceSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace calvix::servicelib {

namespace {

bool ParseAddress(const std::string& text, sockaddr_in* out) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) return false;
    std::string host = text.substr(0, colon);
    if (host == "localhost") host = "127.0.0.1";
    const std::string port = text.substr(colon + 1);
    char* end = nullptr;
    const long number = std::strtol(port.c_str(), &end, 10);
    if (port.empty() || *end != '\0' || number <= 0 || number > 65535) return false;
    out->sin_family = AF_INET;
    out->sin_port = htons(static_cast<std::uint16_t>(number));
    return inet_pton(AF_INET, host.c_str(), &out->sin_addr) == 1;
}

}  // namespace

std::string DeviceAddress() {
    const char* address = std::getenv("Q71_ADDRESS");
    return address && *address ? address : "127.0.0.1:7171";
}

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int ConnectDevice(int timeoutMs, std::uint32_t* reason) {
    sockaddr_in address{};
    if (!ParseAddress(DeviceAddress(), &address)) {
        *reason = EINVAL;
        return -1;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *reason = static_cast<std::uint32_t>(errno);
        return -1;
    }
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS) {
            *reason = static_cast<std::uint32_t>(errno);
            ::close(fd);
            return -1;
        }
        pollfd p{fd, POLLOUT, 0};
        int error = 0;
        socklen_t length = sizeof error;
        if (::poll(&p, 1, timeoutMs) != 1 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
            error != 0) {
            *reason = static_cast<std::uint32_t>(error != 0 ? error : ETIMEDOUT);
            ::close(fd);
            return -1;
        }
    }
    *reason = 0;
    return fd;
}

bool SendAllBytes(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The frames are small; a full send buffer that does not drain within a second
            // means the device has stopped reading.
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 1000) == 1 && !(p.revents & (POLLERR | POLLHUP))) continue;
        }
        return false;
    }
    return true;
}

}  // namespace calvix::servicelib
