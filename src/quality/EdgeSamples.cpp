// Edge samples: each line's window read into linear light, then every stretch scaled per channel
// by the means of a few pixels at each end of its rows, where the blurred edge has settled.
#include "quality/EdgeSamples.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace calvix::quality {

namespace {

constexpr int kSideMeanPixels = 4;  // at each end of a row, for the stretch's two sides
// A stretch's step below this share of the channel's largest step is left out: scaled up, its
// noise would weigh as much as a clear edge's in the line fit's centroids.
constexpr double kMinShareOfLargestStep = 0.15;
// Linear-light step below which a centroid follows noise, not an edge.
constexpr double kMinStep = 0.01;
// Pixels at 0 or 255 allowed in a stretch's channel: a noisy side near a clip reaches it now and
// then without bending the mean; more means the side lies beyond the clip.
constexpr double kMaxClippedShare = 0.01;

struct StretchSides {
    std::array<double, SfrChannelCount> start{}, end{};
    std::array<int, 3> clipped{};
    int rows = 0;
};

}  // namespace

bool ReadEdgeSamples(const ScanBitmap& image, const EdgeWindows& windows, const ChannelLinearisation& linear,
                     EdgeSamples* samples, std::string* why) {
    EdgeSamples& s = *samples;
    s = EdgeSamples{};
    s.width = windows.width;
    const bool vertical = windows.orientation == EdgeOrientation::NearVertical;
    const int alongSize = vertical ? image.Height() : image.Width();
    const int acrossSize = vertical ? image.Width() : image.Height();
    const std::size_t width = static_cast<std::size_t>(windows.width);
    std::vector<StretchSides> sides(windows.stretches.size());
    for (std::size_t k = 0; k < windows.stretches.size(); ++k) {
        const EdgeStretch& stretch = windows.stretches[k];
        for (int n = 0; n < stretch.lineCount; ++n) {
            const int line = stretch.firstLine + n;
            const long start = std::lround(stretch.windowStart + stretch.windowSlope * n);
            if (line < 0 || line >= alongSize || start < 0 || start + windows.width > acrossSize) continue;
            s.rows.push_back({static_cast<double>(line), static_cast<int>(start), static_cast<int>(k)});
            for (auto& v : s.values) v.resize(s.rows.size() * width);
            const std::size_t base = (s.rows.size() - 1) * width;
            StretchSides& side = sides[k];
            ++side.rows;
            for (std::size_t j = 0; j < width; ++j) {
                const int x = vertical ? static_cast<int>(start) + static_cast<int>(j) : line;
                const int y = vertical ? line : static_cast<int>(start) + static_cast<int>(j);
                const std::uint8_t* px = image.Row(y) + 3 * static_cast<std::size_t>(x);
                const std::uint8_t level[3] = {px[2], px[1], px[0]};
                float value[SfrChannelCount];
                for (std::size_t c = 0; c < 3; ++c) {
                    value[c] = linear[c][level[c]];
                    side.clipped[c] += level[c] == 0 || level[c] == 255;
                }
                value[SfrLuminance] = 0.2126f * value[0] + 0.7152f * value[1] + 0.0722f * value[2];  // Rec. 709
                for (std::size_t c = 0; c < SfrChannelCount; ++c) {
                    s.values[c][base + j] = value[c];
                    if (static_cast<int>(j) < kSideMeanPixels) side.start[c] += value[c];
                    if (j >= width - kSideMeanPixels) side.end[c] += value[c];
                }
            }
        }
    }
    if (s.rows.empty()) {
        char text[120];
        std::snprintf(text, sizeof text, "no line of the edge's %zu stretch(es) lies inside the %dx%d image",
                      windows.stretches.size(), image.Width(), image.Height());
        *why = text;
        return false;
    }

    // Each channel's step per stretch; a clipped channel clips the luminance too.
    std::array<std::vector<double>, SfrChannelCount> step, weight;
    std::vector<std::array<bool, SfrChannelCount>> clipped(sides.size());
    for (std::size_t k = 0; k < sides.size(); ++k) {
        StretchSides& side = sides[k];
        if (side.rows == 0) continue;
        ++s.stretches;
        const double pixels = static_cast<double>(side.rows) * windows.width;
        for (std::size_t c = 0; c < 3; ++c) clipped[k][c] = side.clipped[c] > kMaxClippedShare * pixels;
        clipped[k][SfrLuminance] = clipped[k][0] || clipped[k][1] || clipped[k][2];
        s.clippedStretches += clipped[k][SfrLuminance];
    }
    for (std::size_t c = 0; c < SfrChannelCount; ++c) {
        step[c].assign(sides.size(), 0.0);
        weight[c].assign(sides.size(), 0.0);
        for (std::size_t k = 0; k < sides.size(); ++k) {
            StretchSides& side = sides[k];
            if (side.rows == 0) continue;
            side.start[c] /= side.rows * kSideMeanPixels;
            side.end[c] /= side.rows * kSideMeanPixels;
            step[c][k] = side.end[c] - side.start[c];
            if (!clipped[k][c]) s.largestStep[c] = std::max(s.largestStep[c], std::abs(step[c][k]));
        }
        for (std::size_t k = 0; k < sides.size(); ++k) {
            const double a = std::abs(step[c][k]);
            if (sides[k].rows == 0 || clipped[k][c] || a < kMinStep || a < kMinShareOfLargestStep * s.largestStep[c]) continue;
            weight[c][k] = a * a;
            if (c == SfrLuminance) ++s.usedStretches;
        }
    }
    for (std::size_t c = 0; c < SfrChannelCount; ++c) {
        s.weights[c].resize(s.rows.size());
        for (std::size_t i = 0; i < s.rows.size(); ++i) {
            const std::size_t k = static_cast<std::size_t>(s.rows[i].stretch);
            s.weights[c][i] = weight[c][k];
            if (weight[c][k] <= 0.0) continue;
            float* row = s.values[c].data() + i * width;
            const double origin = sides[k].start[c], scale = 1.0 / step[c][k];
            for (std::size_t j = 0; j < width; ++j) row[j] = static_cast<float>((row[j] - origin) * scale);
        }
    }
    return true;
}

}  // namespace calvix::quality
