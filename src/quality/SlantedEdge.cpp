// Slanted-edge SFR: per-row edge location by the centroid of the derivative, a least-squares
// line, the pixels projected onto the edge normal into quarter-pixel bins, the derivative under a
// Hamming window and its Fourier transform, corrected for the two-tap derivative's own response.
#include "quality/SlantedEdge.h"

#include "colour/ColourSpaces.h"
#include "quality/EdgeSamples.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace calvix {

namespace {

using quality::EdgeSamples;
using quality::ReadEdgeSamples;
using quality::SampleRow;

constexpr int kOversampling = 4;
constexpr int kMinAlong = 16;
constexpr int kMinHalfWidth = 8;
// The transform is evaluated on a grid of 1/256 cycle per pixel: fine enough that the linear
// interpolation of a crossing is far below the method's own error.
constexpr int kStepsPerCycle = 256;
constexpr int kPhaseTable = kStepsPerCycle * kOversampling;
static_assert((kPhaseTable & (kPhaseTable - 1)) == 0, "the phase steps wrap by a mask");

// One channel's scaled samples: every row rises from 0 to 1 across the edge.
struct Plane {
    const EdgeSamples* samples = nullptr;
    int channel = 0;
    double mid = 0.0;  // the line the fitted positions refer to
    std::size_t Rows() const { return samples->rows.size(); }
    int Width() const { return samples->width; }
    const float* Row(std::size_t i) const { return samples->Row(channel, i); }
    double Weight(std::size_t i) const { return samples->weights[static_cast<std::size_t>(channel)][i]; }
    double T(std::size_t i) const { return samples->rows[i].line - mid; }
    int Offset(std::size_t i) const { return samples->rows[i].offset; }
};

// across = a + b * (line - mid), in image coordinates.
struct Line {
    double a = 0.0;
    double b = 0.0;
    bool ok = false;
    double At(double t) const { return a + b * t; }
};

double Hamming(double t) { return 0.54 + 0.46 * std::cos(M_PI * t); }  // t in -1..1

// The centroid of each row's derivative, windowed around guess when there is one, and the line
// through them by least squares, each row weighted as its stretch.
Line FitEdge(const Plane& p, const Line* guess, double halfWindow) {
    double n = 0.0, st = 0.0, sc = 0.0, stt = 0.0, stc = 0.0;
    std::size_t used = 0, rows = 0;
    for (std::size_t i = 0; i < p.Rows(); ++i) {
        const double weight = p.Weight(i);
        if (weight <= 0.0) continue;
        ++rows;
        const float* row = p.Row(i);
        const double centre = guess != nullptr ? guess->At(p.T(i)) - p.Offset(i) : 0.0;
        double sw = 0.0, swx = 0.0;
        // The window's cosine steps by a rotation from pixel to pixel, not a call per pixel.
        const double step = guess != nullptr ? M_PI / halfWindow : 0.0;
        double re = std::cos((0.5 - centre) * step), im = std::sin((0.5 - centre) * step);
        const double stepRe = std::cos(step), stepIm = std::sin(step);
        for (int j = 0; j + 1 < p.Width(); ++j) {
            const double x = j + 0.5;  // the derivative sits between pixel centres j and j + 1
            double w = 1.0;
            if (guess != nullptr) {
                const double t = (x - centre) / halfWindow;
                w = t <= -1.0 || t >= 1.0 ? 0.0 : 0.54 + 0.46 * re;
                const double next = re * stepRe - im * stepIm;
                im = re * stepIm + im * stepRe;
                re = next;
            }
            const double d = w * (row[j + 1] - row[j]);
            sw += d;
            swx += d * x;
        }
        if (sw <= 0.0) continue;
        ++used;
        const double t = p.T(i);
        const double c = p.Offset(i) + swx / sw;
        n += weight, st += weight * t, sc += weight * c, stt += weight * t * t, stc += weight * t * c;
    }
    Line line;
    const double det = n * stt - st * st;
    if (used == 0 || used < rows / 2 || !(det > 0.0)) return line;
    line.b = (n * stc - st * sc) / det;
    line.a = (sc - line.b * st) / n;
    line.ok = true;
    return line;
}

// The half-width every row in use leaves on both sides of the fitted edge, along the normal.
int RoomAcross(const Plane& p, const Line& line) {
    const double cosine = 1.0 / std::sqrt(1.0 + line.b * line.b);
    double room = 1e9;
    for (std::size_t i = 0; i < p.Rows(); ++i) {
        if (p.Weight(i) <= 0.0) continue;
        const double e = line.At(p.T(i)) - p.Offset(i);
        room = std::min({room, e * cosine, (p.Width() - 1 - e) * cosine});
    }
    return static_cast<int>(std::floor(room - 0.5));
}

// The lines along the edge that the rows in use span, end to end.
double Extent(const Plane& p) {
    double low = 1e300, high = -1e300;
    for (std::size_t i = 0; i < p.Rows(); ++i) {
        if (p.Weight(i) <= 0.0) continue;
        low = std::min(low, p.T(i)), high = std::max(high, p.T(i));
    }
    return high > low ? high - low : 0.0;
}

struct Scratch {
    std::vector<double> sum, weight, esf, lsf;
    std::array<double, kPhaseTable> cosine{}, sine{};
};

std::optional<double> Crossing(const std::vector<MtfSample>& mtf, double level) {
    for (std::size_t j = 1; j < mtf.size(); ++j) {
        if (mtf[j].modulation >= level) continue;
        const MtfSample& a = mtf[j - 1];
        const MtfSample& b = mtf[j];
        return a.frequency + (a.modulation - level) / (a.modulation - b.modulation) * (b.frequency - a.frequency);
    }
    return std::nullopt;
}

// The supersampled edge spread along the normal, its windowed derivative and transform.
void Sfr(const Plane& p, const Line& line, int half, double maxFrequency, Scratch& s, ChannelSfr& out) {
    const int bins = 2 * half * kOversampling;
    s.sum.assign(static_cast<std::size_t>(bins), 0.0);
    s.weight.assign(static_cast<std::size_t>(bins), 0.0);
    const double cosine = 1.0 / std::sqrt(1.0 + line.b * line.b);
    for (std::size_t i = 0; i < p.Rows(); ++i) {
        const double weight = p.Weight(i);
        if (weight <= 0.0) continue;
        const float* row = p.Row(i);
        const double e = line.At(p.T(i)) - p.Offset(i);
        for (int j = 0; j < p.Width(); ++j) {
            const double d = (j - e) * cosine;
            const int k = static_cast<int>(std::floor((d + half) * kOversampling));
            if (k < 0 || k >= bins) continue;
            s.sum[static_cast<std::size_t>(k)] += weight * row[j];
            s.weight[static_cast<std::size_t>(k)] += weight;
        }
    }
    // A bin no pixel fell into takes the line between its filled neighbours.
    s.esf.assign(static_cast<std::size_t>(bins), 0.0);
    int last = -1;
    for (int k = 0; k < bins; ++k) {
        const std::size_t u = static_cast<std::size_t>(k);
        if (s.weight[u] <= 0.0) continue;
        s.esf[u] = s.sum[u] / s.weight[u];
        for (int g = last + 1; g < k; ++g) {
            s.esf[static_cast<std::size_t>(g)] = last < 0 ? s.esf[u] : s.esf[static_cast<std::size_t>(last)] +
                (s.esf[u] - s.esf[static_cast<std::size_t>(last)]) * (g - last) / (k - last);
        }
        last = k;
    }
    for (int g = last + 1; g < bins && last >= 0; ++g) s.esf[static_cast<std::size_t>(g)] = s.esf[static_cast<std::size_t>(last)];

    // Derivative k sits at m / 4 pixels from the edge, m = k + 1 - 4 * half.
    s.lsf.assign(static_cast<std::size_t>(bins - 1), 0.0);
    double dc = 0.0;
    for (int k = 0; k + 1 < bins; ++k) {
        const double x = (k + 1.0) / kOversampling - half;
        const double v = (s.esf[static_cast<std::size_t>(k + 1)] - s.esf[static_cast<std::size_t>(k)]) * Hamming(x / half);
        s.lsf[static_cast<std::size_t>(k)] = v;
        dc += v;
    }
    const int steps = static_cast<int>(std::floor(maxFrequency * kStepsPerCycle + 1e-9));
    out.mtf.resize(static_cast<std::size_t>(steps + 1));
    for (int f = 0; f <= steps; ++f) {
        double re = 0.0, im = 0.0;
        // Phase index of derivative k: f * m mod the table, m = k + 1 - 4 * half, stepping by f.
        int phase = ((f * (1 - kOversampling * half)) % kPhaseTable + kPhaseTable) % kPhaseTable;
        for (int k = 0; k + 1 < bins; ++k, phase = (phase + f) & (kPhaseTable - 1)) {
            re += s.lsf[static_cast<std::size_t>(k)] * s.cosine[static_cast<std::size_t>(phase)];
            im -= s.lsf[static_cast<std::size_t>(k)] * s.sine[static_cast<std::size_t>(phase)];
        }
        const double frequency = static_cast<double>(f) / kStepsPerCycle;
        // The two-tap difference over a quarter pixel passes sinc(f / 4) of the true derivative.
        const double arg = M_PI * frequency / kOversampling;
        const double derivative = f == 0 ? 1.0 : std::sin(arg) / arg;
        const double modulation = dc > 0.0 ? std::sqrt(re * re + im * im) / dc / derivative : 0.0;
        out.mtf[static_cast<std::size_t>(f)] = {frequency, modulation};
    }
    out.mtf50 = Crossing(out.mtf, 0.5);
    out.mtf10 = Crossing(out.mtf, 0.1);
}

SlantedEdgeResult Refuse(EdgeStatus status, std::string message) {
    SlantedEdgeResult result;
    result.status = status;
    result.message = std::move(message);
    return result;
}

}  // namespace

