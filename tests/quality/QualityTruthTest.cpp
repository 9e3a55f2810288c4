// The image-quality figures measured on renders of the emulated Q71 with known optics and sensor,
// against the truth of those renders: the emulator's fall-off field, sampling scale, noise-free
// raw grey values and noise sigma, carried to L* by the sRGB and CIE formulas written out here.
#include "ChartRenderer.h"
#include "Illumination.h"
#include "analysis/HelperImage.h"
#include "analysis/It8frame.h"
#include "quality/PatchNoise.h"
#include "quality/SamplingRate.h"
#include "quality/SideQuality.h"
#include "quality/ToneResponse.h"
#include "quality/Uniformity.h"
#include "quality/WedgeLinearisation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace calvix::quality {
namespace {

// sRGB level to linear light, and the Y row of sRGB adapted to D50 (Bradford): the luminance a
// grey-wedge pixel has for an sRGB decoder, written out rather than taken from the code tested.
double Linear(double level) {
    const double v = level / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}
constexpr std::array<double, 3> kYWeights{0.2225045, 0.7168786, 0.0606169};
double LightnessOfY(double y) { return y > 216.0 / 24389.0 ? 116.0 * std::cbrt(y) - 16.0 : y * 24389.0 / 27.0; }
double LightnessSlope(double y) { return y > 216.0 / 24389.0 ? 116.0 / 3.0 / std::cbrt(y * y) : 24389.0 / 27.0; }

// Probability of a raw noise draw of k: the emulator's Gaussian samples are rounded to whole units.
double DrawProbability(int k, double sigma) {
    return 0.5 * (std::erfc(-(k + 0.5) / (sigma * M_SQRT2)) - std::erfc(-(k - 0.5) / (sigma * M_SQRT2)));
}

// The patch's L* as its mean colour shows it: the raw values leave the scanner as raw / 4, whose
// mean under noise is the expectation over the draws.
double TrueL(const std::array<int, 3>& raw, double sigma) {
    double y = 0.0;
    for (std::size_t c = 0; c < 3; ++c) {
        double level = raw[c] / 4;
        if (sigma > 0.0) {
            level = 0.0;
            for (int k = -static_cast<int>(7 * sigma) - 1; k <= static_cast<int>(7 * sigma) + 1; ++k)
                level += DrawProbability(k, sigma) * (std::clamp(raw[c] + k, 0, 1023) / 4);
        }
        y += kYWeights[c] * Linear(level);
    }
    return LightnessOfY(y);
}

// The patch's noise in L*: each channel draws an independent rounded Gaussian of the raw sigma,
// then raw / 4 and the sRGB curve; the exact variance of Y, carried through the slope of L*(Y).
double TrueSigmaL(const std::array<int, 3>& raw, double sigma) {
    double meanY = 0.0, varianceY = 0.0;
    for (std::size_t c = 0; c < 3; ++c) {
        double m = 0.0, m2 = 0.0;
        const int reach = static_cast<int>(std::ceil(7.0 * sigma));
        for (int k = -reach; k <= reach; ++k) {
            const double p = DrawProbability(k, sigma);
            const double v = Linear(std::clamp(raw[c] + k, 0, 1023) / 4);
            m += p * v;
            m2 += p * v * v;
        }
        meanY += kYWeights[c] * m;
        varianceY += kYWeights[c] * kYWeights[c] * (m2 - m * m);
    }
    return LightnessSlope(meanY) * std::sqrt(varianceY);
}

std::array<double, GreyPatchCount> ReferenceL(const ChartColours& colours) {
    std::array<double, GreyPatchCount> l{};
    for (std::size_t i = 0; i < l.size(); ++i) l[i] = LightnessOfY(colours.greys[i].Y / 100.0);
    return l;
}

// The corners as the program finds them, not the render's own: the rate is measured end to end.
std::array<Point, 5> FoundSlots(const ScanBitmap& scan) {
    ScanBitmap helper = MakeHelperImage(scan);
    ChartFrame frame;
    EXPECT_EQ(frame.BuildFrame(helper), 0);
    return {NotFound, frame.corner(ChartFrame::TopRight), frame.corner(ChartFrame::TopLeft),
            frame.corner(ChartFrame::BottomLeft), frame.corner(ChartFrame::BottomRight)};
}

struct ChartCase {
    const char* name;
    double scale;
    double noiseSigma;  // raw units
    double gamma;       // of every channel's response; 1 is the ideal sensor
};

class ChartTruth : public ::testing::TestWithParam<ChartCase> {
protected:
    void SetUp() override {
        RenderOptions options;
        options.optics.scale = GetParam().scale;
        options.noiseSigma = GetParam().noiseSigma;
        for (ChannelResponse& channel : options.tone.channel) channel.gamma = GetParam().gamma;
        chart_ = RenderChart(colours_, options);
        slots_ = FoundSlots(chart_.image);
    }
    const ChartColours colours_ = SyntheticChartColours();
    RenderedChart chart_;
    std::array<Point, 5> slots_{};
};

TEST_P(ChartTruth, SamplingRateIsTheRenderScale) {
    SamplingRateFigures rate;
    std::string error;
    ASSERT_TRUE(MeasureSamplingRate(slots_, {}, &rate, &error)) << error;
    const double truth = 400.0 * GetParam().scale;
    std::printf("[%s] ppi x %.2f y %.2f (truth %.2f), deviation %.3f %% / %.3f %%\n", GetParam().name, rate.ppiX,
                rate.ppiY, truth, rate.deviationXPercent, rate.deviationYPercent);
    EXPECT_NEAR(rate.ppiX, truth, 0.002 * truth);
    EXPECT_NEAR(rate.ppiY, truth, 0.002 * truth);
    EXPECT_NEAR(rate.deviationXPercent, 100.0 * (GetParam().scale - 1.0), 0.2);
}

TEST_P(ChartTruth, ToneAndGainFollowTheSensorResponse) {
    const std::array<double, GreyPatchCount> reference = ReferenceL(colours_);
    ToneFigures tone;
    std::string error;
    ASSERT_TRUE(MeasureToneResponse(chart_.image, slots_, reference, SrgbDecoder(), {}, &tone, &error)) << error;
    std::array<double, GreyPatchCount> truthL{};
    for (std::size_t i = 0; i < truthL.size(); ++i) {
        truthL[i] = TrueL(chart_.greyRaw[i], GetParam().noiseSigma);
        EXPECT_NEAR(tone.deltaL[i], truthL[i] - reference[i], 0.05) << "GS" << i;
    }
    ASSERT_EQ(tone.steps.size(), 22u);  // every pair two patches from each other: the wedge has no flat step
    GainRange truthHigh{10, 0, 0}, truthOther{10, 0, 0};
    for (const GainStep& step : tone.steps) {
        const auto a = static_cast<std::size_t>(step.lighter), b = static_cast<std::size_t>(step.darker);
        const double truth = (truthL[a] - truthL[b]) / (reference[a] - reference[b]);
        EXPECT_NEAR(step.gain, truth, 0.02) << "GS" << a << "-GS" << b;
        GainRange& band = step.highlight ? truthHigh : truthOther;
        band.min = std::min(band.min, truth), band.max = std::max(band.max, truth), ++band.steps;
    }
    std::printf("[%s] max |dL*| %.2f (GS%d); gain highlights %.3f..%.3f (truth %.3f..%.3f, %d pairs), other "
                "%.3f..%.3f (truth %.3f..%.3f)\n", GetParam().name, tone.maxAbsDeltaL, tone.worstPatch,
                tone.highlights.min, tone.highlights.max, truthHigh.min, truthHigh.max, tone.highlights.steps,
                tone.other.min, tone.other.max, truthOther.min, truthOther.max);
    EXPECT_EQ(tone.highlights.steps, truthHigh.steps);
    EXPECT_GE(tone.highlights.steps, 2);
    EXPECT_NEAR(tone.other.min, truthOther.min, 0.02);
    EXPECT_NEAR(tone.other.max, truthOther.max, 0.02);
    if (GetParam().gamma == 1.0) {
        // The ideal sensor: slopes of 1 but for the rounding of raw / 4.
        EXPECT_NEAR(tone.highlights.min, 1.0, 0.04);
        EXPECT_NEAR(tone.highlights.max, 1.0, 0.04);
        EXPECT_NEAR(tone.other.min, 1.0, 0.04);
        EXPECT_NEAR(tone.other.max, 1.0, 0.04);
    } else {
        EXPECT_GT(std::max(truthOther.max - 1.0, 1.0 - truthOther.min), 0.1);  // the case does bite
    }
}

class NoisyChartTruth : public ChartTruth {};

TEST_P(NoisyChartTruth, PatchNoiseIsTheRawSigmaThroughTheToneCurve) {
    NoiseFigures noise;
    std::string error;
    ASSERT_TRUE(MeasurePatchNoise(chart_.image, slots_, SrgbDecoder(), &noise, &error)) << error;
    // A sample sigma of n pixels scatters by 1 / sqrt(2 (n - 1)) of itself (3.4 % for 441): one
    // patch is held to four times that, the wedge's mean ratio and the graded worst to 10 %.
    const double scatter = 1.0 / std::sqrt(2.0 * (noise.pixelsPerPatch - 1));
    double worstTruth = 0.0, meanRatio = 0.0;
    for (std::size_t i = 0; i < noise.sigmaL.size(); ++i) {
        const double truth = TrueSigmaL(chart_.greyRaw[i], GetParam().noiseSigma);
        worstTruth = std::max(worstTruth, truth);
        meanRatio += noise.sigmaL[i] / truth / GreyPatchCount;
        EXPECT_NEAR(noise.sigmaL[i], truth, 4.0 * scatter * truth) << "GS" << i;
    }
    EXPECT_NEAR(meanRatio, 1.0, 0.1);
    std::printf("[%s] noise L* GS0 %.3f (truth %.3f), GS12 %.3f (truth %.3f), worst %.3f at GS%d (truth %.3f), "
                "%d px a patch, mean ratio %.3f\n", GetParam().name, noise.sigmaL[0], TrueSigmaL(chart_.greyRaw[0], GetParam().noiseSigma),
                noise.sigmaL[12], TrueSigmaL(chart_.greyRaw[12], GetParam().noiseSigma), noise.worstSigmaL,
                noise.worstPatch, worstTruth, noise.pixelsPerPatch, meanRatio);
    EXPECT_NEAR(noise.worstSigmaL, worstTruth, 0.1 * worstTruth);
}

const ChartCase kNoisy[] = {{"noise 2", 1.0, 2.0, 1.0}, {"noise 4", 1.0, 4.0, 1.0}, {"gamma 0.85 noise 4", 1.0, 4.0, 0.85}};
const ChartCase kClean[] = {{"ideal", 1.0, 0.0, 1.0}, {"scale 0.99", 0.99, 0.0, 1.0}, {"scale 1.01", 1.01, 0.0, 1.0},
                            {"gamma 1.2", 1.0, 0.0, 1.2}};
INSTANTIATE_TEST_SUITE_P(Clean, ChartTruth, ::testing::ValuesIn(kClean));
INSTANTIATE_TEST_SUITE_P(Noisy, ChartTruth, ::testing::ValuesIn(kNoisy));
INSTANTIATE_TEST_SUITE_P(Noisy, NoisyChartTruth, ::testing::ValuesIn(kNoisy));

// The wedge's curves against a sensor's own: an 8-bit level is raw / 4 of raw = 1023 (gain v^gamma
// + offset) of the encoded value v, whose sRGB linear light the greys share. Compared as ratios to
// GS8's level (a curve is known up to scale), over the levels between GS20 and GS1.
TEST(WedgeCurves, AreTheInverseOfEachChannelsResponse) {
    RenderOptions options;
    options.tone.channel = {ChannelResponse{0.9, 0.03, 1.3}, ChannelResponse{1.0, 0.0, 1.0}, ChannelResponse{0.85, 0.04, 0.8}};
    const ChartColours colours = SyntheticChartColours();
    const RenderedChart chart = RenderChart(colours, options);
    std::array<Lab, GreyPatchCount> greys{};
    for (std::size_t i = 0; i < greys.size(); ++i)
        greys[i] = XyzToLab({colours.greys[i].X, colours.greys[i].Y, colours.greys[i].Z}, WhiteD50);
    ChannelLinearisation table{};
    std::string error;
    ASSERT_TRUE(WedgeLinearisation(chart.image, FoundSlots(chart.image), greys, &table, &error)) << error;
    for (std::size_t c = 0; c < 3; ++c) {
        const ChannelResponse& r = options.tone.channel[c];
        auto truth = [&r](int level) {
            return Linear(255.0 * std::pow(((4.0 * level + 1.5) / 1023.0 - r.offset) / r.gain, 1.0 / r.gamma));
        };
        const int mid = chart.greyRaw[8][c] / 4;
        for (int level = chart.greyRaw[20][c] / 4; level <= chart.greyRaw[1][c] / 4; ++level) {
            const double ratio = truth(level) / truth(mid);
            EXPECT_NEAR(table[c][static_cast<std::size_t>(level)] / table[c][static_cast<std::size_t>(mid)], ratio,
                        0.02 * ratio + 0.002) << "channel " << c << " level " << level;
        }
    }
}

// Blank pages through a cos^4 fall-off: the loss the emulator's field has at the image's corners
// and edge midpoints (what its truth file reports), against the squares measured there.
class BlankPageTruth : public ::testing::TestWithParam<double> {};

TEST_P(BlankPageTruth, FallOffIsTheEmulatorsField) {
    RenderOptions options;
    options.optics.falloffPercent = GetParam();
    options.noiseSigma = 2.0;
    const ScanBitmap page = RenderBlankPage(options);
    const Illumination light(page.Width(), page.Height(), GetParam());
    UniformityFigures figures;
    std::string error;
    ASSERT_TRUE(MeasureUniformity(page, SrgbDecoder(), {}, &figures, &error)) << error;
    std::printf("[fall-off %.0f %%] corners %.2f %% (truth %.2f), edges x %.2f (truth %.2f), y %.2f (truth %.2f); "
                "largest deviation from the mean %.2f %% at cell %d,%d\n", GetParam(), figures.meanCornerLossPercent,
                light.CornerLoss(), figures.edgeLossXPercent, light.EdgeLossX(), figures.edgeLossYPercent,
                light.EdgeLossY(), figures.maxDeviationPercent, figures.worstColumn, figures.worstRow);
    for (double loss : figures.cornerLossPercent) EXPECT_NEAR(loss, light.CornerLoss(), 0.5);
    EXPECT_NEAR(figures.edgeLossXPercent, light.EdgeLossX(), 0.5);
    EXPECT_NEAR(figures.edgeLossYPercent, light.EdgeLossY(), 0.5);
    if (GetParam() == 0.0) {
        EXPECT_LT(std::abs(figures.maxDeviationPercent), 0.3);
        return;
    }
    // The darkest cell is a corner one, below the mean.
    EXPECT_LT(figures.maxDeviationPercent, 0.0);
    EXPECT_TRUE(figures.worstColumn == 0 || figures.worstColumn == figures.columns - 1);
    EXPECT_TRUE(figures.worstRow == 0 || figures.worstRow == figures.rows - 1);
}

INSTANTIATE_TEST_SUITE_P(FallOff, BlankPageTruth, ::testing::Values(0.0, 3.0, 6.0));

// A page at the white clip hides its fall-off and is refused; one whose noise touches the clip
// now and then (gain 1.054: the centre 3 sigma below it) is measured.
TEST(BlankPageClip, APageAtTheClipIsRefusedOneNearItIsMeasured) {
    for (const auto& [gain, measured] : {std::pair{1.1, false}, std::pair{1.054, true}}) {
        RenderOptions options;
        options.noiseSigma = 2.0;
        options.optics.falloffPercent = 4.0;
        for (ChannelResponse& channel : options.tone.channel) channel.gain = gain;
        UniformityFigures figures;
        std::string error;
        EXPECT_EQ(MeasureUniformity(RenderBlankPage(options), SrgbDecoder(), {}, &figures, &error), measured) << error;
        EXPECT_EQ(error.find("the blank page lies at the scanner's clip (100.0 %") == 0, !measured) << error;
    }
}

// Blank pages refused, and their neighbours at each limit: 600 x 600 px (18 x 18 cells of 31 px) at level 230 through
// a linear decoder; 3 x 3 cells from pixel (at, at) darker by block levels (11: 4.8 % of the mean, 12: 5.2 %), a
// smooth rise by the share rise to the corners, pixels at 255 (1 % of the grid is 3113.64), a chart of another size.
TEST(BlankPageRefusal, ANonBlankPageOrOneUnlikeTheChartIsRefused) {
    const PixelDecoder linear = [](double r, double, double) {
        return XyzToLab({WhiteD50.X * r / 255.0, 100.0 * r / 255.0, WhiteD50.Z * r / 255.0}, WhiteD50);
    };
    const struct {
        int block, at;
        double rise;
        int clipped, chartWidth, chartHeight;
        const char* refusal;  // the reason's start; none: measured
    } cases[] = {{11, 39, 0.0, 0, 600, 600, nullptr},
                 {12, 39, 0.0, 0, 600, 600, "the blank page is not blank: the cell at 54, 54 px differs from its neighbour by 5.2 %"},
                 {150, 250, 0.0, 0, 600, 600, "the blank page is not blank: the cell at 271, 240 px"},
                 {0, 0, 0.045, 0, 600, 600, nullptr},
                 {0, 0, 0.06, 0, 600, 600, "the blank page is not blank: its top-left corner is 6.0 % lighter than its centre"},
                 {0, 0, 0.0, 3113, 600, 600, nullptr},
                 {0, 0, 0.0, 3114, 600, 600, "the blank page lies at the scanner's clip (1.1 % of its pixels"},
                 {0, 0, 0.0, 0, 601, 600, "the blank page is 600 x 600 pixels, the chart's scan 601 x 600"},
                 {0, 0, 0.0, 0, 600, 599, "the blank page is 600 x 600 pixels, the chart's scan 600 x 599"}};
    for (const auto& c : cases) {
        ScanBitmap page(600, 600), chart(c.chartWidth, c.chartHeight);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 600; ++x) {
                const double r2 = ((x - 299.5) * (x - 299.5) + (y - 299.5) * (y - 299.5)) / 152352.0;
                const int dark = x >= c.at && x < c.at + 93 && y >= c.at && y < c.at + 93 ? c.block : 0;
                std::fill_n(page.Row(y) + 3 * x, 3, static_cast<std::uint8_t>(std::lround((230.0 - dark) * (1.0 + c.rise * r2))));
            }
        for (int n = 0; n < c.clipped; ++n)  // spread over the cells, n / 324 px in from each one's corner
            std::fill_n(page.Row(8 + n % 324 / 18 * 31 + n / 324) + 3 * (8 + n % 18 * 31 + n / 324), 3, std::uint8_t{255});
        SideQuality q;
        std::string error;
        ASSERT_TRUE(MeasureSideQuality({&chart, {}, {}, {}, linear, "linear", &page}, &q, &error)) << error;
        EXPECT_EQ(q.uniformity.figures.has_value(), c.refusal == nullptr) << q.uniformity.error;
        EXPECT_EQ(q.uniformity.error.rfind(c.refusal != nullptr ? c.refusal : "", 0), 0u) << q.uniformity.error;
        if (!q.uniformity.figures) continue;
        // Light gained at the corners and edges is no light lost.
        const UniformityFigures& f = *q.uniformity.figures;
        if (c.rise > 0.0) {
            EXPECT_EQ(f.meanCornerLossPercent + f.edgeLossXPercent + f.edgeLossYPercent, 0.0);
        }
    }
}

}  // namespace
}  // namespace calvix::quality
