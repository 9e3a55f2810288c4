// Tests of the emulated scanner's chart renders: the tone response into raw values, bypass and
// tables, what the helper image makes of page, card and line, and deterministic noise and dust.
#include "ChartRenderer.h"

#include "analysis/HelperImage.h"
#include "analysis/It8frame.h"
#include "analysis/PatchSampling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace calvix {
namespace {

struct RawCase {
    ChannelResponse response;
    double encoded;
    int raw;
};

class RawValues : public ::testing::TestWithParam<RawCase> {};

TEST_P(RawValues, GainGammaOffsetThenClamp) {
    EXPECT_EQ(RawValue(GetParam().response, GetParam().encoded), GetParam().raw);
}

INSTANTIATE_TEST_SUITE_P(Responses, RawValues,
                         ::testing::Values(RawCase{{1.0, 0.0, 1.0}, 0.5, 512},     // 511.5 rounds up
                                           RawCase{{1.0, 0.0, 1.0}, 1.0, 1023},
                                           RawCase{{0.5, 0.1, 2.0}, 0.5, 230},     // 0.225 * 1023
                                           RawCase{{2.0, 0.0, 1.0}, 0.9, 1023},    // clipped high
                                           RawCase{{1.0, -0.5, 1.0}, 0.2, 0},      // clipped low
                                           RawCase{{1.0, 0.0, 1.0}, -3.0, 0},
                                           RawCase{{1.0, 0.0, 1.0}, 7.0, 1023}));

RenderOptions SmallPage() {
    RenderOptions options;
    options.pageHeight = 1600;
    options.tone.channel = {ChannelResponse{0.9, 0.02, 1.1}, ChannelResponse{1.0, 0.0, 1.0}, ChannelResponse{1.1, 0.01, 0.9}};
    return options;
}

std::array<Point, 5> SlotsOf(const RenderedChart& chart) {
    auto at = [&](int i) {
        return Point{static_cast<int>(std::lround(chart.corners[static_cast<std::size_t>(i)][0])),
                     static_cast<int>(std::lround(chart.corners[static_cast<std::size_t>(i)][1]))};
    };
    return {NotFound, at(1), at(0), at(2), at(3)};
}

PackedColour GreyPixel(const RenderedChart& chart, int index) {
    const auto slots = SlotsOf(chart);
    const PatchCentre patch = GreyPatchCentre(slots, RasterGeometry::FromCorners(slots), index);
    return chart.image.Pixel(patch.centre.x, patch.centre.y);
}

TEST(ChartRenderer, BypassShowsRawQuarteredAndTablesMapRaw) {
    const ChartColours colours = SyntheticChartColours();
    RenderOptions options = SmallPage();
    const RenderedChart bypassed = RenderChart(colours, options);

    std::array<ChannelTable, 3> tables{};
    for (std::size_t c = 0; c < 3; ++c) {
        for (std::size_t i = 0; i < 1024; ++i) tables[c][i] = static_cast<std::uint8_t>(255 - i / 4 + c);
    }
    options.tables = &tables;
    const RenderedChart mapped = RenderChart(colours, options);

    for (int i = 0; i < ChartGreyCount; ++i) {
        const auto& raw = bypassed.greyRaw[static_cast<std::size_t>(i)];
        EXPECT_EQ(GreyPixel(bypassed, i), MakeColour(raw[0] / 4, raw[1] / 4, raw[2] / 4)) << i;
        EXPECT_EQ(GreyPixel(mapped, i), MakeColour(tables[0][static_cast<std::size_t>(raw[0])],
                                                   tables[1][static_cast<std::size_t>(raw[1])],
                                                   tables[2][static_cast<std::size_t>(raw[2])])) << i;
    }
    // The wedge runs from light to dark in every channel.
    for (int i = 1; i < ChartGreyCount; ++i) {
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_LT(bypassed.greyRaw[static_cast<std::size_t>(i)][c], bypassed.greyRaw[static_cast<std::size_t>(i - 1)][c]);
        }
    }
}

TEST(ChartRenderer, HelperImageSeesDarkPageSilverCardAndBlackLine) {
    const RenderedChart chart = RenderChart(SyntheticChartColours(), SmallPage());
    const ScanBitmap helper = MakeHelperImage(chart.image, DefaultBlackThreshold);
    EXPECT_EQ(helper.Pixel(5, 300), HelperBlack);      // scanner background
    EXPECT_EQ(helper.Pixel(130, 300), HelperSilver);   // card outside the box
    EXPECT_EQ(helper.Pixel(165, 300), HelperBlack);    // the left line's middle
    EXPECT_EQ(helper.Pixel(170, 1300), HelperSilver);  // card between line and grey strip
    EXPECT_EQ(helper.Pixel(1000, 60), HelperSilver);   // card above the top line
    EXPECT_EQ(helper.Pixel(1000, 101), HelperBlack);   // top line
    EXPECT_EQ(helper.Pixel(1000, 1600 - 1), HelperBlack);
}

TEST(ChartRenderer, NoiseAndDustAreDeterministicPerSeed) {
    const ChartColours colours = SyntheticChartColours();
    RenderOptions options = SmallPage();
    const RenderedChart clean = RenderChart(colours, options);
    options.noiseSigma = 3.0;
    options.dustSpecks = 50;
    const RenderedChart first = RenderChart(colours, options);
    const RenderedChart again = RenderChart(colours, options);
    options.seed = 2;
    const RenderedChart other = RenderChart(colours, options);
    EXPECT_EQ(first.image, again.image);
    EXPECT_NE(first.image, other.image);
    EXPECT_NE(first.image, clean.image);
    // The noise has no bias: a patch's mean stays where the clean render has it.
    const auto slots = SlotsOf(clean);
    const PatchCentre patch = GreyPatchCentre(slots, RasterGeometry::FromCorners(slots), 12);
    const PackedColour noisy = PickColorsAround(first.image, patch.centre.x, patch.centre.y, 10);
    const PackedColour plain = clean.image.Pixel(patch.centre.x, patch.centre.y);
    EXPECT_NEAR(GreenOf(noisy), GreenOf(plain), 1);
    EXPECT_EQ(first.greyRaw, clean.greyRaw);
}

// A speck is a disc of radius 1, 2 or 3: 5, 13 or 29 dark pixels, each size on some page.
TEST(ChartRenderer, DustSpecksAreDiscsOfRadiusOneToThree) {
    RenderOptions options{64, 64};
    const ScanBitmap paper = RenderBlankPage(options);
    std::set<int> sizes;
    for (options.dustSpecks = 1; options.seed <= 40; ++options.seed) {
        const ScanBitmap page = RenderBlankPage(options);
        int dark = 0, edge = 0;  // a speck that the border may cut is not counted
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                if (page.Pixel(x, y) != paper.Pixel(x, y)) ++dark, edge += x % 63 == 0 || y % 63 == 0;
        if (edge == 0) sizes.insert(dark);
    }
    EXPECT_EQ(sizes, (std::set<int>{5, 13, 29}));
}

}  // namespace
}  // namespace calvix
