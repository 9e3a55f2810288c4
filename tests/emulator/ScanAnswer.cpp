// Scan answer decoding for the emulator tests.
#include "ScanAnswer.h"

namespace calvix::test {

std::array<int, 3> ScanAnswer::Pixel(std::size_t face, int x, int y) const {
    const wire::ImageHeader& h = headers.at(face);
    const std::uint64_t stride = wire::DibStride(h.width, h.bitCount);
    const std::uint64_t at = (h.height - 1 - static_cast<std::uint32_t>(y)) * stride + 3 * static_cast<std::uint64_t>(x);
    const std::string& bytes = images.at(face);
    return {static_cast<unsigned char>(bytes.at(at)), static_cast<unsigned char>(bytes.at(at + 1)),
            static_cast<unsigned char>(bytes.at(at + 2))};
}

bool AddScanFrame(ScanAnswer* answer, const wire::Frame& frame) {
    const bool inImage = !answer->images.empty() && answer->images.back().size() < answer->headers.back().byteCount;
    switch (frame.type) {
    case wire::FrameType::ImageHeader: {
        const auto header = wire::DecodeImageHeader(frame.payload);
        if (!header || inImage) break;
        answer->headers.push_back(*header);
        answer->images.emplace_back();
        answer->images.back().reserve(header->byteCount);
        return true;
    }
    case wire::FrameType::ImageData:
        if (!inImage || answer->images.back().size() + frame.payload.size() > answer->headers.back().byteCount) break;
        answer->images.back() += frame.payload;
        return true;
    case wire::FrameType::ScanDone:
        answer->done = wire::DecodeScanDone(frame.payload);
        answer->wellFormed = answer->wellFormed && answer->done && !inImage;
        return false;
    default:
        break;
    }
    answer->wellFormed = false;
    return false;
}

ScanAnswer DecodeScanAnswer(const std::string& bytes) {
    ScanAnswer answer;
    wire::FrameDecoder decoder;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t at = 0;
    bool more = true;
    while (more && at < bytes.size()) {
        std::size_t used = 0;
        wire::Frame frame;
        const auto result = decoder.Feed(data + at, bytes.size() - at, &used, &frame);
        at += used;
        if (result != wire::FrameDecoder::Result::FrameReady) {
            answer.wellFormed = false;
            break;
        }
        more = AddScanFrame(&answer, frame);
    }
    answer.wellFormed = answer.wellFormed && at == bytes.size() && answer.done.has_value();
    return answer;
}

}  // namespace calvix::test
