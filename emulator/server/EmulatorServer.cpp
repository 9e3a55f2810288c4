// Single-threaded poll() loop: one thread needs no locks around the shared device state, and
// delayed replies are plain timers in that loop. Every buffer has a ceiling; a client that
// breaks one is disconnected, never waited for.
#include "EmulatorServer.h"

#include "ServiceSession.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace calvix::emulator {

namespace {

constexpr std::size_t kReadChunk = 4096;

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

struct EmulatorServer::Connection {
    struct Timed {
        std::int64_t dueMs;
        std::string bytes;
    };
    int fd = -1;
    int id = 0;
    std::int64_t openedMs = 0;
    std::int64_t lastActivityMs = 0;
    std::unique_ptr<ServiceSession> session;
    std::deque<Timed> timed;  // in order of due time, so replies never overtake each other
    std::size_t timedBytes = 0;
    // Due bytes in order; a scan's images stay whole strings and go out as the socket takes them.
    std::deque<std::string> output;
    std::size_t outputOffset = 0;  // bytes of output.front() already sent
    std::size_t outputBytes = 0;   // unsent bytes in output

    std::size_t Unsent() const { return timedBytes + outputBytes; }
};

bool ParseListenAddress(const std::string& text, ListenAddress* out, std::string* error) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        *error = "address must be host:port: " + text;
        return false;
    }
    std::string host = text.substr(0, colon);
    if (host == "localhost") host = "127.0.0.1";
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) != 1 || (ntohl(address.s_addr) >> 24) != 127) {
        *error = "only IPv4 loopback addresses (127.x.x.x) may be listened on: " + host;
        return false;
    }
    const std::string portText = text.substr(colon + 1);
    char* end = nullptr;
    errno = 0;
    const long port = std::strtol(portText.c_str(), &end, 10);
    if (portText.empty() || *end != '\0' || errno != 0 || port < 0 || port > 65535) {
        *error = "bad port: " + portText;
        return false;
    }
    out->host = host;
    out->port = static_cast<std::uint16_t>(port);
    return true;
}

EmulatorServer::EmulatorServer(device::DeviceState& state, const Scenario& scenario, std::string statePath,
                               std::FILE* log)
    : state_(state), scenario_(scenario), statePath_(std::move(statePath)), log_(log), scanSide_(state, scenario) {}

EmulatorServer::~EmulatorServer() {
    while (!connections_.empty()) Close(connections_.size() - 1);
    if (listenFd_ >= 0) ::close(listenFd_);
}

void EmulatorServer::Log(const std::string& text) {
    if (!log_) return;
    std::fprintf(log_, "q71-emulator: %s\n", text.c_str());
    std::fflush(log_);
}

bool EmulatorServer::Persist(std::string* error) {
    if (statePath_.empty()) return true;
    return state_.Save(statePath_, error);
}

bool EmulatorServer::Listen(const ListenAddress& address, std::string* error) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        *error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int yes = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(address.port);
    inet_pton(AF_INET, address.host.c_str(), &addr.sin_addr);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listenFd_, 8) != 0) {
        *error = "cannot listen on " + address.host + ":" + std::to_string(address.port) + ": " + std::strerror(errno);
        return false;
    }
    socklen_t length = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &length);
    port_ = ntohs(addr.sin_port);
    char bound[INET_ADDRSTRLEN] = {};
    host_ = inet_ntop(AF_INET, &addr.sin_addr, bound, sizeof bound) ? bound : address.host;
    return true;
}

void EmulatorServer::Accept() {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    const int id = nextId_++;
    if (scenario_.refuseConnections) {
        Log("conn " + std::to_string(id) + " fault: connection refused");
        ::close(fd);
        return;
    }
    if (connections_.size() >= kMaxConnections) {
        Log("conn " + std::to_string(id) + " too many connections, closed");
        ::close(fd);
        return;
    }
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    auto connection = std::make_unique<Connection>();
    connection->fd = fd;
    connection->id = id;
    connection->openedMs = connection->lastActivityMs = NowMs();
    Connection* self = connection.get();
    connection->session = std::make_unique<ServiceSession>(
        id, state_, scenario_, dropFired_ ? 0 : scenario_.dropAfterRequests,
        [this](std::string* error) { return Persist(error); }, [this](const std::string& line) { Log(line); },
        &scanSide_, [self] { return self->Unsent(); });
    Log("conn " + std::to_string(id) + " opened");
    connections_.push_back(std::move(connection));
}

