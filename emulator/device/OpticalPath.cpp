// Row-wise optical path: each source row is classified (border pixels by their area), coloured
// and blurred across once into a
// ring of rows; each output row blurs down that ring, takes the light field and goes through the
// sensor. Areas without an edge inside the kernel are copied, not convolved: most of the page
// is plain paper or scanner background, and that is most of the speed.
// The last step maps linear light straight to the output byte through one table per channel.
#include "OpticalPath.h"

#include "BlurKernel.h"
#include "Illumination.h"

#include <cstring>

namespace calvix {

namespace {

std::uint8_t Output(const RenderOptions& options, int channel, int raw) {
    raw = std::clamp(raw, 0, 1023);
    if (options.tables != nullptr) return (*options.tables)[static_cast<std::size_t>(channel)][static_cast<std::size_t>(raw)];
    return static_cast<std::uint8_t>(raw / 4);
}

// out += w * source over a row: the inner loop of both blur passes. Cloned for AVX2 where the
// processor has it (without FMA, so every machine rounds alike and a seed renders the same).
__attribute__((target_clones("avx2", "default"))) void AddScaled(float* out, const float* source, float w, int n) {
    for (int x = 0; x < n; ++x) out[x] += w * source[x];
}

// Linear light to indices of the 65536-step tables. The clamp is written as selects, not as
// std::min/max of references, so that it becomes packed min/max instead of a branch per value.
constexpr float kLastIndex = (1 << 16) - 1;  // of LinearTable below
__attribute__((target_clones("avx2", "default"))) void TableIndices(const float* v, std::int32_t* index, int n) {
    for (int x = 0; x < n; ++x) {
        float t = v[x] > 0.0f ? v[x] : 0.0f;
        t = t < 1.0f ? t : 1.0f;
        index[x] = static_cast<std::int32_t>(t * kLastIndex + 0.5f);
    }
}

class RowPipeline {
public:
    RowPipeline(const OpticalScene& scene, const RenderOptions& options, int width, int height)
        : scene_(scene), width_(width), height_(height) {
        for (auto& row : regions_) row.resize(static_cast<std::size_t>(width));
        for (auto& row : plain_) row.resize(static_cast<std::size_t>(width));
        const Optics& o = options.optics;
        const double dx[3] = {o.misregister[0], 0.0, o.misregister[2]};
        const double dy[3] = {o.misregister[1], 0.0, o.misregister[3]};
        for (std::size_t c = 0; c < 3; ++c) {
            // The pixel's square aperture is a blur of variance 1/12 of its own (see Covered), so
            // the kernel adds what is left of the sigma asked for; below 0.29 px it is all aperture.
            const double sigma = std::sqrt(std::max(0.0, o.blurSigma[c] * o.blurSigma[c] - 1.0 / 12.0));
            across_[c] = BlurKernel::Make(sigma, dx[c]);
            down_[c] = BlurKernel::Make(sigma, dy[c]);
            reachX_ = std::max(reachX_, across_[c].radius);
            reachY_ = std::max(reachY_, down_[c].radius);
        }
        // The rows a kernel spans and the row before them, for the change marks.
        ringRows_ = 2 * reachY_ + 2;
        for (std::size_t c = 0; c < 3; ++c) {
            ring_[c].resize(static_cast<std::size_t>(ringRows_) * static_cast<std::size_t>(width));
            changed_[c].assign(static_cast<std::size_t>(height), 0);
        }
    }

    // Row y of channel c after the blur in both directions, into out.
    void OutputRow(int y, std::size_t c, float* out) {
        while (loaded_ < height_ && loaded_ <= y + reachY_) LoadRow(loaded_++);
        const BlurKernel& k = down_[c];
        bool edge = false;
        for (int s = std::max(1, y - k.radius + 1); s <= std::min(height_ - 1, y + k.radius) && !edge; ++s)
            edge = changed_[c][static_cast<std::size_t>(s)] != 0;
        if (!edge) {
            // No edge crosses the kernel's rows: every column is plain there, moved or not.
            std::memcpy(out, Row(c, y), sizeof(float) * static_cast<std::size_t>(width_));
            return;
        }
        std::fill(out, out + width_, 0.0f);
        for (int j = 0; j <= 2 * k.radius; ++j) {
            const float w = k.weights[static_cast<std::size_t>(j)];
            if (w == 0.0f) continue;
            AddScaled(out, Row(c, std::clamp(y + j - k.radius, 0, height_ - 1)), w, width_);
        }
    }

private:
    float* Row(std::size_t c, int s) { return ring_[c].data() + static_cast<std::size_t>(s % ringRows_) * static_cast<std::size_t>(width_); }

    // Region rows s - 1, s and s + 1 (edges replicated) around the row being loaded.
    void ShiftRegionRows(int s) {
        if (s == 0) {
            scene_.regionsOfRow(0, regions_[1].data());
            regions_[0] = regions_[1];
            if (height_ > 1) scene_.regionsOfRow(1, regions_[2].data());
            else regions_[2] = regions_[1];
            return;
        }
        std::swap(regions_[0], regions_[1]);
        std::swap(regions_[1], regions_[2]);
        if (s + 1 < height_) scene_.regionsOfRow(s + 1, regions_[2].data());
        else regions_[2] = regions_[1];
    }

