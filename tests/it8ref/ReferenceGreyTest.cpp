// The reference greys: defaults in force at start, the conversion of grey XYZ through either
// matrix and the gamma, clipping at the top, negative values at the bottom.
#include "it8ref/ReferenceGrey.h"

#include "it8ref/It8Ref.h"

#include <gtest/gtest.h>

#include <cmath>

namespace calvix {
namespace {

constexpr float kTwoDecimals = 0.006f;

void ExpectRgb(const GreyRgb& rgb, float r, float g, float b) {
    EXPECT_NEAR(rgb[0], r, kTwoDecimals);
    EXPECT_NEAR(rgb[1], g, kTwoDecimals);
    EXPECT_NEAR(rgb[2], b, kTwoDecimals);
}

TEST(ReferenceGrey, ProcessRecordStartsWithTheDefaults) {
    const TIT8Ref& record = It8Reference();
    EXPECT_DOUBLE_EQ(record.gamma, 1.0);
    EXPECT_FALSE(record.chromaticAdaptation);
    TIT8Ref constructed;  // construction puts the defaults in force
    EXPECT_EQ(ReferenceGreyTable, DefaultReferenceGrey);
    EXPECT_FLOAT_EQ(ReferenceGreyTable[0][0], 226.84f);
    EXPECT_FLOAT_EQ(ReferenceGreyTable[0][1], 230.05f);
    EXPECT_FLOAT_EQ(ReferenceGreyTable[0][2], 233.72f);
    EXPECT_FLOAT_EQ(ReferenceGreyTable[23][2], 9.84f);
}

struct ConversionCase {
    const char* name;
    float xyz[3];
    bool adapted;
    float gamma;
    float rgb[3];
};

class ReferenceConversion : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ReferenceConversion, ThroughTheRecordIntoTheTable) {
    const ConversionCase& c = GetParam();
    TIT8Ref record;
    for (int i = 0; i < It8GreyPatches; ++i)
        for (int k = 0; k < 3; ++k) record.greyXYZ[i][k] = c.xyz[k];
    record.SetGamma(c.gamma);
    record.SetChromaticAdaptation(c.adapted);
    for (int i = 0; i < It8GreyPatches; ++i) ExpectRgb(ReferenceGreyTable[i], c.rgb[0], c.rgb[1], c.rgb[2]);
    ResetReferenceGrey();
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ReferenceConversion,
    ::testing::Values(ConversionCase{"PlainGamma1", {19.28f, 20.00f, 16.50f}, false, 1.0f, {49.23f, 38.49f, 24.80f}},
                      ConversionCase{"PlainGamma22", {19.28f, 20.00f, 16.50f}, false, 2.2f, {125.29f, 114.00f, 97.58f}},
                      ConversionCase{"Adapted", {19.28f, 20.00f, 16.50f}, true, 1.0f, {39.75f, 39.79f, 61.76f}},
                      ConversionCase{"AdaptedClipsBlue", {80.0f, 83.0f, 68.0f}, true, 1.0f, {209.60f, 209.37f, 255.0f}},
                      ConversionCase{"DarkStaysNegative", {0.50f, 0.52f, 0.43f}, false, 1.0f, {-12.39f, -12.66f, -13.01f}}),
    [](const ::testing::TestParamInfo<ConversionCase>& info) { return info.param.name; });

TEST(ReferenceGrey, NegativeLinearValueUnderAFractionalPowerStaysFiniteAndOrdered) {
    // Linear values just below and above zero (XYZ near black, slightly blue-heavy).
    const float below[3] = {0.05f, 0.05f, 0.30f};
    const float zero[3] = {0.0f, 0.0f, 0.0f};
    for (double gamma : {0.5, 0.7, 1.0, 1.8, 2.2, 5.0}) {
        const GreyRgb dark = ConvertGrey(below, PlainMatrix, gamma);
        const GreyRgb black = ConvertGrey(zero, PlainMatrix, gamma);
        for (int c = 0; c < 3; ++c) EXPECT_TRUE(std::isfinite(dark[c])) << gamma;
        // Red is negative linear here: it must come out below pure black, never above.
        EXPECT_LT(dark[0], black[0]) << gamma;
        EXPECT_NEAR(black[0], -0.055f * 255.0f, kTwoDecimals);
    }
}

TEST(ReferenceGrey, SetReferenceGreyIgnoresIndicesOutsideTheTable) {
    ResetReferenceGrey();
    SetReferenceGrey(-1, 1, 2, 3);
    SetReferenceGrey(24, 1, 2, 3);
    EXPECT_EQ(ReferenceGreyTable, DefaultReferenceGrey);
    SetReferenceGrey(23, 1, 2, 3);
    EXPECT_FLOAT_EQ(ReferenceGreyTable[23][2], 3.0f);
    ResetReferenceGrey();
    EXPECT_EQ(ReferenceGreyTable, DefaultReferenceGrey);
}

}  // namespace
}  // namespace calvix
