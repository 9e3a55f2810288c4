// Row-wise optical path: each source row is classified (border pixels by their area), coloured
// and blurred across into a ring of rows; each output row blurs down that ring, takes the light
// field and goes through the sensor. Only what an edge reaches is convolved, across by spans
// of the row and down by blocks of columns: the rest of the page (paper, background, patch
// interiors) stays at its level under any blur, and skipping it is most of the speed.
// The last step maps linear light straight to the output byte through one table per channel.
#include "OpticalPath.h"

#include "BlurKernel.h"
#include "Illumination.h"
#include "RowKernels.h"

#include <cstring>

namespace calvix {

namespace {

std::uint8_t Output(const RenderOptions& options, int channel, int raw) {
    raw = std::clamp(raw, 0, 1023);
    if (options.tables != nullptr) return (*options.tables)[static_cast<std::size_t>(channel)][static_cast<std::size_t>(raw)];
    return static_cast<std::uint8_t>(raw / 4);
}

Taps TapsOf(const BlurKernel& k) {
    Taps taps;
    for (int j = 0; j <= 2 * k.radius; ++j) {
        const float w = k.weights[static_cast<std::size_t>(j)];
        if (w == 0.0f) continue;
        taps.offset.push_back(j);
        taps.weight.push_back(w);
    }
    return taps;
}

class RowPipeline {
public:
    RowPipeline(const OpticalScene& scene, const RenderOptions& options, int width, int height)
        : scene_(scene), width_(width), height_(height), blocks_(ColumnBlocks(width)) {
        for (auto& row : regions_) row.resize(static_cast<std::size_t>(width));
        for (auto& row : plain_) row.resize(static_cast<std::size_t>(width));
        edge_.resize(static_cast<std::size_t>(width));
        const Optics& o = options.optics;
        const double dx[3] = {o.misregister[0], 0.0, o.misregister[2]};
        const double dy[3] = {o.misregister[1], 0.0, o.misregister[3]};
        for (std::size_t c = 0; c < 3; ++c) {
            // The pixel's square aperture is a blur of variance 1/12 of its own (see Cover), so
            // the kernel adds what is left of the sigma asked for; below 0.29 px it is all aperture.
            const double sigma = std::sqrt(std::max(0.0, o.blurSigma[c] * o.blurSigma[c] - 1.0 / 12.0));
            across_[c] = BlurKernel::Make(sigma, dx[c]);
            down_[c] = BlurKernel::Make(sigma, dy[c]);
            acrossTaps_[c] = TapsOf(across_[c]);
            downTaps_[c] = TapsOf(down_[c]);
            reachY_ = std::max(reachY_, down_[c].radius);
        }
        // The rows a kernel spans and the row before them, for the change marks.
        ringRows_ = 2 * reachY_ + 2;
        const std::size_t ringSize = static_cast<std::size_t>(ringRows_);
        for (std::size_t c = 0; c < 3; ++c) {
            ring_[c].resize(ringSize * static_cast<std::size_t>(width));
            marks_[c].assign(ringSize * static_cast<std::size_t>(blocks_), 0);
            rowChanged_[c].assign(ringSize, 0);
        }
        window_.resize(static_cast<std::size_t>(blocks_));
    }

