// The Quality page's model on charts the emulated Q71 renders with known optics: the figures
// against the render's scale, blur and misregistration, the grades the page shows for them, and
// the hint for a window without a chart.
#include <cmath>
#include <cstdio>

#include "ChartColours.h"
#include "ChartRenderer.h"
#include "MainFormFixture.h"
#include "TestData.h"
#include "analysis/BmpWriter.h"
#include "app/StringTable.h"
#include "calibration/CalibrationLut.h"
#include "it8ref/It8Ref.h"
#include "mainform/QualityTable.h"
#include "quality/SideQuality.h"

namespace calvix::test {
namespace {

double TruthMtf(double sigma, double level) { return std::sqrt(std::log(1.0 / level) / (2.0 * M_PI * M_PI * sigma * sigma)); }

const QualityRow* Row(const QualityPageState& page, const std::string& figure) {
    for (const QualityRow& row : page.rows)
        if (row.figure == figure) return &row;
    return nullptr;
}

class MainFormQualityTest : public MainFormTest {
protected:
    void StartExpert(bool expert = true) {
        SetStoreValue("ExpertMode", expert ? 1 : 0);
        Start();
        ASSERT_EQ(form->LoadReferenceByPath(CALVIX_TEST_DATA_DIR "/it8/R1.txt"), 0);
    }
    TChildImage& OpenChart(const RenderOptions& options) {
        const RenderedChart chart = RenderChart(ChartColoursFromReference(It8Reference()), options);
        const std::string path = dir.File("chart" + std::to_string(++files_) + ".bmp");
        std::string error;
        EXPECT_TRUE(SaveBmpFile(chart.image, path, error)) << error;
        EXPECT_EQ(form->OpenImageFile(path), 0);
        return *form->ChildImage();
    }
    TChildImage& OpenBlank() {
        ScanBitmap plain(400, 300);
        const std::string path = dir.File("plain" + std::to_string(++files_) + ".bmp");
        std::string error;
        EXPECT_TRUE(SaveBmpFile(plain, path, error)) << error;
        EXPECT_EQ(form->OpenImageFile(path), 0);
        return *form->ChildImage();
    }
    int files_ = 0;
};

struct OpticsCase {
    const char* name;
    double scale;
    double blur;
    double rotation;
    std::array<double, 4> misregister;  // red x, red y, blue x, blue y
    const char* fadgiRate;              // FADGI: 4 stars from 396 ppi, 3 from 294
};

class QualityOptics : public MainFormQualityTest, public ::testing::WithParamInterface<OpticsCase> {};

TEST_P(QualityOptics, PageHoldsTheRendersFiguresAndTheirGrades) {
    const OpticsCase& c = GetParam();
    StartExpert();
    RenderOptions options;
    options.optics.scale = c.scale;
    options.optics.blurSigma = {c.blur, c.blur, c.blur};
    options.optics.misregister = c.misregister;
    options.rotationDegrees = c.rotation;
    TChildImage& window = OpenChart(options);
    EXPECT_EQ(form->QualityPage().hint, "No chart found in this window");
    ASSERT_EQ(form->CheckIt8Scan(&window, true), 0) << c.name;

    const QualityPageState& page = form->QualityPage();
    ASSERT_TRUE(page.visible);
    ASSERT_TRUE(form->QualityFigures()) << page.hint;
    const quality::SideQuality& q = *form->QualityFigures();
    EXPECT_NE(page.decoder.find("calibration reference encoding (gamma 1.0"), std::string::npos) << page.decoder;
    ASSERT_TRUE(q.sampling.figures) << q.sampling.error;
    const double ppi = 400.0 * c.scale;
    EXPECT_NEAR(q.sampling.figures->ppiX, ppi, 0.003 * ppi) << c.name;
    EXPECT_NEAR(q.sampling.figures->ppiY, ppi, 0.003 * ppi) << c.name;
    const QualityRow* rate = Row(page, "Sampling rate (ppi x/y)");
    ASSERT_NE(rate, nullptr);
    EXPECT_EQ(rate->fadgi, c.fadgiRate) << c.name;
    EXPECT_EQ(rate->iso, "-");
    EXPECT_EQ(rate->metamorfoze, "Strict");

    // Blur and shifts as rendered; the scan is read through the reference encoding rather than
    // as the linear light the render is, which bends the edge profile: 15 % on the MTF50.
    std::printf("[%s] ppi %.2f / %.2f, MTF50 %.4f / %.4f (truth %.4f), red x %+.2f, blue y %+.2f\n", c.name,
                q.sampling.figures->ppiX, q.sampling.figures->ppiY, q.sharpness.horizontal.mtf50[SfrGreen].value_or(-1),
                q.sharpness.vertical.mtf50[SfrGreen].value_or(-1), TruthMtf(c.blur, 0.5), q.sharpness.horizontal.redShift,
                q.sharpness.vertical.blueShift);
    for (const DirectionSharpness* d : {&q.sharpness.horizontal, &q.sharpness.vertical}) {
        ASSERT_TRUE(d->mtf50[SfrGreen]) << c.name << ": " << d->message;
        EXPECT_NEAR(*d->mtf50[SfrGreen], TruthMtf(c.blur, 0.5), 0.15 * TruthMtf(c.blur, 0.5)) << c.name;
    }
    EXPECT_NEAR(q.sharpness.horizontal.redShift, c.misregister[0], 0.15) << c.name;
    EXPECT_NEAR(q.sharpness.vertical.blueShift, c.misregister[3], 0.15) << c.name;
    const QualityRow* mtf = Row(page, "MTF50, green (H/V, cy/px)");
    ASSERT_NE(mtf, nullptr);
    EXPECT_EQ(mtf->value.find("not measured"), std::string::npos) << mtf->value;
    // Every figure of the chart has its row; with the reference file the colour ones are measured.
    EXPECT_EQ(page.rows.size(), 13u);
    const QualityRow* colour = Row(page, "Colour ΔE00 mean");
    ASSERT_NE(colour, nullptr);
    EXPECT_GT(q.colour.figures.patches, 200);
    EXPECT_NE(colour->fadgi, "");
    ASSERT_EQ(page.limits.size(), 3u);
    EXPECT_EQ(page.limits[0].rfind("FADGI: ", 0), 0u) << page.limits[0];
}

INSTANTIATE_TEST_SUITE_P(Renders, QualityOptics,
                         ::testing::Values(OpticsCase{"400 ppi, sharp", 1.0, 1.0, 0.5, {0.5, 0.0, 0.0, -0.3}, "\u2605\u2605\u2605\u2605"},
                                           OpticsCase{"394 ppi, sharper", 0.985, 0.8, 0.5, {0.0, 0.0, 0.0, 0.4}, "\u2605\u2605\u2605"},
                                           OpticsCase{"388 ppi", 0.97, 1.0, 0.5, {-0.4, 0.0, 0.0, 0.0}, "\u2605\u2605\u2605"}),
                         [](const ::testing::TestParamInfo<OpticsCase>& info) { return "case" + std::to_string(info.index); });

TEST_F(MainFormQualityTest, AStraightChartSaysSoAndAWindowWithoutChartClears) {
    StartExpert();
    RenderOptions options;
    options.pageHeight = 1700;
    TChildImage& chart = OpenChart(options);
    ASSERT_EQ(form->CheckIt8Scan(&chart, true), 0);
    const QualityRow* efficiency = Row(form->QualityPage(), "Sampling efficiency, luminance (H/V)");
    ASSERT_NE(efficiency, nullptr);
    EXPECT_EQ(efficiency->value, "edge too straight");  // once for both directions
    const int revision = form->QualityPage().revision;
    EXPECT_EQ(form->QualityPage().revision, revision);  // nothing changed: not measured again
    // What was measured: the file, the bypass scan, or that scan through the side's new (darker) tables.
    EXPECT_EQ(form->QualityPage().measured, "Measured: the file as loaded");
    const double asLoaded = form->QualityFigures()->tone.figures->measuredL[0];
    chart.bypassScan = true;
    EXPECT_EQ(form->QualityPage().measured, "Measured: raw scan, the scanner's tables bypassed");
    EXPECT_DOUBLE_EQ(form->QualityFigures()->tone.figures->measuredL[0], asLoaded);
    ChannelTables darker;
    for (ChannelTable& table : darker)
        for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint8_t>(i * 3 / 16);
    CalibrationLut.SetSideTables(LutSide::Front, darker);
    chart.correctionDone = true;
    EXPECT_EQ(form->QualityPage().measured, "Measured: the scan through the new tables");
    EXPECT_LT(form->QualityFigures()->tone.figures->measuredL[0], asLoaded - 5.0);
    CalibrationLut.Clear(), chart.bypassScan = chart.correctionDone = false;

    OpenBlank();
    EXPECT_TRUE(form->QualityPage().rows.empty());
    EXPECT_FALSE(form->QualityFigures());
    EXPECT_EQ(form->QualityPage().hint, "No chart found in this window");

    form->Images().Activate(chart);
    EXPECT_EQ(form->QualityPage().rows.size(), 13u);
    form->ComboBoxLanguageSelectorChange("Deutsch");
    EXPECT_EQ(form->QualityPage().caption, "Qualität");
    EXPECT_EQ(form->QualityPage().headers[0], "Kennwert");
}

TEST_F(MainFormQualityTest, NormalModeHasNoPage) {
    StartExpert(false);
    RenderOptions options;
    options.pageHeight = 1700;
    options.rotationDegrees = 0.5;
    TChildImage& chart = OpenChart(options);
    ASSERT_EQ(form->CheckIt8Scan(&chart, true), 0);
    EXPECT_FALSE(form->QualityPage().visible);
    EXPECT_FALSE(form->QualityFigures());
}

// An upside-down chart has its corners found but fails the wedge check: the page refuses it too.
TEST_F(MainFormQualityTest, AChartTheCheckRefusesIsNotGraded) {
    StartExpert();
    RenderOptions options;
    options.rotationDegrees = 180.0;
    TChildImage& chart = OpenChart(options);
    ASSERT_TRUE(form->CheckIt8Scan(&chart, true) == ChartGreyWedgeFailed && chart.cornersValid);
    EXPECT_TRUE(form->QualityPage().rows.empty() && !form->QualityFigures());
    EXPECT_EQ(form->QualityPage().hint,
              "Not graded, the chart check refuses this chart: grey wedge not found! Check orientation of IT8 chart!");
}

// Each channel by its table (raw = 4 x bypass); a mean between two levels in proportion, beyond 255 clamped.
TEST(QualityThroughTables, EachChannelByItsTableInProportion) {
    ChannelTables t;
    for (std::size_t i = 0; i < t[0].size(); ++i)
        t[0][i] = static_cast<std::uint8_t>(i / 4), t[1][i] = static_cast<std::uint8_t>(255 - i / 4),
        t[2][i] = static_cast<std::uint8_t>(i / 8);
    const auto decode = ThroughDeviceTables(t, [](double r, double g, double b) { return Lab{r, g, b}; });
    for (const auto& [in, out] : {std::pair{Lab{10.5, 20.0, 30.0}, Lab{10.5, 235.0, 15.0}},
                                  std::pair{Lab{254.25, 0.0, 300.0}, Lab{254.25, 255.0, 127.0}}}) {
        const Lab lab = decode(in.L, in.a, in.b);
        EXPECT_TRUE(lab.L == out.L && lab.a == out.a && lab.b == out.b) << lab.L << " " << lab.a << " " << lab.b;
    }
}

// "-" where no limit is set; MTF50 beyond Nyquist marked, efficiency ungraded; MTF10 in luminance; local decimals.
TEST(QualityCells, ShowWhatTheStandardsAndTheMethodAllow) {
    EXPECT_EQ(LocalDecimals("0.5 / 12.25 (GS1.) 1.x .5 a.b", TextBaseGerman), "0,5 / 12,25 (GS1.) 1.x .5 a.b");
    const struct {
        double colourMean, mtf50;
        int textBase;
        const char *figure, *value, *fadgi, *metamorfoze;
    } cases[] = {
        {14.9, 0.3, TextBaseEnglish, "Colour ΔE00 mean", "14.90", "\u2717", "-"},
        {3.0, 0.3, TextBaseEnglish, "MTF10, luminance (H/V, cy/px)", "0.325 / 0.325", "-", "-"},
        {3.0, 0.5, TextBaseEnglish, "MTF50, green (H/V, cy/px)", "0.500 / 0.500", "-", "-"},
        {3.0, 0.994, TextBaseEnglish, "MTF50, green (H/V, cy/px)", "0.994 / 0.994 \u26A0", "-", "-"},
        {3.0, 0.994, TextBaseEnglish, "Sampling efficiency, luminance (H/V)", "65 % / 65 % \u26A0", "", "-"},
        {3.0, 0.3, TextBaseGerman, "Abtastrate (ppi x/y)", "400,0 / 399,5", "\u2605\u2605\u2605\u2605", "Strict"},
        {3.0, 0.3, TextBaseFrench, "Couleur ΔE00 moyen", "3,00", "\u2605\u2605\u2605", "Strict"},
    };
    for (const auto& c : cases) {
        quality::SideQuality side;
        side.colour.figures.patches = 264, side.colour.figures.mean = c.colourMean;
        side.sampling.figures = quality::SamplingRateFigures{400.0, 399.5};
        for (DirectionSharpness* d : {&side.sharpness.horizontal, &side.sharpness.vertical}) {
            d->status = EdgeStatus::Measured, d->mtf50[SfrGreen] = c.mtf50, d->mtf10[SfrGreen] = 0.337;
            d->mtf10[SfrLuminance] = 0.325, d->samplingEfficiency[SfrLuminance] = 65.0;
        }
        side.grades = quality::GradeFigures(GradedOnPage(side));
        const QualityPageState page = QualityPageOf(side, "sRGB", c.textBase);
        const QualityRow* row = Row(page, c.figure);
        ASSERT_NE(row, nullptr) << c.figure;
        EXPECT_EQ(row->value + "|" + row->fadgi + "|" + row->metamorfoze,
                  std::string(c.value) + "|" + c.fadgi + "|" + c.metamorfoze);
        EXPECT_EQ(page.warnings.size(), c.mtf50 > 0.5 ? 1u : 0u) << c.value;
    }
}

}  // namespace
}  // namespace calvix::test
