// Offline verifications of charts rendered with known optics: the image-quality figures the tool
// reports (sharpness, registration, sampling rate, noise, fall-off) against the render's own
// truth file, within the figures' stated precision.
#include "ChartRenderer.h"
#include "JsonText.h"
#include "OpticsTruth.h"
#include "TempDir.h"
#include "TestData.h"
#include "VerifyRun.h"
#include "analysis/BmpWriter.h"
#include "it8ref/It8Ref.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace calvix::verify {
namespace {

const std::string kR1 = std::string(CALVIX_TEST_DATA_DIR) + "/it8/R1.txt";

// Noise truth of a grey patch decoded as sRGB: each channel's 8-bit sigma carried through the
// slope of the sRGB curve and of L*(Y), the three channels drawn independently.
double TruthSigmaL(const std::array<int, 3>& raw, double sigma8) {
    constexpr double kY[3] = {0.2225045, 0.7168786, 0.0606169};
    double y = 0.0, variance = 0.0;
    for (std::size_t c = 0; c < 3; ++c) {
        const double v = raw[c] / 4 / 255.0;
        const double linear = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        const double slope = (v <= 0.04045 ? 1.0 / 12.92 : 2.4 / 1.055 * std::pow((v + 0.055) / 1.055, 1.4)) / 255.0;
        y += kY[c] * linear;
        variance += std::pow(kY[c] * slope * sigma8, 2);
    }
    return 116.0 / 3.0 / std::cbrt(y * y) * std::sqrt(variance);
}

double Item(const JsonValue& json, const char* a, const char* b, std::size_t i) {
    return json.Find(a)->Find(b)->items.at(i).number;
}

struct OpticsCase {
    const char* name;
    double blur;
    std::array<double, 4> misregister;  // red x, red y, blue x, blue y
    double scale;
    double noise;    // raw units
    double falloff;  // percent at the blank page's corners
    double rotation;
};

void PrintTo(const OpticsCase& c, std::ostream* os) { *os << c.name; }

class QualityTruth : public ::testing::TestWithParam<OpticsCase> {};

TEST_P(QualityTruth, ReportedFiguresAreTheRendersTruth) {
    const OpticsCase& t = GetParam();
    test::TempDir dir;
    TIT8Ref reference;
    ASSERT_EQ(reference.LoadFile(kR1), 0);
    RenderOptions options;
    options.rotationDegrees = t.rotation;
    options.shiftX = 6;
    options.noiseSigma = t.noise;
    options.optics.blurSigma = {t.blur, t.blur, t.blur};
    options.optics.misregister = t.misregister;
    options.optics.scale = t.scale;
    const RenderedChart chart = RenderChart(ChartColoursFromReference(reference), options);
    RenderOptions blank;
    blank.optics.falloffPercent = t.falloff;
    blank.noiseSigma = 2.0;
    std::string error;
    ASSERT_TRUE(SaveBmpFile(chart.image, dir.File("front.bmp"), error)) << error;
    ASSERT_TRUE(SaveBmpFile(RenderBlankPage(blank), dir.File("blank.bmp"), error)) << error;
    JsonValue truth, page;
    ASSERT_TRUE(ParseJson(TruthJson(TruthOf(options, &chart)), truth, error)) << error;
    ASSERT_TRUE(ParseJson(TruthJson(TruthOf(blank, nullptr)), page, error)) << error;

    VerifyOptions verify;
    verify.reference = kR1;
    verify.offline = true;
    verify.offlineFront = dir.File("front.bmp");
    verify.uniformityFront = dir.File("blank.bmp");
    verify.assumeSrgb = true;  // the render is sRGB through an ideal sensor
    // Blurred beyond a sigma of about 1.1 the box line's darkest pixels rise above the chart
    // search's default black threshold of 25, and a misregistered channel lifts them further.
    verify.blackThreshold = 50;
    verify.noHistory = true;
    verify.report = dir.File("cert.pdf");
    VerifyEnvironment env;
    std::FILE* out = std::tmpfile();
    env.out = env.err = out;
    VerifyResult result;
    RunVerify(verify, env, result);
    std::string text;
    std::rewind(out);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) text.append(buffer, n);
    std::fclose(out);
    ASSERT_EQ(result.sides.size(), 1u);
    ASSERT_TRUE(result.sides[0].quality.has_value()) << text;
    const quality::SideQuality& q = *result.sides[0].quality;

