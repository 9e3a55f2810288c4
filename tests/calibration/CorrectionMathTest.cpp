// Tests of the reference colours, the white adaption and the correction factors with their
// status lines, including the inputs that would divide by zero.
#include "calibration/CorrectionFactors.h"
#include "calibration/ReferenceColours.h"

#include "GuardedEnd.h"
#include "WedgeFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace calvix {
namespace {

using test::DefaultGreys;
using test::Uniform;

constexpr double FactorTolerance = 1e-6;

struct ReferenceCase {
    int k;
    PackedColour expected;
};

TEST(ReferenceColour, DefaultGreysMapLinearlyFromWhiteToBlack) {
    const ReferenceCase cases[] = {
        {0, MakeColour(255, 255, 255)}, {1, MakeColour(242, 241, 235)}, {12, MakeColour(105, 106, 102)},
        {22, MakeColour(13, 15, 13)},   {23, MakeColour(0, 0, 0)},
    };
    const ReferenceGreys greys = DefaultGreys();
    for (const ReferenceCase& c : cases) EXPECT_EQ(greyReferenceColour(greys, c.k), c.expected) << "GS" << c.k;
}

TEST(ReferenceColour, EqualEndsFallBackToAnEvenRamp) {
    ReferenceGreys greys = DefaultGreys();
    greys[0][1] = 50.0f;
    greys[23][1] = 50.0f;
    const GreyColours colours = ReferenceColoursOf(greys);
    for (int k = 0; k < GreyWedgeSteps; ++k) {
        const int ramp = static_cast<int>((23 - k) * 255.0 / 23 + 0.5);
        EXPECT_EQ(GreenOf(colours[k]), ramp) << "GS" << k;
        EXPECT_EQ(RedOf(colours[k]), RedOf(greyReferenceColour(DefaultGreys(), k))) << "other channels unchanged";
    }
    EXPECT_EQ(GreenOf(colours[0]), 255);
    EXPECT_EQ(GreenOf(colours[12]), 122);
}

TEST(ReferenceColour, ValuesThatAreNoNumbersStayDefined) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    ReferenceGreys greys = DefaultGreys();
    greys[5][0] = nan;
    greys[7][1] = inf;
    greys[0][2] = inf;
    const GreyColours colours = ReferenceColoursOf(greys);
    EXPECT_EQ(RedOf(colours[5]), static_cast<int>(18 * 255.0 / 23 + 0.5));
    EXPECT_EQ(GreenOf(colours[7]), static_cast<int>(16 * 255.0 / 23 + 0.5));
    EXPECT_EQ(BlueOf(colours[0]), 255);
    EXPECT_EQ(BlueOf(colours[1]), 0);
}

TEST(ReferenceColour, GreysBeyondTheWedgeEndsAreHeldAtTheScaleEnds) {
    ReferenceGreys greys = DefaultGreys();
    greys[1][0] = 227.5f;  // lighter than GS0: 256 by the formula
    greys[22][0] = 5.0f;   // darker than GS23: below 0
    const GreyColours colours = ReferenceColoursOf(greys);
    EXPECT_EQ(RedOf(colours[1]), 255);
    EXPECT_EQ(RedOf(colours[22]), 0);
}

struct SliderCase {
    int position;
    WhiteScale expected;
};

TEST(WhiteScale, SliderSharesTheDistanceOfTheMeasuredWhiteFrom255) {
    // GS0 measured red 204, green 255, blue 0.
    const SliderCase cases[] = {
        {0, {1.0, 1.0, 1.0}},   {1, {1.05, 1.0, 1.25}}, {2, {1.1, 1.0, 1.5}},
        {3, {1.15, 1.0, 1.75}}, {4, {1.2, 1.0, 2.0}},
    };
    for (const SliderCase& c : cases) {
        WhiteScale scale{7.0, 7.0, 7.0};
        UpdateWhiteScale(scale, c.position, MakeColour(204, 255, 0));
        for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(scale[ch], c.expected[ch], FactorTolerance) << c.position;
        EXPECT_EQ(scale[1], 1.0) << "a channel measured 255 keeps scale 1 at any position";
    }
    WhiteScale atZero{};
    UpdateWhiteScale(atZero, 0, MakeColour(3, 4, 5));
    EXPECT_EQ(atZero, (WhiteScale{1.0, 1.0, 1.0})) << "exactly 1 at position 0";
}

TEST(WhiteScale, PositionOutsideTheSliderLeavesTheScaleUnchanged) {
    for (int position : {-1, 5, 100}) {
        WhiteScale scale{1.1, 1.2, 1.3};
        UpdateWhiteScale(scale, position, MakeColour(0, 0, 0));
        EXPECT_EQ(scale, (WhiteScale{1.1, 1.2, 1.3})) << position;
    }
}

TEST(CorrectionFactors, ReferenceOverMeasuredTimesTheRedWhite) {
    // Both wedges end at an unreadable page: nothing past step 23 is read.
    test::GuardedEnd<GreyColours> guardedMeasured(Uniform(MakeColour(204, 0, 102)));
    GreyColours& measured = *guardedMeasured;
    measured[10] = MakeColour(51, 255, 1);
    const test::GuardedEnd<GreyColours> reference(Uniform(MakeColour(255, 128, 255)));
    const CorrectionFactors factors = ComputeCorrectionFactors(measured, *reference);
    const double redWhite = static_cast<double>(0.8f);  // 204 / 255, held in single precision
    EXPECT_DOUBLE_EQ(factors[0][0], 255.0 / 204 * redWhite);
    EXPECT_EQ(factors[0][1], 0.0) << "a channel measured 0 has factor 0";
    EXPECT_DOUBLE_EQ(factors[0][2], 255.0 / 102 * redWhite);
    EXPECT_DOUBLE_EQ(factors[10][0], 5.0 * redWhite);
    EXPECT_DOUBLE_EQ(factors[10][1], 128.0 / 255 * redWhite) << "green uses the red white too";
    EXPECT_DOUBLE_EQ(factors[10][2], 255.0 * redWhite);
    for (const auto& step : factors)
        for (double f : step) EXPECT_TRUE(std::isfinite(f));
}

TEST(CorrectionFactors, AllBlackMeasurementGivesZeroFactors) {
    const CorrectionFactors factors = ComputeCorrectionFactors(Uniform(0), Uniform(MakeColour(255, 255, 255)));
    for (const auto& step : factors)
        for (double f : step) EXPECT_EQ(f, 0.0);
}

TEST(CorrectionFactors, StatusLinesRunFromGs23ToGs0) {
    GreyColours measured = Uniform(MakeColour(204, 0, 102));
    measured[0] = MakeColour(255, 204, 100);
    measured[23] = MakeColour(10, 20, 30);
    GreyColours reference = Uniform(MakeColour(255, 255, 255));
    reference[23] = MakeColour(0, 5, 60);
    const std::vector<std::string> lines =
        CorrectionFactorLines(measured, ComputeCorrectionFactors(measured, reference));
    ASSERT_EQ(lines.size(), 25u);
    EXPECT_EQ(lines[0], "Correction factors RGB");
    EXPECT_EQ(lines[1], "0 10 0.00 20 0.25 30 2.00");
    EXPECT_EQ(lines[2], "1 204 1.25 0 0.00 102 2.50");
    EXPECT_EQ(lines[24], "23 255 1.00 204 1.25 100 2.55");
}

}  // namespace
}  // namespace calvix