const char* EdgeStatusText(EdgeStatus status) {
    switch (status) {
        case EdgeStatus::Measured: return "measured";
        case EdgeStatus::TooStraight: return "edge too close to the pixel grid for the slanted-edge method";
        case EdgeStatus::TooSteep: return "edge leans too far from the pixel grid for the slanted-edge method";
        case EdgeStatus::BadRegion: return "region unusable for the slanted-edge method";
        case EdgeStatus::NoEdge: return "no edge in the region";
    }
    return "unknown";
}

const ChannelLinearisation& SrgbLinearisation() {
    static const ChannelLinearisation table = [] {
        ChannelLinearisation t{};
        for (std::size_t v = 0; v < 256; ++v) {
            const float linear = static_cast<float>(SrgbToLinear(static_cast<double>(v) / 255.0));
            t[0][v] = t[1][v] = t[2][v] = linear;
        }
        return t;
    }();
    return table;
}

SlantedEdgeResult MeasureSlantedEdge(const ScanBitmap& image, const EdgeWindows& windows, const SlantedEdgeSettings& settings) {
    char text[200];
    if (windows.width < 2 * kMinHalfWidth + 2) {
        std::snprintf(text, sizeof text, "a window %d px across is too narrow: at least %d", windows.width, 2 * kMinHalfWidth + 2);
        return Refuse(EdgeStatus::BadRegion, text);
    }
    EdgeSamples samples;
    std::string why;
    const ChannelLinearisation& lin = settings.linearisation != nullptr ? *settings.linearisation : SrgbLinearisation();
    if (!ReadEdgeSamples(image, windows, lin, &samples, &why)) return Refuse(EdgeStatus::BadRegion, why);
    if (samples.rows.size() < static_cast<std::size_t>(kMinAlong)) {
        std::snprintf(text, sizeof text, "%zu lines along the edge lie inside the image, needs %d", samples.rows.size(), kMinAlong);
        return Refuse(EdgeStatus::BadRegion, text);
    }
    double low = samples.rows.front().line, high = low;
    for (const SampleRow& row : samples.rows) low = std::min(low, row.line), high = std::max(high, row.line);

    SlantedEdgeResult result;
    result.stretches = samples.stretches;
    result.clippedStretches = samples.clippedStretches;
    result.usedStretches = samples.usedStretches;
    std::array<Plane, SfrChannelCount> planes{};
    std::array<Line, SfrChannelCount> lines{};
    int half = settings.maxHalfWidth;
    for (std::size_t c = 0; c < SfrChannelCount; ++c) {
        planes[c] = Plane{&samples, static_cast<int>(c), (low + high) / 2.0};
        const Line first = FitEdge(planes[c], nullptr, 0.0);
        if (!first.ok) {
            if (samples.largestStep[c] > 0.0) {
                std::snprintf(text, sizeof text, "no edge of usable contrast (channel %zu, step %.4f in linear light)", c,
                              samples.largestStep[c]);
            } else {
                std::snprintf(text, sizeof text, "no edge of usable contrast (channel %zu): %d of %d stretch(es) clipped at 0 or 255",
                              c, samples.clippedStretches, samples.stretches);
            }
            SlantedEdgeResult refused = Refuse(EdgeStatus::NoEdge, text);
            refused.stretches = samples.stretches;
            refused.clippedStretches = samples.clippedStretches;
            return refused;
        }
        const int room = std::min(half, RoomAcross(planes[c], first));
        lines[c] = room >= kMinHalfWidth ? FitEdge(planes[c], &first, room) : first;
        if (!lines[c].ok) return Refuse(EdgeStatus::NoEdge, "the edge's location is lost under the window");
        half = std::min(half, RoomAcross(planes[c], lines[c]));
    }

    const Line& luminance = lines[SfrLuminance];
    const double angle = std::atan(luminance.b) * 180.0 / M_PI;
    result.phaseShift = std::abs(luminance.b) * Extent(planes[SfrLuminance]);
    if (std::abs(angle) > settings.maxAngleDegrees) {
        std::snprintf(text, sizeof text, "%s (%.2f degrees, at most %.1f)", EdgeStatusText(EdgeStatus::TooSteep), angle,
                      settings.maxAngleDegrees);
        return Refuse(EdgeStatus::TooSteep, text);
    }
    if (result.phaseShift < settings.minPhaseShift) {
        std::snprintf(text, sizeof text, "%s (%.2f degrees: the edge moves %.2f px across the region, needs %.1f)",
                      EdgeStatusText(EdgeStatus::TooStraight), angle, result.phaseShift, settings.minPhaseShift);
        SlantedEdgeResult refused = Refuse(EdgeStatus::TooStraight, text);
        refused.phaseShift = result.phaseShift;
        return refused;
    }
    if (half < kMinHalfWidth) {
        std::snprintf(text, sizeof text, "the region leaves %d px on one side of the edge, needs %d", half, kMinHalfWidth);
        return Refuse(EdgeStatus::BadRegion, text);
    }

    result.status = EdgeStatus::Measured;
    result.halfWidth = half;
    Scratch scratch;
    for (int m = 0; m < kPhaseTable; ++m) {
        scratch.cosine[static_cast<std::size_t>(m)] = std::cos(2.0 * M_PI * m / kPhaseTable);
        scratch.sine[static_cast<std::size_t>(m)] = std::sin(2.0 * M_PI * m / kPhaseTable);
    }
    for (std::size_t c = 0; c < SfrChannelCount; ++c) {
        ChannelSfr& out = result.channel[c];
        out.slope = lines[c].b;
        out.angleDegrees = std::atan(lines[c].b) * 180.0 / M_PI;
        out.position = lines[c].a;
        Sfr(planes[c], lines[c], half, settings.maxFrequency, scratch, out);
    }
    return result;
}

