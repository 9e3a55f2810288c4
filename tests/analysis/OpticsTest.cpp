// The emulated scanner's optics measured on rendered images, each against its known truth: edge
// widths of the Gaussian, greys kept and colours moved by the crosstalk, the corners' loss of
// light, the channels' shifts, the box's width at a sampling scale, the shot noise's variance.
#include "ChartRenderer.h"
#include "OpticsTruth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace calvix {
namespace {

constexpr int kRow = 700;           // a row through the box's sides, far from any patch edge
constexpr double kCardEdgeX = 102.5;  // page background | card, the box's left line at 165
constexpr double kCardEdgeY = 37.5;   // the same above the top line at 100

RenderOptions Plain() {
    RenderOptions options;
    options.pageHeight = 1600;
    options.tone.channel.fill(ChannelResponse{1.0, 0.0, 1.0});  // raw = 1023 * encoded
    return options;
}

// IEC 61966-2-1 decoding of an 8-bit raw / 4 value, taken at the middle of its raw bin.
double Linear(const ScanBitmap& image, int x, int y, int c) {
    const double v = (4.0 * image.Row(y)[3 * x + 2 - c] + 1.5) / 1023.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// Where a rising or falling profile first crosses low + fraction * (high - low), by linear
// interpolation between samples; low and high are the profile's first and last five samples.
double Crossing(const std::vector<double>& p, double fraction) {
    double low = 0.0, high = 0.0;
    for (int i = 0; i < 5; ++i) low += p[static_cast<std::size_t>(i)] / 5, high += p[p.size() - 1 - static_cast<std::size_t>(i)] / 5;
    const double level = low + fraction * (high - low);
    for (std::size_t i = 1; i < p.size(); ++i) {
        if ((p[i - 1] - level) * (p[i] - level) <= 0.0 && p[i] != p[i - 1]) return i - 1 + (level - p[i - 1]) / (p[i] - p[i - 1]);
    }
    return NAN;
}

// Channel c across the card's left edge (along the row) or its top edge (down column 1000).
std::vector<double> EdgeProfile(const ScanBitmap& image, int c, bool across, int& origin) {
    origin = across ? 70 : 5;
    std::vector<double> p;
    for (int i = origin; i < origin + 66; ++i) p.push_back(across ? Linear(image, i, kRow, c) : Linear(image, 1000, i, c));
    return p;
}

double EdgeWidth(const ScanBitmap& image, int c) {
    int origin = 0;
    const std::vector<double> p = EdgeProfile(image, c, true, origin);
    return Crossing(p, 0.9) - Crossing(p, 0.1);
}

// 10-90 % width of the card's left edge tilted by a small rotation: each row's samples placed by
// their distance from that row's 50 % crossing and averaged in bins of 0.1 pixel, so the edge is
// seen at every sub-pixel phase (the slanted-edge method).
double SlantedEdgeWidth(const ScanBitmap& image, int c) {
    constexpr double kBin = 0.1;
    constexpr int kHalf = 150;
    constexpr int kTop = 300, kRows = 800, kLeft = 60, kSpan = 90;
    // The edge's line fitted to the rows' crossings: one row's crossing carries its phase's bias.
    std::vector<std::vector<double>> rows;
    double sy = 0, sx = 0, syy = 0, sxy = 0;
    for (int y = kTop; y < kTop + kRows; ++y) {
        std::vector<double>& p = rows.emplace_back();
        for (int x = kLeft; x < kLeft + kSpan; ++x) p.push_back(Linear(image, x, y, c));
        const double edge = kLeft + Crossing(p, 0.5);
        sy += y, sx += edge, syy += 1.0 * y * y, sxy += y * edge;
    }
    const double slope = (kRows * sxy - sy * sx) / (kRows * syy - sy * sy);
    const double intercept = (sx - slope * sy) / kRows;
    std::vector<double> sum(2 * kHalf), count(2 * kHalf);
    for (int y = kTop; y < kTop + kRows; ++y) {
        const double edge = intercept + slope * y;
        for (int x = kLeft; x < kLeft + kSpan; ++x) {
            const int b = static_cast<int>(std::floor((x - edge) / kBin)) + kHalf;
            if (b < 0 || b >= 2 * kHalf) continue;
            sum[static_cast<std::size_t>(b)] += rows[static_cast<std::size_t>(y - kTop)][static_cast<std::size_t>(x - kLeft)];
            ++count[static_cast<std::size_t>(b)];
        }
    }
    std::vector<double> spread;
    for (std::size_t b = 0; b < sum.size(); ++b) spread.push_back(sum[b] / std::max(1.0, count[b]));
    return (Crossing(spread, 0.9) - Crossing(spread, 0.1)) * kBin;
}

double EdgeAt(const ScanBitmap& image, int c, bool across) {
    int origin = 0;
    const std::vector<double> p = EdgeProfile(image, c, across, origin);
    return origin + Crossing(p, 0.5);
}

// Middle of the box's left or right line in the row: the darkness-weighted centroid around the
// darkest pixel 20 to 80 pixels inside the card's outer edge.
double LineMiddle(const ScanBitmap& image, bool left) {
    const std::uint8_t* row = image.Row(kRow);
    int card = left ? 0 : image.Width() - 1;
    while (row[3 * card + 1] < 60) card += left ? 1 : -1;
    const int from = left ? card + 20 : card - 80;
    const int to = from + 60;
    int darkest = from;
    for (int x = from; x < to; ++x) if (row[3 * x + 1] < row[3 * darkest + 1]) darkest = x;
    double sum = 0.0, weight = 0.0;
    for (int x = darkest - 6; x <= darkest + 6; ++x) {
        const double w = std::max(0, 100 - row[3 * x + 1]);
        sum += w * x, weight += w;
    }
    return sum / weight;
}

double BlockMean(const ScanBitmap& image, int x0, int y0, int c, bool linear) {
    double sum = 0.0;
    for (int y = y0; y < y0 + 21; ++y)
        for (int x = x0; x < x0 + 21; ++x) sum += linear ? Linear(image, x, y, c) : 4.0 * image.Row(y)[3 * x + 2 - c];
    return sum / (21 * 21);
}

// The most saturated patch whose channels all stay clear of the ends; its centre by the
// raster's layout: 24 x 16 cells, patch row r and column k in cell (k + 1, r + 1).
Point SaturatedPatch(const RenderOptions& o) {
    const ChartColours colours = SyntheticChartColours();
    double best = -1.0;
    Point centre{};
    for (int r = 0; r < ChartPatchRows; ++r) {
        for (int k = 0; k < ChartPatchColumns; ++k) {
            const EncodedRgb e = XyzD50ToSrgb(colours.patches[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)]);
            const double lo = std::min({e.r, e.g, e.b}), hi = std::max({e.r, e.g, e.b});
            if (lo < 0.15 || hi > 0.9 || hi - lo <= best) continue;
            best = hi - lo;
            centre = {static_cast<int>(o.boxLeft + (k + 1.5) * o.boxWidth / 24.0), static_cast<int>(o.boxTop + (r + 1.5) * o.boxHeight / 16.0)};
        }
    }
    return centre;
}

constexpr std::array<double, 9> kCrosstalk{0.8, 0.15, 0.05, 0.1, 0.8, 0.1, 0.05, 0.25, 0.7};

struct OpticsCase {
    const char* name;
    bool blank;  // blank paper instead of the chart
    std::function<void(RenderOptions&)> set;
    // The figure measured on the render with the optics (and, where it needs one, the plain one).
    std::function<double(const ScanBitmap& optical, const ScanBitmap& plain, const RenderOptions& o)> measure;
    double expected;
    double tolerance;
};

class OpticsTruthTest : public ::testing::TestWithParam<OpticsCase> {};

TEST_P(OpticsTruthTest, MeasuredOnTheRenderAsTheTruthSays) {
    const OpticsCase& c = GetParam();
    RenderOptions options = Plain();
    c.set(options);
    const bool blank = c.blank;
    const ChartColours colours = SyntheticChartColours();
    const ScanBitmap optical = blank ? RenderBlankPage(options) : RenderChart(colours, options).image;
    static const ScanBitmap plainChart = RenderChart(colours, Plain()).image;  // the same for every case
    const ScanBitmap& plain = plainChart;  // blank cases do not read it
    EXPECT_NEAR(c.measure(optical, plain, options), c.expected, c.tolerance);
}

void PrintTo(const OpticsCase& c, std::ostream* out) { *out << c.name; }

const auto kWidth = [](int channel) {
    return [channel](const ScanBitmap& image, const ScanBitmap&, const RenderOptions&) { return SlantedEdgeWidth(image, channel); };
};
const auto kShift = [](int channel, bool across) {
    return [channel, across](const ScanBitmap& image, const ScanBitmap&, const RenderOptions&) {
        return EdgeAt(image, channel, across) - EdgeAt(image, 1, across);
    };
};

INSTANTIATE_TEST_SUITE_P(
    Effects, OpticsTruthTest,
    ::testing::Values(
        // The 10-90 % width of a Gaussian-blurred edge is 2.563 sigma.
        OpticsCase{"Blur1_5", false, [](RenderOptions& o) { o.optics.blurSigma.fill(1.5), o.rotationDegrees = 2; }, kWidth(1), 2.563 * 1.5, 0.05 * 2.563 * 1.5},
        OpticsCase{"Blur3", false, [](RenderOptions& o) { o.optics.blurSigma.fill(3.0), o.rotationDegrees = 2; }, kWidth(1), 2.563 * 3.0, 0.05 * 2.563 * 3.0},
        OpticsCase{"BlurOfBlueOnly", false, [](RenderOptions& o) { o.optics.blurSigma = {0.0, 0.0, 2.0}, o.rotationDegrees = 2; }, kWidth(2), 2.563 * 2.0, 0.05 * 2.563 * 2.0},
        // A sharp edge steps within one pixel: its crossings lie 0.8 pixel apart.
        OpticsCase{"RedSharpWhenBlueBlurs", false, [](RenderOptions& o) { o.optics.blurSigma = {0.0, 0.0, 2.0}; },
                   [](const ScanBitmap& image, const ScanBitmap&, const RenderOptions&) { return EdgeWidth(image, 0); }, 0.8, 0.05},
        OpticsCase{"CardEdgeAtItsPlace", false, [](RenderOptions& o) { o.optics.blurSigma.fill(2.0); },
                   [](const ScanBitmap& image, const ScanBitmap&, const RenderOptions&) { return EdgeAt(image, 1, true); },
                   kCardEdgeX, 0.1},
        OpticsCase{"RedMovesHalfAPixelRight", false, [](RenderOptions& o) { o.optics.misregister = {0.5, 0, 0, 0}; }, kShift(0, true), 0.5, 0.1},
        OpticsCase{"BlueMovesUpThroughBlur", false,
                   [](RenderOptions& o) { o.optics.misregister = {0, 0, 0, -0.5}, o.optics.blurSigma.fill(1.0); },
                   kShift(2, false), -0.5, 0.1},
        OpticsCase{"RedMovesTwoAndAQuarterDown", false,
                   [](RenderOptions& o) { o.optics.misregister = {0, 2.25, 0, 0}, o.optics.blurSigma.fill(1.2); },
                   kShift(0, false), 2.25, 0.1},
        // Blur and shifts leave flat areas as they were, up to the page's first column.
        OpticsCase{"FlatAreasKeepTheirLevels", false,
                   [](RenderOptions& o) { o.optics.misregister = {0.5, 0, 0, 0}, o.optics.blurSigma.fill(1.5); },
                   [](const ScanBitmap& image, const ScanBitmap& plain, const RenderOptions&) {
                       int worst = 0;
                       for (int y = 300; y < 1100; ++y)
                           for (int x : {0, 1, 2, 125, 140}) {
                               for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(image.Row(y)[3 * x + c] - plain.Row(y)[3 * x + c]));
                           }
                       return worst;
                   },
                   0.0, 1.0},
        // Greys keep R = G = B under rows that sum to 1; a saturated patch moves by the matrix.
        OpticsCase{"GreysStayGrey", false, [](RenderOptions& o) { o.optics.crosstalk = kCrosstalk; },
                   [](const ScanBitmap& image, const ScanBitmap&, const RenderOptions& o) {
                       double spread = 0.0;
                       for (int i = 0; i < ChartGreyCount; ++i) {
                           const int x = static_cast<int>(o.boxLeft + (i + 0.5) * o.boxWidth / 24.0);
                           const PackedColour p = image.Pixel(x, static_cast<int>(o.boxTop + 15 * o.boxHeight / 16.0));
                           spread = std::max<double>(spread, std::max({RedOf(p), GreenOf(p), BlueOf(p)}) -
                                                                 std::min({RedOf(p), GreenOf(p), BlueOf(p)}));
                       }
                       return spread;
                   },
                   0.0, 1.0},
        OpticsCase{"SaturatedPatchMovesByTheMatrix", false, [](RenderOptions& o) { o.optics.crosstalk = kCrosstalk; },
                   [](const ScanBitmap& image, const ScanBitmap& plain, const RenderOptions& o) {
                       const Point at = SaturatedPatch(o);
                       double worst = 0.0;
                       for (int row = 0; row < 3; ++row) {
                           double expected = 0.0;
                           for (int k = 0; k < 3; ++k) expected += kCrosstalk[static_cast<std::size_t>(3 * row + k)] * Linear(plain, at.x, at.y, k);
                           worst = std::max(worst, std::abs(Linear(image, at.x, at.y, row) - expected));
                       }
                       return worst;
                   },
                   0.0, 0.006},
        // Blank paper: the corner blocks against the centre block, in linear light.
        OpticsCase{"FalloffOf6AtTheCorners", true, [](RenderOptions& o) { o.optics.falloffPercent = 6, o.noiseSigma = 4; },
                   [](const ScanBitmap& image, const ScanBitmap&, const RenderOptions& o) {
                       double worst = 6.0;  // the channel's loss furthest from it
                       for (int c = 0; c < 3; ++c) {
                           double corners = 0.0;
                           for (const Point p : {Point{0, 0}, Point{o.pageWidth - 21, 0}, Point{0, o.pageHeight - 21}, Point{o.pageWidth - 21, o.pageHeight - 21}})
                               corners += BlockMean(image, p.x, p.y, c, true) / 4;
                           const double loss = 100.0 * (1.0 - corners / BlockMean(image, o.pageWidth / 2 - 10, o.pageHeight / 2 - 10, c, true));
                           if (std::abs(loss - 6.0) > std::abs(worst - 6.0)) worst = loss;
                       }
                       return worst;
                   },
                   6.0, 0.3},
        OpticsCase{"ScaleOf0_99", false, [](RenderOptions& o) { o.optics.scale = 0.99; },
                   [](const ScanBitmap& image, const ScanBitmap&, const RenderOptions&) {
                       return LineMiddle(image, false) - LineMiddle(image, true);
                   },
                   1980.0, 2.0},
        OpticsCase{"ScaleOf1_02", false, [](RenderOptions& o) { o.optics.scale = 1.02; },
                   [](const ScanBitmap& image, const ScanBitmap&, const RenderOptions&) {
                       return LineMiddle(image, false) - LineMiddle(image, true);
                   },
                   2040.0, 2.0},
        // Photon noise: the variance over blank paper is K times the mean raw level.
        OpticsCase{"ShotNoiseVarianceGrowsWithTheLevel", true,
                   [](RenderOptions& o) { o.optics.shotNoise = 1.0, o.tone.channel.fill({0.8, 0.0, 1.0}); },
                   [](const ScanBitmap& image, const ScanBitmap&, const RenderOptions&) {
                       double sum = 0.0, squares = 0.0;
                       const int n = 200 * 200;
                       for (int y = 500; y < 700; ++y)
                           for (int x = 500; x < 700; ++x) {
                               const double raw = 4.0 * image.Row(y)[3 * x + 1] + 1.5;
                               sum += raw, squares += raw * raw;
                           }
                       const double mean = sum / n;
                       return (squares / n - mean * mean - 16.0 / 12.0) / mean;
                   },
                   1.0, 0.05}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OpticsTruth, NamesTheValuesInForceAndWhatTheyImply) {
    RenderOptions options = Plain();
    options.optics.blurSigma = {1.5, 1.5, 0.0};
    options.optics.falloffPercent = 6;
    options.optics.scale = 0.99;
    options.optics.misregister = {0.5, 0, -1, 0.25};
    const RenderedChart chart = RenderChart(SyntheticChartColours(), options);
    const std::string json = TruthJson(TruthOf(options, &chart));
    // sqrt(ln 2 / (2 pi^2 2.25)) and sqrt(ln 10 / (2 pi^2 2.25)); a sharp channel has none.
    for (const char* member : {"\"mtf50_cy_px\": [0.124927, 0.124927, null]", "\"mtf10_cy_px\": [0.227694, 0.227694, null]",
                               "\"corners_percent\": 6,", "\"effective_ppi\": 396}", "\"red\": [0.5, 0]", "\"blue\": [-1, 0.25]",
                               "\"corners_px\": [[163.35, 99], [2143.35, 99], [163.35, 1435.5], [2143.35, 1435.5]]"})
        EXPECT_NE(json.find(member), std::string::npos) << member << "\n" << json;
    EXPECT_NE(TruthJson(TruthOf(options, nullptr)).find("\"chart\": null"), std::string::npos);
}

}  // namespace
}  // namespace calvix

