// Face rendering and the native-transfer bitmap rows of the emulated Q71.
#include "ScanImaging.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace calvix::device {

namespace {

bool ParseNumber(std::string_view text, double low, double high, double* out) {
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < low || value > high)
        return false;
    *out = value;
    return true;
}

bool ParseChannel(std::string_view text, ChannelResponse* channel) {
    const std::size_t first = text.find(',');
    const std::size_t second = first == std::string_view::npos ? first : text.find(',', first + 1);
    if (second == std::string_view::npos || text.find(',', second + 1) != std::string_view::npos) return false;
    return ParseNumber(text.substr(0, first), 0.0, 4.0, &channel->gain) &&
           ParseNumber(text.substr(first + 1, second - first - 1), -1.0, 1.0, &channel->offset) &&
           ParseNumber(text.substr(second + 1), 0.1, 10.0, &channel->gamma);
}

// Appends bytes to a stream of ImageData frames, starting a frame every kMaxImageChunk bytes.
class ChunkWriter {
public:
    ChunkWriter(std::string* out, std::uint64_t total) : out_(out), left_(total) {}
    void Put(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            if (inChunk_ == 0) {
                inChunk_ = static_cast<std::size_t>(std::min<std::uint64_t>(left_, wire::kMaxImageChunk));
                out_->push_back(static_cast<char>(wire::FrameType::ImageData));
                wire::PutU32(*out_, static_cast<std::uint32_t>(inChunk_));
            }
            const std::size_t take = std::min(size, inChunk_);
            out_->append(reinterpret_cast<const char*>(data), take);
            data += take;
            size -= take;
            inChunk_ -= take;
            left_ -= take;
        }
    }

private:
    std::string* out_;
    std::uint64_t left_;
    std::size_t inChunk_ = 0;
};

}  // namespace

ToneResponse DefaultResponse(Side side) {
    ToneResponse tone;
    if (side == Side::Front) {
        tone.channel = {ChannelResponse{0.95, 0.02, 1.1}, ChannelResponse{1.0, 0.01, 1.0}, ChannelResponse{0.9, 0.03, 1.2}};
    } else {
        tone.channel = {ChannelResponse{1.05, 0.0, 0.9}, ChannelResponse{0.92, 0.02, 1.05}, ChannelResponse{1.0, 0.015, 0.95}};
    }
    return tone;
}

bool ParseToneResponse(std::string_view text, ToneResponse* response) {
    ToneResponse parsed;
    if (text.find('/') == std::string_view::npos) {
        ChannelResponse all;
        if (!ParseChannel(text, &all)) return false;
        parsed.channel = {all, all, all};
    } else {
        for (std::size_t c = 0; c < 3; ++c) {
            const std::size_t slash = text.find('/');
            if ((c < 2) == (slash == std::string_view::npos)) return false;
            if (!ParseChannel(text.substr(0, slash), &parsed.channel[c])) return false;
            text = slash == std::string_view::npos ? std::string_view() : text.substr(slash + 1);
        }
    }
    *response = parsed;
    return true;
}

bool StoredTables(const DeviceState& state, Side side, ChannelTables* tables) {
    if (state.lut.size() != kLutModuleLength) return false;
    const std::size_t s = static_cast<std::size_t>(side);
    // Byte 6 counts the sides the record holds.
    if (side == Side::Rear && state.lut[6] < 2) return false;
    for (std::size_t c = 0; c < 3; ++c)
        std::memcpy((*tables)[c].data(), state.lut.data() + kLutTableOffset[s][c], (*tables)[c].size());
    return true;
}

ScanBitmap RenderFace(const Face& face, const FaceRender& render, RenderTruth* truth) {
    RenderOptions options;
    options.tone = *render.response;
    options.tables = render.tables;
    options.noiseSigma = render.noiseSigma;
    options.optics = render.optics;
    options.seed = render.seed;
    options.pageWidth = render.pageWidth;
    options.pageHeight = render.pageHeight;
    if (!face.chart) {
        if (truth) *truth = TruthOf(options, nullptr);
        return RenderBlankPage(options, face.blankLevel.value_or(PaperWhiteLevel));
    }
    options.shiftX = face.placement.shiftX;
    options.shiftY = face.placement.shiftY;
    options.rotationDegrees = face.placement.rotationDegrees;
    RenderedChart chart = RenderChart(*face.chart, options);
    if (truth) *truth = TruthOf(options, &chart);
    return std::move(chart.image);
}

std::uint64_t FramedImageBytes(std::uint32_t width, std::uint32_t height, std::uint16_t bitCount) {
    const std::uint64_t payload = wire::DibPayloadBytes(width, height, bitCount);
    const std::uint64_t chunks = (payload + wire::kMaxImageChunk - 1) / wire::kMaxImageChunk;
    return wire::kHeaderSize + 18 + payload + chunks * wire::kHeaderSize;
}

void AppendImageFrames(const ScanBitmap& image, std::uint8_t face, wire::ImageDisposition disposition,
                       std::uint16_t bitCount, std::uint16_t dpi, std::string* out) {
    wire::ImageHeader header;
    header.face = face;
    header.disposition = disposition;
    header.width = static_cast<std::uint32_t>(image.Width());
    header.height = static_cast<std::uint32_t>(image.Height());
    header.bitCount = bitCount;
    header.dpi = dpi;
    const std::uint64_t total = wire::DibPayloadBytes(header.width, header.height, bitCount);
    header.byteCount = static_cast<std::uint32_t>(total);
    out->reserve(out->size() + FramedImageBytes(header.width, header.height, bitCount));
    out->append(wire::EncodeImageHeader(header));

    ChunkWriter writer(out, total);
    if (bitCount == 8) {
        std::uint8_t palette[256 * 4];
        for (int i = 0; i < 256; ++i) {
            palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = static_cast<std::uint8_t>(i);
            palette[4 * i + 3] = 0;
        }
        writer.Put(palette, sizeof palette);
    }
    const std::size_t stride = static_cast<std::size_t>(wire::DibStride(header.width, bitCount));
    std::vector<std::uint8_t> row(stride, 0);
    // Rows go bottom-up, as a bitmap of positive height keeps them.
    for (int y = image.Height(); y-- > 0;) {
        const std::uint8_t* source = image.Row(y);
        if (bitCount == 24) {
            std::memcpy(row.data(), source, image.Stride());
        } else {
            for (int x = 0; x < image.Width(); ++x) {
                const std::uint8_t* p = source + 3 * static_cast<std::size_t>(x);
                if (bitCount == 8) {
                    // Rec. 601 luma of blue, green, red.
                    row[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>((114 * p[0] + 587 * p[1] + 299 * p[2] + 500) / 1000);
                } else {
                    std::memcpy(row.data() + 4 * static_cast<std::size_t>(x), p, 3);
                }
            }
        }
        writer.Put(row.data(), stride);
    }
}

}  // namespace calvix::device
