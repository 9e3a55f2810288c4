// Convolution only where it changes something: across by spans of the row around its changes
// of level, down by blocks of columns that differ within the kernel's rows. The rest of the page
// (paper, background, patch interiors) stays at its level under any blur, and skipping it is
// most of the speed.
#include "RowPipeline.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace calvix {

namespace {

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

}  // namespace

RowPipeline::RowPipeline(const OpticalScene& scene, const RenderOptions& options, int width, int height)
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

void RowPipeline::OutputRow(int y, std::size_t c, float* out) {
    while (loaded_ < height_ && loaded_ <= y + reachY_) LoadRow(loaded_++);
    const int r = down_[c].radius;
    // A column block no edge crosses within the kernel's rows is plain there, moved or not.
    // Locals: stores of bytes may alias any member, which would be reloaded at every block.
    const int blocks = blocks_;
    std::uint8_t* __restrict window = window_.data();
    std::fill(window, window + blocks, 0);
    bool edge = false;
    for (int s = std::max(1, y - r + 1); s <= std::min(height_ - 1, y + r); ++s) {
        if (rowChanged_[c][Slot(s)] == 0) continue;
        edge = true;
        const std::uint8_t* __restrict marks = Marks(c, s);
        for (int b = 0; b < blocks; ++b) window[b] |= marks[b];
    }
    const float* here = Row(c, y);
    if (!edge) {
        std::memcpy(out, here, sizeof(float) * static_cast<std::size_t>(width_));
        return;
    }
    const Taps& taps = downTaps_[c];
    const int count = static_cast<int>(taps.offset.size());
    sources_.resize(taps.offset.size());
    for (int b = 0; b < blocks;) {
        const std::uint8_t convolve = window[b];
        const int x0 = b * kColumnBlock;
        while (b < blocks && window[b] == convolve) ++b;
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

void RowPipeline::ShiftRegionRows(int s) {
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

void RowPipeline::LoadRow(int s) {
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

void RowPipeline::FindBorder(const std::uint16_t* above, const std::uint16_t* here, const std::uint16_t* below) {
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

void RowPipeline::Cover(int y) {
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

void RowPipeline::BlurAcross(float* row, const float* plain, std::size_t c) {
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

}  // namespace calvix