    // Row y of channel c after the blur in both directions, into out.
    void OutputRow(int y, std::size_t c, float* out) {
        while (loaded_ < height_ && loaded_ <= y + reachY_) LoadRow(loaded_++);
        const int r = down_[c].radius;
        // A column block no edge crosses within the kernel's rows is plain there, moved or not.
        std::fill(window_.begin(), window_.end(), 0);
        bool edge = false;
        for (int s = std::max(1, y - r + 1); s <= std::min(height_ - 1, y + r); ++s) {
            if (rowChanged_[c][Slot(s)] == 0) continue;
            edge = true;
            const std::uint8_t* marks = Marks(c, s);
            for (int b = 0; b < blocks_; ++b) window_[static_cast<std::size_t>(b)] |= marks[b];
        }
        const float* here = Row(c, y);
        if (!edge) {
            std::memcpy(out, here, sizeof(float) * static_cast<std::size_t>(width_));
            return;
        }
        const Taps& taps = downTaps_[c];
        const int count = static_cast<int>(taps.offset.size());
        sources_.resize(taps.offset.size());
        for (int b = 0; b < blocks_;) {
            const std::uint8_t convolve = window_[static_cast<std::size_t>(b)];
            const int x0 = b * kColumnBlock;
            while (b < blocks_ && window_[static_cast<std::size_t>(b)] == convolve) ++b;
            const int x1 = std::min(width_, b * kColumnBlock);
            if (convolve == 0) {
                std::memcpy(out + x0, here + x0, sizeof(float) * static_cast<std::size_t>(x1 - x0));
                continue;
            }
            for (int t = 0; t < count; ++t)
                sources_[static_cast<std::size_t>(t)] = Row(c, std::clamp(y + taps.offset[static_cast<std::size_t>(t)] - r, 0, height_ - 1)) + x0;
            ConvolveSpan(out + x0, sources_.data(), taps.weight.data(), count, x1 - x0);
        }
    }

private:
    std::size_t Slot(int s) const { return static_cast<std::size_t>(s % ringRows_); }
    float* Row(std::size_t c, int s) { return ring_[c].data() + Slot(s) * static_cast<std::size_t>(width_); }
    std::uint8_t* Marks(std::size_t c, int s) { return marks_[c].data() + Slot(s) * static_cast<std::size_t>(blocks_); }

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
        const std::uint16_t* above = regions_[0].data();
        const std::uint16_t* here = regions_[1].data();
        const std::uint16_t* below = regions_[2].data();
        const std::size_t bytes = sizeof(std::uint16_t) * static_cast<std::size_t>(width_);
        const int previousPlain = plainRegion_;
        plainRegion_ = -1;
        if (std::all_of(here, here + width_, [&](std::uint16_t r) { return r == here[0]; }) &&
            std::memcmp(above, here, bytes) == 0 && std::memcmp(below, here, bytes) == 0) {
            // Far from the chart the page is one region across three rows: no border to sample,
            // and the plain rows still hold it when the row before was the same.
            for (std::size_t c = 0; c < 3 && previousPlain != here[0]; ++c) std::fill(plain_[c].begin(), plain_[c].end(), scene_.linear[here[0]][c]);
            plainRegion_ = here[0];
        } else {
            // Each run of one region at its colour; then the pixels with another region beside them.
            for (int x = 0; x < width_;) {
                const std::uint16_t r = here[x];
                int end = x + 1;
                while (end < width_ && here[end] == r) ++end;
                for (std::size_t c = 0; c < 3; ++c) std::fill(plain_[c].data() + x, plain_[c].data() + end, scene_.linear[r][c]);
                x = end;
            }
            FindBorder(above, here, below);
            Cover(s);
        }
        const std::size_t rowBytes = sizeof(float) * static_cast<std::size_t>(width_);
        for (std::size_t c = 0; c < 3; ++c) {
            float* row = Row(c, s);
            std::memcpy(row, plain_[c].data(), rowBytes);
            if (plainRegion_ < 0) BlurAcross(row, plain_[c].data(), c);
            std::uint8_t* marks = Marks(c, s);
            // Two plain rows of one region are the same row: nothing to compare.
            if (s == 0 || (plainRegion_ >= 0 && plainRegion_ == previousPlain)) {
                std::fill(marks, marks + blocks_, 0);
                rowChanged_[c][Slot(s)] = 0;
            } else {
                rowChanged_[c][Slot(s)] = MarkChangedBlocks(row, Row(c, s - 1), width_, marks);
            }
        }
    }

    // The pixels of row here with another region left, right, above or below, into border_.
    void FindBorder(const std::uint16_t* above, const std::uint16_t* here, const std::uint16_t* below) {
        std::uint8_t* edge = edge_.data();
        const int last = width_ - 1;
        edge[0] = (last > 0 && here[1] != here[0]) || above[0] != here[0] || below[0] != here[0];
        for (int x = 1; x < last; ++x)
            edge[x] = (here[x - 1] != here[x]) | (here[x + 1] != here[x]) | (above[x] != here[x]) | (below[x] != here[x]);
        if (last > 0) edge[last] = here[last - 1] != here[last] || above[last] != here[last] || below[last] != here[last];
        border_.clear();
        for (int x = 0; x < width_;) {
            std::uint64_t eight = 0;
            if (x + 8 <= width_ && (std::memcpy(&eight, edge + x, 8), eight == 0)) {
                x += 8;
                continue;
            }
            if (edge[x] != 0) border_.push_back(x);
            ++x;
        }
    }