    const double mtf50 = Item(truth, "blur", "mtf50_cy_px", 1);
    const DirectionSharpness* directions[2] = {&q.sharpness.horizontal, &q.sharpness.vertical};
    for (std::size_t d = 0; d < 2; ++d) {
        const DirectionSharpness& dir = *directions[d];
        ASSERT_EQ(dir.status, EdgeStatus::Measured) << dir.message;
        ASSERT_TRUE(dir.mtf50[SfrGreen]);
        EXPECT_NEAR(*dir.mtf50[SfrGreen], mtf50, 0.05 * mtf50) << "direction " << d;
        EXPECT_NEAR(dir.redShift, Item(truth, "misregistration_px", "red", d), 0.1) << "direction " << d;
        EXPECT_NEAR(dir.blueShift, Item(truth, "misregistration_px", "blue", d), 0.1) << "direction " << d;
        std::printf("[%s] %c MTF50 %.4f (truth %.4f), red %+.3f blue %+.3f px\n", t.name, "xy"[d], *dir.mtf50[SfrGreen],
                    mtf50, dir.redShift, dir.blueShift);
    }
    const double ppi = truth.Find("sampling")->NumberOr("effective_ppi", 0);
    ASSERT_TRUE(q.sampling.figures) << q.sampling.error;
    EXPECT_NEAR(q.sampling.figures->ppiX, ppi, 0.002 * ppi);
    EXPECT_NEAR(q.sampling.figures->ppiY, ppi, 0.002 * ppi);
    ASSERT_TRUE(q.uniformity.figures) << q.uniformity.error;
    const double corners = page.Find("falloff")->NumberOr("corners_percent", -1);
    EXPECT_NEAR(q.uniformity.figures->meanCornerLossPercent, corners, 0.5);
    EXPECT_NEAR(q.uniformity.figures->edgeLossXPercent, page.Find("falloff")->NumberOr("left_right_percent", -1), 0.5);
    std::printf("[%s] ppi %.2f / %.2f (truth %.2f), corner loss %.2f %% (truth %.2f)\n", t.name,
                q.sampling.figures->ppiX, q.sampling.figures->ppiY, ppi, q.uniformity.figures->meanCornerLossPercent,
                corners);
    if (t.noise > 0.0) {
        ASSERT_TRUE(q.noise.figures) << q.noise.error;
        const double sigma8 = truth.Find("noise")->NumberOr("sigma_8bit", 0);
        double worst = 0.0;
        for (const auto& raw : chart.greyRaw) worst = std::max(worst, TruthSigmaL(raw, sigma8));
        EXPECT_NEAR(q.noise.figures->worstSigmaL, worst, 0.1 * worst);
        std::printf("[%s] worst sigma L* %.3f (truth %.3f)\n", t.name, q.noise.figures->worstSigmaL, worst);
    }

    // The JSON carries every graded figure, and each standard's grade names what limits it.
    JsonValue json;
    ASSERT_TRUE(ParseJson(test::ReadFileText(dir.File("cert.json")), json, error)) << error;
    const JsonValue& reported = *json.Find("sides")->items.at(0).Find("quality");
    EXPECT_EQ(reported.Find("figures")->items.size(), q.grades.figures.size());
    bool uniformity = false;
    for (const JsonValue& f : reported.Find("figures")->items) uniformity |= f.TextOr("figure", "") == "uniformity_percent";
    EXPECT_TRUE(uniformity);
    EXPECT_FALSE(reported.Find("grades")->Find("fadgi")->Find("limited_by")->items.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Optics, QualityTruth,
    ::testing::Values(OpticsCase{"blur1", 1.0, {}, 1.0, 0.0, 0.0, 0.3},
                      OpticsCase{"blur15_misregistered", 1.5, {0.5, 0.0, 0.0, -0.3}, 1.0, 0.0, 4.0, -0.4},
                      OpticsCase{"blur12_scaled_noisy", 1.2, {-0.3, 0.25, 0.2, 0.0}, 0.99, 8.0, 8.0, 0.4}),
    [](const ::testing::TestParamInfo<OpticsCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace calvix::verify
