// Gathering a scan's faces from the device's frames.
#include "ScanReceiver.h"

#include <sys/mman.h>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace calvix::twain {

DibHeader DibHeaderFor(const wire::ImageHeader& header) {
    DibHeader dib{};
    dib.biSize = sizeof(DibHeader);
    dib.biWidth = static_cast<TW_INT32>(header.width);
    dib.biHeight = static_cast<TW_INT32>(header.height);  // positive: rows bottom-up
    dib.biPlanes = 1;
    dib.biBitCount = header.bitCount;
    dib.biCompression = 0;
    dib.biSizeImage = static_cast<TW_UINT32>(wire::DibStride(header.width, header.bitCount) * header.height);
    const auto perMetre = static_cast<TW_INT32>(std::lround(header.dpi * 39.37));
    dib.biXPelsPerMeter = perMetre;
    dib.biYPelsPerMeter = perMetre;
    // Said outright rather than left as 0, so no reader has to know the default.
    dib.biClrUsed = header.bitCount <= 8 ? 1u << header.bitCount : 0;
    dib.biClrImportant = 0;
    return dib;
}

namespace {

// A face is tens of megabytes written once, front to back; in huge pages that is a few dozen
// page faults instead of thousands. Only advice: where the system declines, nothing changes.
void PreferHugePages(void* block, std::uint64_t size) {
    constexpr std::uintptr_t kHuge = 2u << 20;
    if (size < 2 * kHuge) return;
    const auto start = (reinterpret_cast<std::uintptr_t>(block) + kHuge - 1) & ~(kHuge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(block) + size) & ~(kHuge - 1);
    if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace

ScanReceiver::ScanReceiver(const MemoryFunctions& memory, std::uint64_t maxFaceBytes)
    : memory_(memory), maxFaceBytes_(maxFaceBytes) {}

ScanReceiver::~ScanReceiver() {
    for (ReceivedFace& face : faces_) {
        if (face.dib) memory_.release(face.dib);
    }
}

std::vector<ReceivedFace> ScanReceiver::TakeFaces() {
    std::vector<ReceivedFace> taken;
    taken.swap(faces_);
    return taken;
}

ScanReceiver::Progress ScanReceiver::Break() {
    progress_ = Progress::Broken;
    return progress_;
}

ScanReceiver::Progress ScanReceiver::OnFrame(const wire::Frame& frame) {
    if (progress_ != Progress::More) return Break();
    if (remaining_ > 0) {
        if (frame.type != wire::FrameType::ImageData) return Break();
        return OnData(frame.payload);
    }
    switch (frame.type) {
        case wire::FrameType::ImageHeader:
            return OnHeader(frame.payload);
        case wire::FrameType::ScanDone: {
            const auto done = wire::DecodeScanDone(frame.payload);
            if (!done) return Break();
            done_ = *done;
            progress_ = Progress::Complete;
            return progress_;
        }
        default:
            return Break();
    }
}

ScanReceiver::Progress ScanReceiver::OnHeader(const std::string& payload) {
    const auto header = wire::DecodeImageHeader(payload);
    // Front before rear, each at most once.
    if (!header || header->face <= lastFace_ || header->byteCount > maxFaceBytes_) return Break();
    lastFace_ = header->face;
    ReceivedFace face;
    face.header = *header;
    if (header->disposition == wire::ImageDisposition::Deliver) {
        const std::uint64_t total = sizeof(DibHeader) + header->byteCount;
        face.dib = memory_.allocate(static_cast<TW_UINT32>(total));
        void* bytes = face.dib ? memory_.lock(face.dib) : nullptr;
        if (!bytes) {
            if (face.dib) memory_.release(face.dib);
            outOfMemory_ = true;
            return Break();
        }
        PreferHugePages(bytes, total);
        const DibHeader dib = DibHeaderFor(*header);
        std::memcpy(bytes, &dib, sizeof dib);
        memory_.unlock(face.dib);
    }
    faces_.push_back(face);
    remaining_ = header->byteCount;
    filled_ = 0;
    return Progress::More;
}

ScanReceiver::Progress ScanReceiver::OnData(const std::string& payload) {
    if (payload.size() > remaining_) return Break();
    ReceivedFace& face = faces_.back();
    if (face.dib && !payload.empty()) {
        auto* bytes = static_cast<unsigned char*>(memory_.lock(face.dib));
        std::memcpy(bytes + sizeof(DibHeader) + filled_, payload.data(), payload.size());
        memory_.unlock(face.dib);
    }
    filled_ += payload.size();
    remaining_ -= payload.size();
    return Progress::More;
}

}  // namespace calvix::twain
