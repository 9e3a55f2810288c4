// The Q71 source's connection to q71-emulator in the "scan" role: the greeting, one capability
// exchange at a time, and a scan's stream of frames, each request reconnecting once when the
// device dropped an idle connection. A scan can be cancelled from another thread.
#pragma once

#include "ScanReceiver.h"
#include "ScanWire.h"
#include "WireFormat.h"
#include "scanner/TwainTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace calvix::twain {

class ScanLink {
public:
    enum class Outcome { Ok, Lost, Malformed, Cancelled };

    ScanLink();
    ~ScanLink();
    ScanLink(const ScanLink&) = delete;
    ScanLink& operator=(const ScanLink&) = delete;

    // Connects and greets; TWCC_SUCCESS, TWCC_CHECKDEVICEONLINE when no device answers or it
    // refuses the greeting, TWCC_OPERATIONERROR for an address or answer that makes no sense.
    TW_UINT16 Open();
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    Outcome Capability(const wire::CapRequest& request, wire::CapReply* reply);
    // Sends a scan request and feeds the answer to receiver until it is complete or broken.
    Outcome Scan(ScanReceiver& receiver);

    // Makes a Scan running on another thread return Cancelled; ClearCancel before the next.
    void Cancel();
    void ClearCancel();

    static constexpr int kConnectTimeoutMs = 1000;
    static constexpr int kReplyTimeoutMs = 5000;
    // A scan in progress never falls silent for this long, however big the sheet.
    static constexpr int kScanIdleTimeoutMs = 30000;

private:
    Outcome Exchange(const std::string& request, wire::Frame* answer, int timeoutMs);
    Outcome ReadFrame(wire::Frame* frame, int timeoutMs, bool* gotBytes);
    bool LooksDropped();

    int fd_ = -1;
    int wake_ = -1;  // eventfd that Cancel signals
    wire::FrameDecoder decoder_;
    std::vector<unsigned char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

}  // namespace calvix::twain
