// The TCP plumbing every client of q71-emulator shares: where the device listens, opening a
// connection within a time limit, and writing whole frames to a non-blocking socket.
#pragma once

#include <cstdint>
#include <string>

namespace calvix::servicelib {

// host:port from Q71_ADDRESS, else 127.0.0.1:7171.
std::string DeviceAddress();

// Milliseconds of a monotonic clock, for deadlines.
std::int64_t NowMs();

// Opens a non-blocking, close-on-exec TCP connection to DeviceAddress() within timeoutMs.
// Returns the descriptor, or -1 with an errno-style reason in *reason.
int ConnectDevice(int timeoutMs, std::uint32_t* reason);

// Writes all of bytes; false when the connection is gone or the peer stopped reading.
bool SendAllBytes(int fd, const std::string& bytes);

}  // namespace calvix::servicelib
