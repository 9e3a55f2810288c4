// The emulator's transport: a loopback TCP listener and its connections, served by one thread
// with poll(), each connection handing its bytes to a ServiceSession over the shared state.
#pragma once

#include "DeviceState.h"
#include "ScanSide.h"
#include "Scenario.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace calvix::emulator {

struct ListenAddress {
    std::string host = "127.0.0.1";
    std::uint16_t port = 7171;
};

// "host:port" with an IPv4 loopback host (or "localhost"); nothing else is accepted, so the
// emulator never listens beyond this machine.
bool ParseListenAddress(const std::string& text, ListenAddress* out, std::string* error);

class EmulatorServer {
public:
    EmulatorServer(device::DeviceState& state, const Scenario& scenario, std::string statePath, std::FILE* log);
    ~EmulatorServer();
    EmulatorServer(const EmulatorServer&) = delete;
    EmulatorServer& operator=(const EmulatorServer&) = delete;

    bool Listen(const ListenAddress& address, std::string* error);
    std::uint16_t Port() const { return port_; }
    // The address actually bound, as the system reports it.
    const std::string& Host() const { return host_; }

    // Serves until a byte arrives on stopFd (the signal handler's pipe).
    void Run(int stopFd);

    static constexpr std::size_t kMaxConnections = 16;

private:
    struct Connection;

    void Accept();
    bool ReadFrom(Connection& connection);
    bool WriteTo(Connection& connection);
    void Close(std::size_t index, const char* why = nullptr);
    // Closes connections past their greeting or idle time; returns ms to the next deadline.
    int ExpireConnections(std::int64_t now);
    void Log(const std::string& text);
    bool Persist(std::string* error);

    device::DeviceState& state_;
    const Scenario& scenario_;
    std::string statePath_;
    std::FILE* log_;
    ScanSide scanSide_;
    int listenFd_ = -1;
    std::string host_;
    std::uint16_t port_ = 0;
    int nextId_ = 1;
    bool dropFired_ = false;
    std::vector<std::unique_ptr<Connection>> connections_;
};

}  // namespace calvix::emulator