SlantedEdgeResult MeasureSlantedEdge(const ScanBitmap& image, const PixelRegion& r, EdgeOrientation orientation,
                                     const SlantedEdgeSettings& settings) {
    char text[200];
    if (r.width <= 0 || r.height <= 0 || r.x < 0 || r.y < 0 || r.x > image.Width() - r.width || r.y > image.Height() - r.height) {
        std::snprintf(text, sizeof text, "region %d,%d %dx%d is not inside the %dx%d image", r.x, r.y, r.width, r.height,
                      image.Width(), image.Height());
        return Refuse(EdgeStatus::BadRegion, text);
    }
    const bool vertical = orientation == EdgeOrientation::NearVertical;
    const int along = vertical ? r.height : r.width;
    const int across = vertical ? r.width : r.height;
    if (along < kMinAlong || across < 2 * kMinHalfWidth + 2) {
        std::snprintf(text, sizeof text, "region %dx%d is too small: at least %d pixels along the edge and %d across",
                      r.width, r.height, kMinAlong, 2 * kMinHalfWidth + 2);
        return Refuse(EdgeStatus::BadRegion, text);
    }
    EdgeWindows windows;
    windows.orientation = orientation;
    windows.width = across;
    windows.stretches.push_back({vertical ? r.y : r.x, along, static_cast<double>(vertical ? r.x : r.y), 0.0});
    return MeasureSlantedEdge(image, windows, settings);
}

}  // namespace calvix
