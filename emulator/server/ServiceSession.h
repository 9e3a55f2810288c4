// One client connection's protocol on the device side, free of sockets: received bytes go in,
// frames to send (each with the delay a fault asks for) and log lines come out.
#pragma once

#include "DeviceState.h"
#include "Scenario.h"
#include "WireFormat.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace calvix::emulator {

struct Outgoing {
    std::string bytes;
    int delayMs = 0;
};

class ServiceSession {
public:
    // persist writes the device state after a change (false with a reason when it failed);
    // log receives one line per exchange. dropOnRequest > 0 ends this connection, unanswered,
    // when that many requests have arrived.
    ServiceSession(int id, device::DeviceState& state, const Scenario& scenario, int dropOnRequest,
                   std::function<bool(std::string*)> persist, std::function<void(const std::string&)> log);

    // Handles the bytes; appends what to send to out.
    void Receive(const unsigned char* data, std::size_t size, std::vector<Outgoing>* out);

    bool WantsClose() const { return close_; }
    // The drop fault ended this connection.
    bool DropFired() const { return dropFired_; }
    bool IsServiceRole() const { return role_ == Role::Service; }

    // Longest command line kept while waiting for its line end.
    static constexpr std::size_t kMaxCommandLine = 4096;

private:
    enum class Role { Unknown, Service, Scan };

    void HandleFrame(const wire::Frame& frame, std::vector<Outgoing>* out);
    void HandleText(const std::string& text, std::vector<Outgoing>* out);
    void HandleCommand(const std::string& line, std::vector<Outgoing>* out);
    void HandleUpload(const std::string& payload, std::vector<Outgoing>* out);
    bool CountRequest();
    void SendReplies(const std::vector<std::string>& lines, std::vector<Outgoing>* out);
    void Log(const std::string& text);

    int id_;
    device::DeviceState& state_;
    const Scenario& scenario_;
    int dropOnRequest_;
    int requests_ = 0;
    std::function<bool(std::string*)> persist_;
    std::function<void(const std::string&)> log_;
    wire::FrameDecoder decoder_;
    Role role_ = Role::Unknown;
    std::string line_;
    bool discardingLongLine_ = false;
    bool close_ = false;
    bool dropFired_ = false;
};

// Printable form of bytes for the log: CR, LF, quotes and other bytes escaped, cut when long.
std::string EscapeForLog(const std::string& bytes);

}  // namespace calvix::emulator
