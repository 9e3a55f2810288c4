// The client end of the library stand-in: one connection to q71-emulator, text in and out,
// module uploads. Single connection per process, as the maker's library keeps.
#pragma once

#include "WireFormat.h"

#include <cstdint>
#include <string>

namespace calvix::servicelib {

class ServiceClient {
public:
    ~ServiceClient() { Disconnect(); }

    // host:port from Q71_ADDRESS, else 127.0.0.1:7171.
    static std::string DeviceAddress();

    // 0 connected; otherwise an errno-style reason. Replaces an open connection.
    std::uint32_t Connect(int timeoutMs);
    void Disconnect();
    bool Connected() const { return fd_ >= 0; }

    // 0 sent; non-zero when there is no usable connection.
    std::uint32_t Send(const char* text, std::size_t length);
    // Copies up to capacity pending bytes without waiting; false when the connection is gone
    // and nothing is left to deliver.
    bool Receive(char* buffer, std::size_t capacity, std::size_t* delivered);
    // Sends one module and waits for the device's answer; returns the result code.
    std::uint32_t Upload(std::uint32_t kind, const void* data, std::size_t length, std::uint32_t* word, int timeoutMs);

    // Text that arrived but was not yet read; beyond this the socket is left unread so the
    // device waits rather than anything being lost.
    static constexpr std::size_t kMaxPendingText = 64 * 1024;

private:
    bool SendAll(const std::string& bytes);
    // Reads what the socket has (waiting at most waitMs for the first bytes) and sorts frames.
    void Pump(int waitMs);
    void HandleFrame(wire::Frame& frame);

    int fd_ = -1;
    bool peerClosed_ = false;
    wire::FrameDecoder decoder_;
    std::string pendingText_;
    bool haveUploadResult_ = false;
    std::uint32_t uploadResult_ = 0;
    std::uint32_t uploadWord_ = 0;
    bool greeted_ = false;
};

}  // namespace calvix::servicelib
