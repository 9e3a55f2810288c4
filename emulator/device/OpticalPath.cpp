// Row-wise optical path: each output row comes blurred from the row pipeline, takes the light
// field and goes through the sensor. The last step maps linear light straight to the output
// byte through one table per channel.
#include "OpticalPath.h"

#include "Illumination.h"
#include "RowKernels.h"
#include "RowPipeline.h"

#include <cstring>

namespace calvix {

namespace {

std::uint8_t Output(const RenderOptions& options, int channel, int raw) {
    raw = std::clamp(raw, 0, 1023);
    if (options.tables != nullptr) return (*options.tables)[static_cast<std::size_t>(channel)][static_cast<std::size_t>(raw)];
    return static_cast<std::uint8_t>(raw / 4);
}

// The byte a raw value leaves the scanner as: through the side's tables, or raw / 4.
struct OutputBytes {
    explicit OutputBytes(const RenderOptions& options) {
        for (int c = 0; c < 3; ++c)
            for (int raw = 0; raw < 1024; ++raw) ofRaw[static_cast<std::size_t>(c)][static_cast<std::size_t>(raw)] = Output(options, c, raw);
    }
    std::array<std::array<std::uint8_t, 1024>, 3> ofRaw{};
};

// Linear light in kLinearSteps steps to raw and to the output byte, filled from the interpolated curve.
struct LinearTable {
    static constexpr int kSize = kLinearSteps;
    LinearTable(const RawCurve& curve, const OutputBytes& bytes) {
        for (std::size_t c = 0; c < 3; ++c) {
            raw[c].resize(kSize);
            byte[c].resize(kSize);
            for (int i = 0; i < kSize; ++i) {
                const int value = curve.Raw(static_cast<int>(c), static_cast<float>(i) / (kSize - 1));
                raw[c][static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(value);
                byte[c][static_cast<std::size_t>(i)] = bytes.ofRaw[c][static_cast<std::size_t>(value)];
            }
        }
    }
    std::array<std::vector<std::uint16_t>, 3> raw;
    std::array<std::vector<std::uint8_t>, 3> byte;
};

}  // namespace

RawCurve::RawCurve(const ToneResponse& tone) {
    for (std::size_t c = 0; c < 3; ++c) {
        const ChannelResponse& r = tone.channel[c];
        for (int i = 0; i <= kSteps; ++i) {
            const double v = SrgbEncode(static_cast<double>(i) / kSteps);
            const double level = r.gain * std::pow(v, r.gamma) + r.offset;
            table_[c][static_cast<std::size_t>(i)] = static_cast<float>(std::clamp(level, 0.0, 1.0) * 1023.0);
        }
    }
}

void RenderOptically(const OpticalScene& scene, const RenderOptions& options, const SensorNoise& noise,
                     Random& random, ScanBitmap& image) {
    const int width = image.Width();
    const int height = image.Height();
    RowPipeline pipeline(scene, options, width, height);
    const bool noisy = !noise.Empty();
    const SensorNoise::Draw draw = noise.Sampler();
    OutputBytes bytes(options);
    const LinearTable table(RawCurve(options.tone), bytes);
    const Optics& o = options.optics;
    // The light falls on the page before the channels part: a moved channel sees the field of
    // the place it comes from.
    const Illumination light(width, height, o.falloffPercent);
    const double dx[3] = {o.misregister[0], 0.0, o.misregister[2]};
    const double dy[3] = {o.misregister[1], 0.0, o.misregister[3]};
    std::array<std::vector<float>, 3> partX;
    for (std::size_t c = 0; c < 3 && !light.Flat(); ++c) {
        partX[c].resize(static_cast<std::size_t>(width));
        for (int x = 0; x < width; ++x) partX[c][static_cast<std::size_t>(x)] = static_cast<float>(light.PartX(x - dx[c]));
    }
    std::array<std::vector<float>, 3> linear;
    for (auto& row : linear) row.resize(static_cast<std::size_t>(width));
    std::array<std::vector<std::int32_t>, 3> indices;
    for (auto& row : indices) row.resize(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        for (std::size_t c = 0; c < 3; ++c) {
            float* row = linear[c].data();
            pipeline.OutputRow(y, c, row);
            const float partY = light.Flat() ? 0.0f : static_cast<float>(light.PartY(y - dy[c]));
            LightAndIndices(row, light.Flat() ? nullptr : partX[c].data(), partY, indices[c].data(), width);
        }
        std::uint8_t* out = image.Row(y);
        if (!noisy) {
            const std::uint8_t *red = table.byte[0].data(), *green = table.byte[1].data(), *blue = table.byte[2].data();
            const std::int32_t *r = indices[0].data(), *g = indices[1].data(), *b = indices[2].data();
            // One store a pixel: four bytes, the fourth overwritten by the next pixel.
            for (int x = 0; x + 1 < width; ++x, out += 3) {
                const std::uint32_t bgr = blue[b[x]] | static_cast<std::uint32_t>(green[g[x]]) << 8 | static_cast<std::uint32_t>(red[r[x]]) << 16;
                std::memcpy(out, &bgr, 4);
            }
            if (width > 0) out[0] = blue[b[width - 1]], out[1] = green[g[width - 1]], out[2] = red[r[width - 1]];
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const std::uint64_t bits = random.Next();
            for (int c = 0; c < 3; ++c) {
                const int raw = draw.Apply(table.raw[static_cast<std::size_t>(c)][static_cast<std::size_t>(indices[static_cast<std::size_t>(c)][static_cast<std::size_t>(x)])], c, bits);
                out[3 * static_cast<std::size_t>(x) + static_cast<std::size_t>(2 - c)] = bytes.ofRaw[static_cast<std::size_t>(c)][static_cast<std::size_t>(std::clamp(raw, 0, 1023))];
            }
        }
    }
}

}  // namespace calvix
