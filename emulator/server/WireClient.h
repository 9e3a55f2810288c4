// A plain client of the emulator's wire format over one blocking TCP connection: the operator's
// feed command, tests and benchmarks talk to a running q71-emulator through it.
#pragma once

#include "WireFormat.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvix::emulator {

class WireClient {
public:
    WireClient() = default;
    ~WireClient();
    WireClient(const WireClient&) = delete;
    WireClient& operator=(const WireClient&) = delete;

    // address: "host:port" with an IPv4 host or "localhost". False with the reason.
    bool Connect(const std::string& address, std::string* error);
    // Hello with the role, then the device's Hello within waitMs; false when it refused.
    bool Greet(std::string_view role, int waitMs);
    bool Send(wire::FrameType type, std::string_view payload);
    bool SendRaw(std::string_view bytes);
    // The next frame within waitMs; nothing on time-out, on close, or for a broken stream.
    std::optional<wire::Frame> Next(int waitMs);
    // True when the device closed the connection within waitMs.
    bool ClosedByPeer(int waitMs);

private:
    int fd_ = -1;
    wire::FrameDecoder decoder_;
    std::vector<unsigned char> buffer_;
    std::size_t start_ = 0;  // first byte of buffer_ not yet decoded
    std::size_t end_ = 0;    // one past the last byte received
};

}  // namespace calvix::emulator