bool EmulatorServer::ReadFrom(Connection& connection) {
    unsigned char buffer[kReadChunk];
    const ssize_t n = ::recv(connection.fd, buffer, sizeof buffer, 0);
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    if (n == 0) return false;
    std::vector<Outgoing> out;
    connection.session->Receive(buffer, static_cast<std::size_t>(n), &out);
    const std::int64_t now = NowMs();
    connection.lastActivityMs = now;
    for (Outgoing& item : out) {
        std::int64_t due = now + item.delayMs;
        if (!connection.timed.empty()) due = std::max(due, connection.timed.back().dueMs);
        connection.timedBytes += item.bytes.size();
        connection.timed.push_back({due, std::move(item.bytes)});
    }
    if (connection.session->DropFired()) dropFired_ = true;
    if (connection.Unsent() > connection.session->OutputLimit()) {
        Log("conn " + std::to_string(connection.id) + " not reading its replies, closing");
        return false;
    }
    return !connection.session->WantsClose();
}

bool EmulatorServer::WriteTo(Connection& connection) {
    while (!connection.output.empty()) {
        const std::string& front = connection.output.front();
        const ssize_t n = ::send(connection.fd, front.data() + connection.outputOffset,
                                 front.size() - connection.outputOffset, MSG_NOSIGNAL);
        if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        connection.lastActivityMs = NowMs();
        connection.outputOffset += static_cast<std::size_t>(n);
        connection.outputBytes -= static_cast<std::size_t>(n);
        if (connection.outputOffset == front.size()) {
            connection.output.pop_front();
            connection.outputOffset = 0;
        }
    }
    return true;
}

void EmulatorServer::Close(std::size_t index, const char* why) {
    Log("conn " + std::to_string(connections_[index]->id) + " closed" + (why ? std::string(": ") + why : ""));
    ::close(connections_[index]->fd);
    connections_.erase(connections_.begin() + static_cast<std::ptrdiff_t>(index));
}

int EmulatorServer::ExpireConnections(std::int64_t now) {
    std::int64_t next = -1;
    for (std::size_t i = connections_.size(); i-- > 0;) {
        const Connection& connection = *connections_[i];
        if (!connection.session) continue;
        const bool greeted = connection.session->Greeted();
        const std::int64_t deadline = greeted ? connection.lastActivityMs + std::int64_t{scenario_.idleTimeoutS} * 1000
                                              : connection.openedMs + scenario_.helloTimeoutMs;
        if (now >= deadline) {
            Close(i, greeted ? "idle too long" : "no greeting in time");
            continue;
        }
        next = next < 0 ? deadline - now : std::min(next, deadline - now);
    }
    return static_cast<int>(std::min<std::int64_t>(next, 24 * 3600 * 1000));
}

void EmulatorServer::Run(int stopFd) {
    Log("listening on " + host_ + ":" + std::to_string(port_));
    std::vector<pollfd> fds;
    for (;;) {
        const std::int64_t now = NowMs();
        int timeout = ExpireConnections(now);
        for (auto& connection : connections_) {
            while (!connection->timed.empty() && connection->timed.front().dueMs <= now) {
                std::string& bytes = connection->timed.front().bytes;
                connection->timedBytes -= bytes.size();
                connection->outputBytes += bytes.size();
                if (!bytes.empty()) connection->output.push_back(std::move(bytes));
                connection->timed.pop_front();
            }
            if (!connection->timed.empty()) {
                const auto wait = static_cast<int>(connection->timed.front().dueMs - now);
                timeout = timeout < 0 ? wait : std::min(timeout, wait);
            }
            if (!WriteTo(*connection)) connection->session.reset();  // marks it for closing below
        }
        for (std::size_t i = connections_.size(); i-- > 0;)
            if (!connections_[i]->session) Close(i);

        fds.clear();
        fds.push_back({stopFd, POLLIN, 0});
        fds.push_back({listenFd_, POLLIN, 0});
        for (auto& connection : connections_) {
            short events = POLLIN;
            if (!connection->output.empty()) events |= POLLOUT;
            fds.push_back({connection->fd, events, 0});
        }
        const int ready = ::poll(fds.data(), fds.size(), timeout);
        if (ready < 0 && errno != EINTR) {
            Log(std::string("poll failed: ") + std::strerror(errno));
            return;
        }
        if (ready <= 0) continue;
        if (fds[0].revents) {
            Log("stopping");
            return;
        }
        // Connections at the end of fds are the ones that existed before this poll; newly
        // accepted ones are appended after them and wait for the next round.
        const std::size_t polled = fds.size() - 2;
        for (std::size_t i = polled; i-- > 0;) {
            const short revents = fds[i + 2].revents;
            Connection& connection = *connections_[i];
            bool keep = true;
            if (revents & (POLLIN | POLLHUP | POLLERR)) keep = ReadFrom(connection);
            if (keep && (revents & POLLOUT)) keep = WriteTo(connection);
            if (!keep) Close(i);
        }
        if (fds[1].revents & POLLIN) Accept();
    }
}

}  // namespace calvix::emulator
