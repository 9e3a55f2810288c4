// The Q71 source's reading of a scan's answer, frame by frame and without the connection: each
// face's header checked and its bytes gathered straight into the native transfer's bitmap
// handle, never more than the checked header announced.
#pragma once

#include "ScanWire.h"
#include "TwainEmu.h"

#include <cstdint>
#include <vector>

namespace calvix::twain {

struct ReceivedFace {
    wire::ImageHeader header;
    TW_HANDLE dib = nullptr;  // 40-byte header and the face's bytes; only for a delivered face
};

// The native transfer's 40-byte header for a face.
DibHeader DibHeaderFor(const wire::ImageHeader& header);

class ScanReceiver {
public:
    enum class Progress { More, Complete, Broken };

    explicit ScanReceiver(const MemoryFunctions& memory, std::uint64_t maxFaceBytes = wire::kMaxImageBytes);
    ~ScanReceiver();
    ScanReceiver(const ScanReceiver&) = delete;
    ScanReceiver& operator=(const ScanReceiver&) = delete;

    // Takes the next frame of the answer. Complete after ScanDone; Broken for a frame out of
    // order, a header that does not check out, data beyond the announced count, or a bitmap
    // that cannot be allocated (then OutOfMemory()). Once Complete or Broken it stays so.
    Progress OnFrame(const wire::Frame& frame);

    const wire::ScanDone& Done() const { return done_; }
    bool OutOfMemory() const { return outOfMemory_; }
    // The faces received, front first; the caller owns their handles afterwards.
    std::vector<ReceivedFace> TakeFaces();

private:
    Progress Break();
    Progress OnHeader(const std::string& payload);
    Progress OnData(const std::string& payload);

    MemoryFunctions memory_;
    std::uint64_t maxFaceBytes_;
    std::vector<ReceivedFace> faces_;
    std::uint64_t remaining_ = 0;  // bytes of the current face still to come
    std::uint64_t filled_ = 0;     // bytes of the current face already written
    int lastFace_ = -1;
    bool outOfMemory_ = false;
    Progress progress_ = Progress::More;
    wire::ScanDone done_;
};

}  // namespace calvix::twain
