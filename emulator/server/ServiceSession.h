// One client connection's protocol on the device side, free of sockets: received bytes go in,
// frames to send (each with the delay a fault asks for) and log lines come out. The greeting
// sets the role: "service" (text commands, uploads), "scan" (capabilities, scans) or
// "control" (the operator's sheets); every role may ask for the state report.
#pragma once

#include "DeviceState.h"
#include "ScanSide.h"
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
    // when that many requests have arrived. Without a scan side the scan and control roles
    // are refused; unsent tells how many bytes of this connection still wait to be sent.
    ServiceSession(int id, device::DeviceState& state, const Scenario& scenario, int dropOnRequest,
                   std::function<bool(std::string*)> persist, std::function<void(const std::string&)> log,
                   ScanSide* scanSide = nullptr, std::function<std::size_t()> unsent = {});

    // Handles the bytes; appends what to send to out.
    void Receive(const unsigned char* data, std::size_t size, std::vector<Outgoing>* out);

    bool WantsClose() const { return close_; }
    // The drop fault ended this connection.
    bool DropFired() const { return dropFired_; }
    bool Greeted() const { return role_ != Role::Unknown; }
    // Most bytes this connection may leave unread before the device gives up on it: a scan
    // connection has room for one scan's images, the others for replies only.
    std::uint64_t OutputLimit() const;

    // Longest command line kept while waiting for its line end, its CR not counted.
    static constexpr std::size_t kMaxCommandLine = 4096;
    // A client that lets this much pile up unread (beyond a scan's images) is not reading.
    static constexpr std::size_t kMaxPendingReplies = 1024 * 1024;

private:
    enum class Role { Unknown, Service, Scan, Control };

    void HandleFrame(const wire::Frame& frame, std::vector<Outgoing>* out);
    void HandleText(const std::string& text, std::vector<Outgoing>* out);
    void HandleCommand(const std::string& line, std::vector<Outgoing>* out);
    void HandleUpload(const std::string& payload, std::vector<Outgoing>* out);
    void HandleScanRequest(std::vector<Outgoing>* out);
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
    ScanSide* scanSide_;
    std::function<std::size_t()> unsent_;
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