    // A pixel on a region border takes the mean of four samples over its square, one in each
    // quarter of its width and of its height (n-rooks), so an edge lands at its sub-pixel place.
    // Four are enough: the blur that follows spreads the residual error of a straight edge far
    // below what an edge-width measurement resolves, and the border pixels are most of the cost.
    void Cover(int y) {
        static constexpr int kSamples = 4;
        static constexpr int kRook[kSamples] = {1, 3, 0, 2};
        const std::size_t n = border_.size() * kSamples;
        sampleX_.resize(n), sampleY_.resize(n), sampled_.resize(n);
        for (std::size_t p = 0; p < border_.size(); ++p) {
            for (int i = 0; i < kSamples; ++i) {
                sampleX_[p * kSamples + static_cast<std::size_t>(i)] = border_[p] + (i + 0.5) / kSamples - 0.5;
                sampleY_[p * kSamples + static_cast<std::size_t>(i)] = y + (kRook[i] + 0.5) / kSamples - 0.5;
            }
        }
        if (n > 0) scene_.regionsAt(sampleX_.data(), sampleY_.data(), static_cast<int>(n), sampled_.data());
        for (std::size_t p = 0; p < border_.size(); ++p) {
            std::array<float, 3> sum{};
            for (std::size_t i = 0; i < kSamples; ++i) {
                const std::array<float, 3>& rgb = scene_.linear[sampled_[p * kSamples + i]];
                for (std::size_t c = 0; c < 3; ++c) sum[c] += rgb[c] / static_cast<float>(kSamples);
            }
            for (std::size_t c = 0; c < 3; ++c) plain_[c][static_cast<std::size_t>(border_[p])] = sum[c];
        }
    }

    // Only the spans a change of level reaches are convolved, tap by tap over a padded copy
    // (edges replicated); the rest of the row keeps the plain level it already holds.
    void BlurAcross(float* row, const float* plain, std::size_t c) {
        const int r = across_[c].radius;
        if (r == 0) return;
        spans_.clear();
        for (int x = 1; x < width_; ++x) {
            // Runs of one level are long: skip a block at a time where nothing changes.
            if (x + kColumnBlock <= width_ && std::memcmp(plain + x, plain + x - 1, sizeof(float) * kColumnBlock) == 0) {
                x += kColumnBlock - 1;
                continue;
            }
            if (plain[x] == plain[x - 1]) continue;
            // Outputs x - r .. x + r - 1 see both sides of the change.
            const int from = std::max(0, x - r);
            const int to = std::min(width_, x + r);
            if (!spans_.empty() && from <= spans_.back().second) spans_.back().second = to;
            else spans_.push_back({from, to});
        }
        if (spans_.empty()) return;
        padded_.resize(static_cast<std::size_t>(width_ + 2 * r));
        std::fill(padded_.begin(), padded_.begin() + r, plain[0]);
        std::copy(plain, plain + width_, padded_.begin() + r);
        std::fill(padded_.begin() + r + width_, padded_.end(), plain[width_ - 1]);
        const Taps& taps = acrossTaps_[c];
        const int count = static_cast<int>(taps.offset.size());
        sources_.resize(taps.offset.size());
        for (const auto& [from, to] : spans_) {
            for (int t = 0; t < count; ++t) sources_[static_cast<std::size_t>(t)] = padded_.data() + from + taps.offset[static_cast<std::size_t>(t)];
            ConvolveSpan(row + from, sources_.data(), taps.weight.data(), count, to - from);
        }
    }

    const OpticalScene& scene_;
    int width_, height_, blocks_;
    std::array<BlurKernel, 3> across_, down_;
    std::array<Taps, 3> acrossTaps_, downTaps_;
    int reachY_ = 0, ringRows_ = 2, loaded_ = 0;
    std::array<std::vector<float>, 3> ring_;
    // Per ring row: which column blocks differ from the row before, and whether any does.
    std::array<std::vector<std::uint8_t>, 3> marks_, rowChanged_;
    std::vector<std::uint8_t> window_;
    std::array<std::vector<std::uint16_t>, 3> regions_;
    std::array<std::vector<float>, 3> plain_;
    std::vector<float> padded_;
    std::vector<const float*> sources_;
    std::vector<std::pair<int, int>> spans_;
    std::vector<std::uint8_t> edge_;
    std::vector<int> border_;
    std::vector<double> sampleX_, sampleY_;
    std::vector<std::uint16_t> sampled_;
    int plainRegion_ = -1;  // the region of the row last loaded when it is one plain region
};

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
            out[0] = blue[b[width - 1]];
            out[1] = green[g[width - 1]];
            out[2] = red[r[width - 1]];
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
