// Fuzz target: the Q71 TWAIN source's handling of untrusted input without a socket. First byte
// odd: the rest is a byte stream from the device, decoded into frames and read as a scan's
// answer (faces checked and gathered into bitmap handles). First byte even: the rest is an
// application's capability record (cap u16, container type u16, message selector u8, then the
// container, allocated exactly as large as the input gives it, whatever its item type claims,
// so any read beyond shows),
// followed by the same bytes read as the device's capability reply.
#include "CapabilityCodec.h"
#include "ScanReceiver.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace calvix::twain;
namespace wire = calvix::wire;

namespace {

// Large enough for real faces of small sheets, small enough to keep runs fast.
constexpr std::uint64_t kFuzzFaceLimit = 1 << 20;

void ReadScan(const std::uint8_t* data, std::size_t size) {
    ScanReceiver receiver(MemoryFunctions{}, kFuzzFaceLimit);
    wire::FrameDecoder decoder;
    std::size_t at = 0;
    auto progress = ScanReceiver::Progress::More;
    while (at < size && progress == ScanReceiver::Progress::More) {
        std::size_t used = 0;
        wire::Frame frame;
        const auto result = decoder.Feed(data + at, size - at, &used, &frame);
        at += used;
        if (result == wire::FrameDecoder::Result::Broken) return;
        if (result == wire::FrameDecoder::Result::FrameReady) progress = receiver.OnFrame(frame);
    }
    if (progress != ScanReceiver::Progress::Complete) return;
    for (ReceivedFace& face : receiver.TakeFaces()) {
        if (!face.dib) continue;
        DibHeader header;
        std::memcpy(&header, face.dib, sizeof header);
        if (header.biSize != sizeof(DibHeader) || header.biWidth != static_cast<std::int32_t>(face.header.width)) {
            std::abort();
        }
        std::free(face.dib);
    }
}

void HandleCapability(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return;
    static constexpr TW_UINT16 kMessages[] = {MSG_GET, MSG_GETCURRENT,   MSG_GETDEFAULT, MSG_RESET,
                                              MSG_SET, MSG_QUERYSUPPORT, MSG_ENDXFER};
    TW_CAPABILITY capability{};
    std::memcpy(&capability.Cap, data, 2);
    std::memcpy(&capability.ConType, data + 2, 2);
    const TW_UINT16 msg = kMessages[data[4] % std::size(kMessages)];
    const std::uint8_t* rest = data + 5;
    const std::size_t restSize = size - 5;

    unsigned char* container = nullptr;
    if (restSize > 0) {
        container = static_cast<unsigned char*>(std::malloc(restSize));
        std::memcpy(container, rest, restSize);
    }
    capability.hContainer = container;
    wire::CapRequest request;
    if (PrepareCapRequest(msg, capability, MemoryFunctions{}, &request) == TWCC_SUCCESS) {
        // What the source sends must be what the device's decoder accepts.
        const std::string frame = wire::EncodeCapRequest(request);
        const auto decoded = wire::DecodeCapRequest(std::string_view(frame).substr(wire::kHeaderSize));
        if (!decoded || decoded->item != request.item) std::abort();
    }
    std::free(container);

    const auto reply = wire::DecodeCapReply(std::string_view(reinterpret_cast<const char*>(rest), restSize));
    if (!reply) return;
    TW_CAPABILITY answer{capability.Cap, TWON_DONTCARE16, nullptr};
    TW_UINT16 cc = 0;
    const TW_UINT16 rc = AnswerCapability(msg, *reply, MemoryFunctions{}, &answer, &cc);
    if ((rc == TWRC_FAILURE) == (cc == TWCC_SUCCESS)) std::abort();
    std::free(answer.hContainer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1)
        ReadScan(data + 1, size - 1);
    else
        HandleCapability(data + 1, size - 1);
    return 0;
}
