// Tests of the slanted-edge sharpness and registration figures against charts the emulated Q71
// renders with known Gaussian blur, rotation and channel misregistration.
#include "quality/ChartSharpness.h"

#include "ChartRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace calvix {
namespace {

double TruthMtf(double sigma, double level) { return std::sqrt(std::log(1.0 / level) / (2.0 * M_PI * M_PI * sigma * sigma)); }

// A calibrated scanner's tables in miniature, and their decoder: raw below 80 goes to 0 (the
// scanner background, 0.03 encoded, and the box line), above 960 to 255, linear in between; the
// ideal sensor's raw is 1023 times the encoded sRGB value.
struct Clip {
    std::array<ChannelTable, 3> tables{};
    ChannelLinearisation linear{};
};
const Clip& ClipTables() {
    static const Clip clip = [] {
        Clip c;
        for (int raw = 0; raw < 1024; ++raw)
            c.tables[0][static_cast<std::size_t>(raw)] = static_cast<std::uint8_t>(std::lround(std::clamp((raw - 80) * 255.0 / 880, 0.0, 255.0)));
        c.tables[1] = c.tables[2] = c.tables[0];
        for (std::size_t level = 0; level < 256; ++level) {
            const double v = (80 + level * 880 / 255.0) / 1023.0;
            c.linear[0][level] = c.linear[1][level] = c.linear[2][level] = static_cast<float>(std::pow((v + 0.055) / 1.055, 2.4));
        }
        return c;
    }();
    return clip;
}

RenderedChart Render(std::array<double, 3> sigma, double rotation, std::array<double, 4> misregister, double noise = 0.0,
                     double scale = 1.0, bool clipped = false) {
    RenderOptions options;
    if (clipped) options.tables = &ClipTables().tables;
    options.noiseSigma = noise;
    options.optics.scale = scale;
    // Off the nominal place, as a fed sheet lands: the top side keeps less background above it.
    options.shiftX = scale != 1.0 ? 20 : 0;
    options.shiftY = scale != 1.0 ? -8 : 0;
    options.pageHeight = 1600;  // the box and the card below it, not the whole page
    options.rotationDegrees = rotation;
    options.optics.blurSigma = sigma;
    options.optics.misregister = misregister;
    return RenderChart(SyntheticChartColours(), options);
}

struct TruthCase {
    const char* name;
    std::array<double, 3> sigma;
    double rotation;
    std::array<double, 4> misregister;  // red x, red y, blue x, blue y
    double noise = 0.0;                 // raw units
    double scale = 1.0;                 // with it, a shifted sheet
    bool clipped = false;               // through the clipping tables
};

void PrintTo(const TruthCase& c, std::ostream* os) { *os << c.name; }

class ChartSharpnessTruth : public ::testing::TestWithParam<TruthCase> {};

TEST_P(ChartSharpnessTruth, MtfAndShiftsMatchTheRenderedOptics) {
    const TruthCase& t = GetParam();
    const RenderedChart chart = Render(t.sigma, t.rotation, t.misregister, t.noise, t.scale, t.clipped);
    ChartSharpnessSettings settings;
    if (t.clipped) settings.edge.linearisation = &ClipTables().linear;
    const ChartSharpnessResult r = MeasureChartSharpness(chart.image, chart.corners, settings);
    // The darkest greys go to 0 through the tables only (deep colours may clip a channel anyway).
    EXPECT_EQ(r.sides[static_cast<std::size_t>(ChartSide::Bottom)].edge.clippedStretches > 0, t.clipped) << t.name;
    const DirectionSharpness* directions[2] = {&r.horizontal, &r.vertical};
    for (int d = 0; d < 2; ++d) {
        const DirectionSharpness& dir = *directions[d];
        ASSERT_EQ(dir.status, EdgeStatus::Measured) << t.name << ": " << dir.message;
        EXPECT_EQ(dir.sides, 2) << t.name << ": " << dir.message;
        for (int c = 0; c < 3; ++c) {
            // A fractional shift is a linear interpolation, itself a blur across that axis.
            if (t.misregister[static_cast<std::size_t>(c == 0 ? d : 2 + d)] != 0.0 && c != 1) continue;
            const double sigma = t.sigma[static_cast<std::size_t>(c)];
            ASSERT_TRUE(dir.mtf50[static_cast<std::size_t>(c)] && dir.mtf10[static_cast<std::size_t>(c)]) << t.name;
            const double mtf50 = *dir.mtf50[static_cast<std::size_t>(c)], mtf10 = *dir.mtf10[static_cast<std::size_t>(c)];
            EXPECT_NEAR(mtf50, TruthMtf(sigma, 0.5), 0.05 * TruthMtf(sigma, 0.5)) << t.name << " direction " << d << " channel " << c;
            // Below a sigma of 1 the renderer's whole-pixel Gaussian taps alias enough to lift its
            // own MTF10 above the continuous one (by 5.7 % at 0.8); the MTF50 is unaffected.
            if (sigma >= 1.0) {
                EXPECT_NEAR(mtf10, TruthMtf(sigma, 0.1), 0.05 * TruthMtf(sigma, 0.1)) << t.name << " direction " << d << " channel " << c;
            }
            EXPECT_NEAR(*dir.samplingEfficiency[static_cast<std::size_t>(c)], std::min(100.0, mtf10 * 200.0), 1e-9);
            std::printf("%-22s %-3s %c sigma %.2f  MTF50 %.4f (truth %.4f, %+5.1f %%)  MTF10 %.4f (truth %.4f, %+5.1f %%)\n", t.name,
                        d == 0 ? "x" : "y", "RGB"[c], sigma, mtf50, TruthMtf(sigma, 0.5), 100.0 * (mtf50 / TruthMtf(sigma, 0.5) - 1.0),
                        mtf10, TruthMtf(sigma, 0.1), 100.0 * (mtf10 / TruthMtf(sigma, 0.1) - 1.0));
        }
        // One blur in every channel and no shift: the luminance that the sampling efficiency is
        // graded on has that blur too.
        if (t.sigma[0] == t.sigma[1] && t.sigma[1] == t.sigma[2] && t.misregister == std::array<double, 4>{}) {
            ASSERT_TRUE(dir.mtf50[SfrLuminance]) << t.name;
            EXPECT_NEAR(*dir.mtf50[SfrLuminance], TruthMtf(t.sigma[0], 0.5), 0.05 * TruthMtf(t.sigma[0], 0.5)) << t.name;
        }
        const double red = t.misregister[static_cast<std::size_t>(d)], blue = t.misregister[static_cast<std::size_t>(2 + d)];
        EXPECT_NEAR(dir.redShift, red, 0.1) << t.name << " direction " << d;
        EXPECT_NEAR(dir.blueShift, blue, 0.1) << t.name << " direction " << d;
        std::printf("%-22s %-3s   red shift %+.3f (truth %+.2f)  blue shift %+.3f (truth %+.2f)\n", t.name, d == 0 ? "x" : "y",
                    dir.redShift, red, dir.blueShift, blue);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Optics, ChartSharpnessTruth,
    ::testing::Values(TruthCase{"sigma0.8_rot3", {0.8, 0.8, 0.8}, 3.0, {}},
                      TruthCase{"sigma1.5_rot2", {1.5, 1.5, 1.5}, 2.0, {}},
                      TruthCase{"sigma2_rot-4", {2.0, 2.0, 2.0}, -4.0, {}},
                      TruthCase{"sigma0.8/1.5/2_rot2.5", {0.8, 1.5, 2.0}, 2.5, {}},
                      TruthCase{"sigma1_rot0.3", {1.0, 1.0, 1.0}, 0.3, {}},
                      TruthCase{"sigma1.2_rot-0.5", {1.2, 1.2, 1.2}, -0.5, {}},
                      TruthCase{"misregistered_rot3", {1.0, 1.0, 1.0}, 3.0, {0.5, 0.0, 0.0, -0.3}},
                      TruthCase{"misregistered_rot-0.4", {1.5, 1.5, 1.5}, -0.4, {-0.4, 0.25, 0.2, 0.0}},
                      TruthCase{"noisy_scaled_rot0.4", {1.5, 1.5, 1.5}, 0.4, {0.5, 0.0, 0.0, -0.3}, 4.0, 0.99},
                      TruthCase{"clipped_rot0.4", {1.0, 1.0, 1.0}, 0.4, {0.5, 0.0, 0.0, -0.3}, 1.5, 0.99, true},
                      TruthCase{"clipped_sigma2_rot-3", {2.0, 2.0, 2.0}, -3.0, {}, 0.0, 1.0, true}),
    [](const ::testing::TestParamInfo<TruthCase>& info) { return "case" + std::to_string(info.index); });

TEST(ChartSharpness, UnslantedEdgesAndBadRegionsGiveReasonsNotFigures) {
    const RenderedChart chart = Render({1.0, 1.0, 1.0}, 0.0, {});
    const ChartSharpnessResult r = MeasureChartSharpness(chart.image, chart.corners);
    for (const DirectionSharpness* dir : {&r.horizontal, &r.vertical}) {
        EXPECT_EQ(dir->status, EdgeStatus::TooStraight) << dir->message;
        EXPECT_NE(dir->message.find("too close to the pixel grid"), std::string::npos) << dir->message;
        EXPECT_FALSE(dir->mtf50[SfrGreen]);
    }
    EXPECT_EQ(MeasureSlantedEdge(chart.image, {2300, 10, 64, 200}, EdgeOrientation::NearVertical).status, EdgeStatus::BadRegion);
    EXPECT_EQ(MeasureSlantedEdge(chart.image, {100, 400, 10, 200}, EdgeOrientation::NearVertical).status, EdgeStatus::BadRegion);
    // Plain card between the card's edge and the box line: no edge at all.
    EXPECT_EQ(MeasureSlantedEdge(chart.image, {112, 400, 40, 200}, EdgeOrientation::NearVertical).status, EdgeStatus::NoEdge);
}

// A window is read only where the whole of it lies inside the image: an edge x = 40 + 0.05 y in a
// 65 x 150 image, read from line -20 to 179 starting 21 px left of it, keeps lines 0 to 109 (line
// 110 would start at x 26 and end past the last column).
TEST(ChartSharpness, WindowsAreReadOnlyWhereTheyLieInsideTheImage) {
    ScanBitmap image(65, 150);
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            std::memset(image.Row(y) + 3 * x, static_cast<int>(std::lround(50 + 150 * std::clamp(x - 39.5 - 0.05 * y, 0.0, 1.0))), 3);
    EdgeWindows windows{EdgeOrientation::NearVertical, 40, {{-20, 200, 19.0, 0.05}}};
    const SlantedEdgeResult r = MeasureSlantedEdge(image, windows);
    ASSERT_EQ(r.status, EdgeStatus::Measured) << r.message;
    EXPECT_NEAR(r.phaseShift, 0.05 * 109, 0.03);
    windows.stretches = {{200, 50, 19.0, 0.0}, {-60, 50, 19.0, 0.0}};
    EXPECT_EQ(MeasureSlantedEdge(image, windows).status, EdgeStatus::BadRegion);
}

// The card's outer edge against the scanner background, plain and through the tables that clip
// the background to black: the clipped side would sharpen the edge, so there it is refused.
TEST(ChartSharpness, AnEdgeWithAClippedSideIsRefused) {
    const PixelRegion cardEdge{60, 300, 80, 600};  // the card's left edge lies near x = 100
    const SlantedEdgeResult plain =
        MeasureSlantedEdge(Render({1.0, 1.0, 1.0}, 2.0, {}).image, cardEdge, EdgeOrientation::NearVertical);
    EXPECT_EQ(plain.status, EdgeStatus::Measured) << plain.message;
    SlantedEdgeSettings through;
    through.linearisation = &ClipTables().linear;
    const SlantedEdgeResult edge = MeasureSlantedEdge(Render({1.0, 1.0, 1.0}, 2.0, {}, 0.0, 1.0, true).image, cardEdge,
                                                      EdgeOrientation::NearVertical, through);
    EXPECT_EQ(edge.status, EdgeStatus::NoEdge);
    EXPECT_NE(edge.message.find("1 of 1 stretch(es) clipped"), std::string::npos) << edge.message;
}

// Beside a side at 10 % by 0.3 cy/px, one above 10 % up to Nyquist counts as 0.5; one ending before tells nothing.
TEST(ChartSharpness, ASideThatNeverFallsTo10PercentCountsAsNyquist) {
    for (const auto& [end, mtf10] : {std::pair{0.5, 0.4}, std::pair{0.49, 0.3}}) {
        std::array<SideSharpness, ChartSideCount> sides{};
        for (SideSharpness& side : sides) {
            side.edge.status = EdgeStatus::Measured;
            for (ChannelSfr& channel : side.edge.channel) channel.mtf = {{0.0, 1.0}, {end, 0.5}};
        }
        for (ChannelSfr& channel : sides[0].edge.channel) channel.mtf10 = 0.3;
        DirectionSharpness d;
        double slope = 0.0;
        CombineSides(sides, ChartSide::Left, ChartSide::Right, d, slope);
        EXPECT_NEAR(d.mtf10[SfrLuminance].value_or(0.0), mtf10, 1e-12) << end;
        EXPECT_NEAR(d.samplingEfficiency[SfrLuminance].value_or(0.0), 200.0 * mtf10, 1e-9) << end;
    }
}

// A point-sampled Gaussian edge x = x0 + slope * y, 0.2 to 0.8 linear; a 0.06 step from weakX, rows flat from flatFrom.
struct EdgeScene {
    int width, height;
    double x0, slope, sigma, weakX = 1e9;
    int flatFrom = 1 << 30;
};

ScanBitmap Draw(const EdgeScene& s) {
    ScanBitmap image(s.width, s.height);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const double edge = y >= s.flatFrom ? 1.0 : 0.5 * std::erfc((s.x0 + s.slope * y - x) / (s.sigma * M_SQRT2));
            std::memset(image.Row(y) + 3 * x, static_cast<int>(std::lround(255 * (0.2 + 0.6 * edge + (x >= s.weakX ? 0.06 : 0)))), 3);
        }
    return image;
}

// Each measured over the whole image; the window's half-width when measured, else part of the refusal.
const struct LimitCase {
    const char* name;
    EdgeScene scene;
    EdgeStatus status;
    int halfWidth;
    const char* message;
} kLimits[] = {
    {"sharp, 5 degrees, flush with the right and bottom borders", {80, 200, 40, 0.0875, 0.4}, EdgeStatus::Measured, 21, ""},
    {"16 lines along at 5 degrees, a room of 8 px", {40, 16, 9, 0.0875, 0.4}, EdgeStatus::Measured, 8, ""},
    {"15 lines along", {40, 15, 15, 0.0875, 0.4}, EdgeStatus::BadRegion, 0, "too small"},
    {"18 px across", {18, 16, 8.5, 0.0875, 0.4}, EdgeStatus::BadRegion, 0, "leaves 6 px"},
    {"17 px across", {17, 16, 8, 0.0875, 0.4}, EdgeStatus::BadRegion, 0, "too small"},
    // The unwindowed first fit, drawn 1 px towards the weak step, leaves a room of exactly 8.
    {"a weak step beside the edge", {40, 64, 10, 0.05, 1.0, 0.5}, EdgeStatus::Measured, 9, ""},
    {"the edge in half the rows", {40, 32, 15, 0.0875, 0.4, 1e9, 16}, EdgeStatus::Measured, 14, ""},
    {"the edge in fewer than half the rows", {40, 32, 15, 0.0875, 0.4, 1e9, 15}, EdgeStatus::NoEdge, 0, "no edge of usable"},
};

TEST(SlantedEdge, LimitsHoldAtTheirEdges) {
    ChannelLinearisation linear{};
    for (std::size_t v = 0; v < 256; ++v) linear[0][v] = linear[1][v] = linear[2][v] = static_cast<float>(v / 255.0);
    SlantedEdgeSettings settings;
    settings.linearisation = &linear;
    for (const LimitCase& c : kLimits) {
        SCOPED_TRACE(c.name);
        const EdgeScene& s = c.scene;
        const auto r = MeasureSlantedEdge(Draw(s), {0, 0, s.width, s.height}, EdgeOrientation::NearVertical, settings);
        ASSERT_EQ(r.status, c.status) << r.message;
        EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
        if (r.status != EdgeStatus::Measured) continue;
        EXPECT_EQ(r.halfWidth, c.halfWidth);
        EXPECT_EQ(r.channel[SfrGreen].mtf.front().modulation, 1.0);
        EXPECT_NEAR(r.channel[SfrGreen].position, s.x0 + s.slope * (s.height - 1) / 2.0, 0.15);
        // Near 0.47 cy/px the two-tap derivative's own response moves the MTF50 by 1.6 %.
        if (s.height == 200) {
            EXPECT_NEAR(*r.channel[SfrGreen].mtf50, TruthMtf(s.sigma, 0.5), 0.01 * TruthMtf(s.sigma, 0.5));
        }
    }
    const ScanBitmap sharp = Draw(kLimits[0].scene);
    const EdgeWindows narrow{EdgeOrientation::NearVertical, 17, {{0, 16, 0.0, 0.0}}};
    EXPECT_EQ(MeasureSlantedEdge(sharp, narrow).message, "a window 17 px across is too narrow: at least 18");
}

}  // namespace
}  // namespace calvix