    void LoadRow(int s) {
        ShiftRegionRows(s);
        plainRow_ = false;
        const std::uint16_t* above = regions_[0].data();
        const std::uint16_t* here = regions_[1].data();
        const std::uint16_t* below = regions_[2].data();
        const std::size_t bytes = sizeof(std::uint16_t) * static_cast<std::size_t>(width_);
        if (std::all_of(here, here + width_, [&](std::uint16_t r) { return r == here[0]; }) &&
            std::memcmp(above, here, bytes) == 0 && std::memcmp(below, here, bytes) == 0) {
            // Far from the chart the page is one region across three rows: no border to sample.
            for (std::size_t c = 0; c < 3; ++c) std::fill(plain_[c].begin(), plain_[c].end(), scene_.linear[here[0]][c]);
            plainRow_ = true;
        }
        for (int x = 0; x < width_ && !plainRow_; ++x) {
            const std::uint16_t r = here[x];
            const bool edge = (x > 0 && here[x - 1] != r) || (x + 1 < width_ && here[x + 1] != r) || above[x] != r || below[x] != r;
            std::array<float, 3> rgb = scene_.linear[r];
            if (edge) rgb = Covered(x, s);
            for (std::size_t c = 0; c < 3; ++c) plain_[c][static_cast<std::size_t>(x)] = rgb[c];
        }
        for (std::size_t c = 0; c < 3; ++c) {
            float* row = Row(c, s);
            std::memcpy(row, plain_[c].data(), sizeof(float) * static_cast<std::size_t>(width_));
            BlurAcross(row, plain_[c].data(), across_[c]);
            if (s > 0) changed_[c][static_cast<std::size_t>(s)] = std::memcmp(row, Row(c, s - 1), sizeof(float) * static_cast<std::size_t>(width_)) != 0;
        }
    }

    // A pixel on a region border takes the mean of four samples over its square, one in each
    // quarter of its width and of its height (n-rooks), so an edge lands at its sub-pixel place.
    // Four are enough: the blur that follows spreads the residual error of a straight edge far
    // below what an edge-width measurement resolves, and the border pixels are most of the cost.
    std::array<float, 3> Covered(int x, int y) const {
        static constexpr int kSamples = 4;
        static constexpr int kRook[kSamples] = {1, 3, 0, 2};
        std::array<float, 3> sum{};
        for (int i = 0; i < kSamples; ++i) {
            const std::array<float, 3>& rgb = scene_.linear[static_cast<std::size_t>(
                scene_.regionAt(x + (i + 0.5) / kSamples - 0.5, y + (kRook[i] + 0.5) / kSamples - 0.5))];
            for (std::size_t c = 0; c < 3; ++c) sum[c] += rgb[c] / static_cast<float>(kSamples);
        }
        return sum;
    }

    // A row with any change is convolved whole, tap by tap over a padded copy (the compiler
    // vectorises that); a row without one is plain and stays as it is.
    void BlurAcross(float* row, const float* plain, const BlurKernel& k) {
        if (k.radius == 0) return;
        bool changes = false;
        for (int x = 1; x < width_ && !changes; ++x) changes = plain[x] != plain[x - 1];
        if (!changes) return;
        const int r = k.radius;
        padded_.resize(static_cast<std::size_t>(width_ + 2 * r));
        std::fill(padded_.begin(), padded_.begin() + r, plain[0]);
        std::copy(plain, plain + width_, padded_.begin() + r);
        std::fill(padded_.begin() + r + width_, padded_.end(), plain[width_ - 1]);
        std::fill(row, row + width_, 0.0f);
        for (int j = 0; j <= 2 * r; ++j) {
            const float w = k.weights[static_cast<std::size_t>(j)];
            if (w == 0.0f) continue;
            AddScaled(row, padded_.data() + j, w, width_);
        }
    }

    const OpticalScene& scene_;
    int width_, height_;
    std::array<BlurKernel, 3> across_, down_;
    int reachX_ = 0, reachY_ = 0, ringRows_ = 2, loaded_ = 0;
    std::array<std::vector<float>, 3> ring_;
    std::array<std::vector<char>, 3> changed_;
    std::array<std::vector<std::uint16_t>, 3> regions_;
    std::array<std::vector<float>, 3> plain_;
    std::vector<float> padded_;
    bool plainRow_ = false;  // the row being loaded is one plain region
};

// The byte a raw value leaves the scanner as: through the side's tables, or raw / 4.
struct OutputBytes {
    explicit OutputBytes(const RenderOptions& options) {
        for (int c = 0; c < 3; ++c)
            for (int raw = 0; raw < 1024; ++raw) ofRaw[static_cast<std::size_t>(c)][static_cast<std::size_t>(raw)] = Output(options, c, raw);
    }
    std::array<std::array<std::uint8_t, 1024>, 3> ofRaw{};
};

// Linear light in 65536 steps to raw and to the output byte, filled from the interpolated curve.
struct LinearTable {
    static constexpr int kSize = 1 << 16;
    static_assert(kSize - 1 == static_cast<int>(kLastIndex));
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
            if (light.Flat()) continue;
            const float partY = static_cast<float>(light.PartY(y - dy[c]));
            const float* px = partX[c].data();
            for (int x = 0; x < width; ++x) {
                const float sum = 1.0f + px[x] + partY;
                row[x] /= sum * sum;
            }
        }
        std::uint8_t* out = image.Row(y);
        // Indices first, in a loop of their own that the compiler vectorises; then the look-ups.
        for (std::size_t c = 0; c < 3; ++c) TableIndices(linear[c].data(), indices[c].data(), width);
        if (!noisy) {
            const std::uint8_t *red = table.byte[0].data(), *green = table.byte[1].data(), *blue = table.byte[2].data();
            const std::int32_t *r = indices[0].data(), *g = indices[1].data(), *b = indices[2].data();
            for (int x = 0; x < width; ++x, out += 3) {
                out[0] = blue[b[x]];
                out[1] = green[g[x]];
                out[2] = red[r[x]];
            }
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