namespace calvix {
namespace {

// The optical path's output stage against the plain render: with the optics on but doing next
// to nothing (a fall-off far below one level), the page is the plain render's within a level —
// but at region borders, which the optics cover by area and the plain render by point — the last
// column included (also on a page cut off just past the box's left line, so that its last column,
// card, follows line); and with noise every channel's mean over a patch is too.
TEST(OpticalOutput, AnAlmostIdleOpticalPathDeliversThePlainRenderByteForByte) {
    for (const auto& [noise, pageWidth] : {std::pair{0.0, 2331}, {2.0, 2331}, {0.0, 169}}) {
        SCOPED_TRACE(noise);
        RenderOptions plain = Plain();
        plain.noiseSigma = noise;
        plain.pageWidth = pageWidth;
        // Channels apart, offsets of both signs, red clipping at raw 1023; with noise, tables parting raw 0 from 1.
        plain.tone.channel = {ChannelResponse{1.15, 0.0, 1.0}, {1.0, -0.03, 1.2}, {0.9, 0.05, 0.9}};
        std::array<ChannelTable, 3> lifting{};
        for (std::size_t raw = 0; raw < 1024; ++raw)
            lifting[0][raw] = lifting[1][raw] = lifting[2][raw] =
                static_cast<std::uint8_t>(std::lround(255 * std::pow(raw / 1023.0, 0.45)));
        if (noise > 0.0) plain.tables = &lifting;
        RenderOptions optical = plain;
        optical.optics.falloffPercent = 1e-6;
        const ScanBitmap a = RenderChart(SyntheticChartColours(), plain).image;
        const ScanBitmap b = RenderChart(SyntheticChartColours(), optical).image;
        ASSERT_EQ(a.Width(), b.Width());
        ASSERT_EQ(a.Height(), b.Height());
        const std::size_t rowBytes = 3 * static_cast<std::size_t>(a.Width());
        std::size_t off = 0, bytes = 0;
        for (int y = 0; y < a.Height() && noise == 0.0; y += 7) {
            for (std::size_t i = 0; i < rowBytes; ++i, ++bytes) off += std::abs(a.Row(y)[i] - b.Row(y)[i]) > 1;
            for (std::size_t i = rowBytes - 3; i < rowBytes; ++i) ASSERT_LE(std::abs(a.Row(y)[i] - b.Row(y)[i]), 1) << y;
        }
        if (noise == 0.0) {
            EXPECT_LT(off, bytes / 50);
        }
        if (pageWidth < 2331) {
            // Black paper: linear 0, the tone curve's first step, which the blue offset lifts.
            EXPECT_EQ(RenderBlankPage(plain, 0.0).Pixel(5, 5), RenderBlankPage(optical, 0.0).Pixel(5, 5));
            continue;
        }
        // A colour patch in row B, the lightest grey and the page's right edge, channel by channel.
        for (const auto& [x0, y0] : {std::pair{445, 296}, std::pair{192, 1351}, std::pair{a.Width() - 40, 1200}}) {
            std::array<double, 3> sumA{}, sumB{};
            for (int y = y0; y < y0 + 30; ++y)
                for (int x = x0; x < x0 + 30; ++x)
                    for (int c = 0; c < 3; ++c) sumA[c] += a.Row(y)[3 * x + c], sumB[c] += b.Row(y)[3 * x + c];
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(sumA[c] / 900.0, sumB[c] / 900.0, 0.3) << x0 << " channel " << c;
        }
    }
}

}  // namespace
}  // namespace calvix
